#include "core/text/textformat.h"

#include <cctype>
#include <cstdlib>

namespace vro {

std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string> args)
{
    std::string out;
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        if (pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // Flags, width and precision, then the conversion letter.
        std::size_t j = i + 1;
        while (j < pattern.size() &&
               (pattern[j] == '-' || pattern[j] == '.' || std::isdigit(static_cast<unsigned char>(pattern[j]))))
            ++j;
        if (j >= pattern.size() || (pattern[j] != 's' && pattern[j] != 'd')) {
            out += c;
            continue;
        }
        std::string value = next != args.end() ? *next++ : std::string();
        // "%5.5d": at least that many digits.
        const std::string_view conversion = pattern.substr(i + 1, j - i - 1);
        if (pattern[j] == 'd') {
            if (const std::size_t dot = conversion.find('.'); dot != std::string_view::npos) {
                const auto digits =
                    static_cast<std::size_t>(std::atoi(std::string(conversion.substr(dot + 1)).c_str()));
                const bool negative = !value.empty() && value[0] == '-';
                std::string body = negative ? value.substr(1) : value;
                if (body.size() < digits)
                    body.insert(0, digits - body.size(), '0');
                value = negative ? "-" + body : body;
            }
        }
        out += value;
        i = j;
    }
    return out;
}

} // namespace vro
