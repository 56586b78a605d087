#include "core/calc/parser.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace vro {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr std::string_view kOpcodeNames[] = {"#Nop",   "#Pushc", "#Pushv", "#Add", "#Sub", "#Mul", "#Div",
                                             "#Power", "sqr",    "sqrt",   "abs",  "ln",   "log",  "exp"};

// Operator-stack items while compiling: an opcode, or the opening bracket.
constexpr int kOpenBracket = -1;
constexpr int kEmptyTop = -2; // what an empty stack reads as

inline double Finite(double x) { return std::isfinite(x) ? x : kNaN; }

inline double Divide(double a, double b) { return b == 0 ? kNaN : Finite(a / b); }

inline double Power(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return kNaN;
    if (b == 0)
        return 1;
    if (a == 0)
        return b > 0 ? 0 : kNaN;
    if (b == std::trunc(b))
        return Finite(std::pow(a, b));
    if (a < 0)
        return kNaN;
    return Finite(std::exp(b * std::log(a)));
}

inline double SignedSqrt(double x) { return std::copysign(std::sqrt(std::fabs(x)), x); }
inline double SignedLn(double x) { return x == 0 ? kNaN : (x < 0 ? -std::log(-x) : std::log(x)); }
inline double SignedLog(double x) { return x == 0 ? kNaN : (x < 0 ? -std::log10(-x) : std::log10(x)); }

inline double Apply1(int op, double x)
{
    switch (op) {
    case TParser::opSqr: return Finite(x * x);
    case TParser::opSqrt: return SignedSqrt(x);
    case TParser::opAbs: return std::fabs(x);
    case TParser::opLn: return SignedLn(x);
    case TParser::opLog: return SignedLog(x);
    case TParser::opExp: return Finite(std::exp(x));
    }
    return kNaN;
}

inline double Apply2(int op, double a, double b)
{
    switch (op) {
    case TParser::opAdd: return Finite(a + b);
    case TParser::opSub: return Finite(a - b);
    case TParser::opMul: return Finite(a * b);
    case TParser::opDiv: return Divide(a, b);
    case TParser::opPower: return Power(a, b);
    }
    return kNaN;
}

