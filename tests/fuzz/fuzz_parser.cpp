// Formulas are typed by the user: any text must compile to a code or to a
// program that evaluates without touching memory outside its stacks.
#include "core/calc/parser.h"

#include <cmath>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vro::TParser p;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (p.Compile(text, {"pi", "e", "s1", "s2", "s_3"}) != 0)
        return 0;
    const double x = p.Evaluate([](int n) { return n == 2 ? NAN : n * 1.5 - 2; });
    double block[4];
    p.EvaluateBlock(
        [](int n, std::int64_t first, int count, double* out) {
            for (int i = 0; i < count; ++i)
                out[i] = n == 2 && i == 1 ? NAN : static_cast<double>(first + i) - n;
        },
        0, 4, block);
    (void)x;
    return 0;
}
