// The formula language of calculated channels: a formula such as
// 5 * ((S1 + S2) / 2) is compiled once into a postfix program of at most 51
// entries and then evaluated per sample, or per block of samples.
//
// Evaluation rules that make the two forms give identical results:
// not-a-number stands for "no value" and is sticky (every operation with a
// not-a-number operand gives not-a-number); a division by zero, a logarithm
// of zero, a negative base with a non-integral exponent and any result that is
// not finite (overflow of exp or ^) also give not-a-number.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace vro {

class TParser {
public:
    enum TOpcode : std::uint8_t {
        opNop = 0,
        opPushc,
        opPushv,
        opAdd,
        opSub,
        opMul,
        opDiv,
        opPower,
        opSqr,
        opSqrt,
        opAbs,
        opLn,
        opLog,
        opExp
    };
    // Compile result codes; their texts are 409..412 of the main text table.
    enum TCompileCode : int { ccOk = 0, ccBracket = 1, ccCharacter = 2, ccOperand = 3, ccFunctionBracket = 4 };

    static constexpr int kMaxEntries = 51;  // program, operator stack and evaluation stack
    static constexpr int kBlockSize = 1024; // samples per block in EvaluateBlock

    struct TEntry {
        std::uint8_t Opcode = opNop;
        double Value = 0;
    };

    // Names of the 14 opcodes; only the last six are recognised in formulas.
    static std::string_view OpcodeName(int opcode);
    // The text number shown for a compile code (0 for ccOk).
    static int CompileCodeText(int code);

    // Compiles `text` with the given variable names (index = variable number).
    int Compile(std::string_view text, std::vector<std::string> names);

    // Runs the program once; `variable(n)` gives variable n's value or NaN.
    double Evaluate(const std::function<double(int)>& variable) const;

    // Fills `values` (kBlockSize doubles at most) with variable `n` for the
    // samples first..first+count-1; NaN marks a sample without value.
    using TBlockSource = std::function<void(int n, std::int64_t first, int count, double* values)>;
    // Evaluates samples first..first+count-1 (count <= kBlockSize) into out.
    void EvaluateBlock(const TBlockSource& source, std::int64_t first, int count, double* out) const;

    const std::string& Formula() const { return formula_; }
    const std::vector<std::string>& Variables() const { return variables_; }
    int ProgramCount() const { return programCount_; }
    const std::array<TEntry, kMaxEntries>& Program() const { return program_; }

private:
    bool Emit(std::uint8_t opcode, double value = 0);

    std::array<TEntry, kMaxEntries> program_{};
    int programCount_ = 0;
    std::string formula_;
    std::vector<std::string> variables_;
    bool compiled_ = false;
    // Scratch for block evaluation: one block per stack level, allocated once.
    mutable std::vector<double> blockStack_;
};

// Owns a parser and tracks the range of all results since the last compile.
class TVROMath {
public:
    int Compile(std::string_view text, std::vector<std::string> names);
    // Evaluates once and widens ResultMin/ResultMax with a numeric result.
    double Evaluate();
    // Evaluates `count` samples from `first` into out (any count), widening the range.
    void EvaluateRange(const TParser::TBlockSource& source, std::int64_t first, std::int64_t count, double* out);

    std::function<double(int)> VariableValue;
    double ResultMin() const { return resultMin_; }
    double ResultMax() const { return resultMax_; }
    const TParser& Parser() const { return parser_; }

private:
    void Widen(double x);

    TParser parser_;
    double resultMin_ = std::numeric_limits<double>::quiet_NaN();
    double resultMax_ = std::numeric_limits<double>::quiet_NaN();
};

} // namespace vro