// Stack effect of an opcode: +1 pushes, -1 binary operators, 0 functions.
int StackEffect(int op)
{
    if (op == TParser::opPushc || op == TParser::opPushv)
        return 1;
    if (op >= TParser::opAdd && op <= TParser::opPower)
        return -1;
    return 0;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string_view TParser::OpcodeName(int opcode)
{
    return opcode >= 0 && opcode < static_cast<int>(std::size(kOpcodeNames)) ? kOpcodeNames[opcode] : "";
}

int TParser::CompileCodeText(int code) { return code >= ccBracket && code <= ccFunctionBracket ? 408 + code : 0; }

bool TParser::Emit(std::uint8_t opcode, double value)
{
    // One entry stays free for the terminating opNop.
    if (programCount_ >= kMaxEntries - 1)
        return false;
    program_[static_cast<std::size_t>(programCount_++)] = {opcode, value};
    program_[static_cast<std::size_t>(programCount_)] = {opNop, 0};
    return true;
}

int TParser::Compile(std::string_view text, std::vector<std::string> names)
{
    program_.fill({});
    programCount_ = 0;
    compiled_ = false;
    variables_ = std::move(names);
    formula_.clear();
    for (char c : text)
        if (c != ' ' && c != '\t')
            formula_.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (formula_.empty() || formula_.find('#') != std::string::npos)
        return ccCharacter;

    std::vector<int> ops; // operator stack
    auto top = [&] { return ops.empty() ? kEmptyTop : ops.back(); };
    auto push = [&](int op) {
        if (static_cast<int>(ops.size()) >= kMaxEntries)
            return false;
        ops.push_back(op);
        return true;
    };
    auto popEmit = [&] {
        const int op = ops.back();
        ops.pop_back();
        return Emit(static_cast<std::uint8_t>(op));
    };

    const std::string& f = formula_;
    const std::size_t n = f.size();
    bool operandExpected = true;
    std::size_t i = 0;
    while (i < n) {
        const char c = f[i];
        if (operandExpected) {
            if (c == '(') {
                if (!push(kOpenBracket))
                    return ccCharacter;
                ++i;
                continue;
            }
            std::size_t run = i;
            while (run < n && IsLetter(f[run]))
                ++run;
            if (run > i) {
                const std::string_view word(f.data() + i, run - i);
                int function = 0;
                for (int op = opSqr; op <= opExp; ++op)
                    if (word == kOpcodeNames[op])
                        function = op;
                if (function) {
                    if (run >= n || f[run] != '(')
                        return ccFunctionBracket;
                    if (!push(function) || !push(kOpenBracket))
                        return ccCharacter;
                    i = run + 1;
                    continue;
                }
                std::size_t end = i + 1;
                while (end < n && (IsLetter(f[end]) || IsDigit(f[end]) || f[end] == '_'))
                    ++end;
                const std::string name(f.data() + i, end - i);
                auto it = std::find_if(variables_.begin(), variables_.end(),
                                       [&](const std::string& v) { return Lower(v) == name; });
                if (it == variables_.end())
                    return ccOperand;
                if (!Emit(opPushv, static_cast<double>(it - variables_.begin())))
                    return ccCharacter;
                i = end;
                operandExpected = false;
                continue;
            }
            // A number: optional sign that must be followed by a digit, then
            // digits with at most one decimal separator ("." or ",").
            std::size_t p = i;
            if (f[p] == '+' || f[p] == '-')
                ++p;
            if (p >= n || !IsDigit(f[p]))
                return ccOperand;
            std::string literal(f.data() + i, p - i);
            bool separator = false;
            for (; p < n && (IsDigit(f[p]) || f[p] == '.' || f[p] == ','); ++p) {
                if (f[p] == '.' || f[p] == ',') {
                    if (separator)
                        return ccOperand;
                    separator = true;
                    literal.push_back('.');
                } else {
                    literal.push_back(f[p]);
                }
            }
            // from_chars reads the point whatever the locale's decimal separator is.
            double value = 0;
            const char* lb = literal.data() + (literal[0] == '+' ? 1 : 0);
            std::from_chars(lb, literal.data() + literal.size(), value);
            if (!std::isfinite(value))
                return ccOperand;
            if (!Emit(opPushc, value))
                return ccCharacter;
            i = p;
            operandExpected = false;
            continue;
        }
        // An operator is expected.
        switch (c) {
        case ')':
            while (top() != kOpenBracket) {
                if (ops.empty())
                    return ccBracket;
                if (!popEmit())
                    return ccCharacter;
            }
            ops.pop_back();
            if (top() >= opSqr && top() <= opExp && !popEmit())
                return ccCharacter;
            break;
        case '*':
        case '/':
            while (top() == opMul || top() == opDiv || top() == opPower)
                if (!popEmit())
                    return ccCharacter;
            if (!push(c == '*' ? opMul : opDiv))
                return ccCharacter;
            operandExpected = true;
            break;
        case '+':
        case '-':
            while (top() == opMul || top() == opAdd || top() == opSub || top() == opDiv || top() == opPower)
                if (!popEmit())
                    return ccCharacter;
            if (!push(c == '+' ? opAdd : opSub))
                return ccCharacter;
            operandExpected = true;
            break;
        case '^':
            while (top() == opPower)
                if (!popEmit())
                    return ccCharacter;
            if (!push(opPower))
                return ccCharacter;
            operandExpected = true;
            break;
        default: return ccCharacter;
        }
        ++i;
    }
    // A formula may not end where an operand is still expected ("2+", "sqrt(").
    if (operandExpected)
        return ccOperand;
    while (!ops.empty()) {
        if (ops.back() == kOpenBracket)
            return ccBracket;
        if (!popEmit())
            return ccCharacter;
    }
    // The evaluation stack must hold every intermediate value.
    int depth = 0, maxDepth = 0;
    for (int k = 0; k < programCount_; ++k) {
        depth += StackEffect(program_[static_cast<std::size_t>(k)].Opcode);
        maxDepth = std::max(maxDepth, depth);
    }
    if (depth != 1 || maxDepth > kMaxEntries)
        return ccCharacter;
    compiled_ = true;
    return ccOk;
}

double TParser::Evaluate(const std::function<double(int)>& variable) const
{
    if (!compiled_)
        return kNaN;
    std::array<double, kMaxEntries> stack;
    int sp = 0;
    for (int k = 0; k < programCount_; ++k) {
        const TEntry& e = program_[static_cast<std::size_t>(k)];
        const int op = e.Opcode & 0x7F;
        double r;
        if (op == opPushc) {
            r = e.Value;
        } else if (op == opPushv) {
            r = variable(static_cast<int>(e.Value));
        } else if (op <= opPower) {
            --sp;
            r = Apply2(op, stack[static_cast<std::size_t>(sp - 1)], stack[static_cast<std::size_t>(sp)]);
            --sp;
        } else {
            --sp;
            r = Apply1(op, stack[static_cast<std::size_t>(sp)]);
        }
        if (std::isnan(r))
            return kNaN; // no value: the evaluation ends at once
        stack[static_cast<std::size_t>(sp++)] = r;
    }
    return sp == 1 ? stack[0] : kNaN;
}

namespace {

// One binary operator over a block; `b(j)` is the right operand, a block or a constant.
template <typename TRight>
inline void BinaryBlock(int op, double* a, TRight b, int count)
{
    switch (op) {
    case TParser::opAdd:
        for (int j = 0; j < count; ++j)
            a[j] = Finite(a[j] + b(j));
        break;
    case TParser::opSub:
        for (int j = 0; j < count; ++j)
            a[j] = Finite(a[j] - b(j));
        break;
    case TParser::opMul:
        for (int j = 0; j < count; ++j)
            a[j] = Finite(a[j] * b(j));
        break;
    case TParser::opDiv:
        for (int j = 0; j < count; ++j)
            a[j] = Divide(a[j], b(j));
        break;
    default:
        for (int j = 0; j < count; ++j)
            a[j] = Power(a[j], b(j));
        break;
    }
}

inline void UnaryBlock(int op, double* x, int count)
{
    switch (op) {
    case TParser::opAbs:
        for (int j = 0; j < count; ++j)
            x[j] = std::fabs(x[j]);
        break;
    case TParser::opSqrt:
        for (int j = 0; j < count; ++j)
            x[j] = SignedSqrt(x[j]);
        break;
    case TParser::opSqr:
        for (int j = 0; j < count; ++j)
            x[j] = Finite(x[j] * x[j]);
        break;
    default:
        for (int j = 0; j < count; ++j)
            x[j] = Apply1(op, x[j]);
        break;
    }
}

} // namespace

// Built for AVX2 and for the baseline; the loader picks what the processor has.
// ThreadSanitizer cannot run the loader's resolver before it is itself set up,
// and clang's clones of a member function do not link; both get the baseline.
#if defined(__SANITIZE_THREAD__) || defined(__clang__)
#define VRO_TARGET_CLONES
#else
#define VRO_TARGET_CLONES __attribute__((target_clones("avx2", "default")))
#endif
VRO_TARGET_CLONES
void TParser::EvaluateBlock(const TBlockSource& source, std::int64_t first, int count, double* out) const
{
    count = std::clamp(count, 0, kBlockSize);
    if (!compiled_) {
        std::fill(out, out + count, kNaN);
        return;
    }
    blockStack_.resize(static_cast<std::size_t>(kMaxEntries) * kBlockSize);
    auto level = [&](int l) { return blockStack_.data() + static_cast<std::size_t>(l) * kBlockSize; };
    int sp = 0;
    for (int k = 0; k < programCount_; ++k) {
        const TEntry& e = program_[static_cast<std::size_t>(k)];
        const int op = e.Opcode & 0x7F;
        const int next = k + 1 < programCount_ ? program_[static_cast<std::size_t>(k + 1)].Opcode & 0x7F : opNop;
        if (op == opPushc && sp > 0 && next >= opAdd && next <= opPower) {
            // A constant right operand is applied as a scalar: no block to fill and read.
            const double c = e.Value;
            BinaryBlock(
                next, level(sp - 1), [c](int) { return c; }, count);
            ++k;
        } else if (op == opPushc) {
            std::fill(level(sp), level(sp) + count, e.Value);
            ++sp;
        } else if (op == opPushv) {
            source(static_cast<int>(e.Value), first, count, level(sp));
            ++sp;
        } else if (op <= opPower) {
            const double* b = level(sp - 1);
            BinaryBlock(
                op, level(sp - 2), [b](int j) { return b[j]; }, count);
            --sp;
        } else {
            UnaryBlock(op, level(sp - 1), count);
        }
    }
    std::copy(level(0), level(0) + count, out);
}

int TVROMath::Compile(std::string_view text, std::vector<std::string> names)
{
    resultMin_ = resultMax_ = kNaN;
    return parser_.Compile(text, std::move(names));
}

void TVROMath::Widen(double x)
{
    if (std::isnan(x))
        return;
    if (std::isnan(resultMin_)) {
        resultMin_ = resultMax_ = x;
    } else {
        resultMin_ = std::min(resultMin_, x);
        resultMax_ = std::max(resultMax_, x);
    }
}

double TVROMath::Evaluate()
{
    const double x = parser_.Evaluate(VariableValue ? VariableValue : [](int) { return kNaN; });
    Widen(x);
    return x;
}

void TVROMath::EvaluateRange(const TParser::TBlockSource& source, std::int64_t first, std::int64_t count, double* out)
{
    for (std::int64_t done = 0; done < count;) {
        const int n = static_cast<int>(std::min<std::int64_t>(TParser::kBlockSize, count - done));
        const double* block = out + done;
        parser_.EvaluateBlock(source, first + done, n, out + done);
        // Comparisons with NaN are false, so samples without value drop out;
        // written as selects, the loop vectorises.
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (int j = 0; j < n; ++j) {
            lo = block[j] < lo ? block[j] : lo;
            hi = block[j] > hi ? block[j] : hi;
        }
        if (lo <= hi) {
            Widen(lo);
            Widen(hi);
        }
        done += n;
    }
}

} // namespace vro
