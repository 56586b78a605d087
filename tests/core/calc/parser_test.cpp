#include "core/calc/parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace vro;

namespace {

const std::vector<std::string> kNames = {"pi", "e", "s1", "s2", "s3"};

struct TCase {
    const char* formula;
    double s1, s2, s3;
};

// Compiles and evaluates with pi, e and three channel variables.
double Eval(const char* formula, double s1 = 0, double s2 = 0, double s3 = 0)
{
    TParser p;
    EXPECT_EQ(p.Compile(formula, kNames), TParser::ccOk) << formula;
    const double vars[] = {M_PI, M_E, s1, s2, s3};
    return p.Evaluate([&](int n) { return vars[n]; });
}

int Code(const char* formula)
{
    TParser p;
    return p.Compile(formula, kNames);
}

} // namespace

TEST(Parser, PrecedenceAndAssociativity)
{
    EXPECT_EQ(Eval("2^3^2"), 64);
    EXPECT_EQ(Eval("2*3+4"), 10);
    EXPECT_EQ(Eval("2+3*4"), 14);
    EXPECT_EQ(Eval("(2+3)*4"), 20);
    EXPECT_EQ(Eval("10-4-3"), 3);
    EXPECT_EQ(Eval("64/4/2"), 8);
    EXPECT_EQ(Eval("2*3^2"), 18);
    EXPECT_EQ(Eval("5 * ((S1 + S2) / 2)", 3, 5), 20);
}

TEST(Parser, NumbersVariablesAndCase)
{
    EXPECT_EQ(Eval("-2*s1", 3), -6);
    EXPECT_EQ(Eval("s1*-2", 3), -6);
    EXPECT_EQ(Eval("S1 + s2", 1, 2), Eval("s1+s2", 1, 2));
    EXPECT_DOUBLE_EQ(Eval("Pi"), M_PI);
    EXPECT_DOUBLE_EQ(Eval("E"), M_E);
    EXPECT_EQ(Eval("1,5"), 1.5);
    EXPECT_EQ(Eval("0.1"), 0.1);
    EXPECT_EQ(Eval("+7"), 7);
}

TEST(Parser, Functions)
{
    EXPECT_EQ(Eval("sqrt(-4)"), -2);
    EXPECT_EQ(Eval("sqrt(16)"), 4);
    EXPECT_EQ(Eval("sqr(-3)"), 9);
    EXPECT_EQ(Eval("abs(-3)"), 3);
    EXPECT_DOUBLE_EQ(Eval("ln(e)"), 1);
    EXPECT_DOUBLE_EQ(Eval("ln(-1*e)"), -1);
    EXPECT_DOUBLE_EQ(Eval("log(-100)"), -2);
    EXPECT_DOUBLE_EQ(Eval("exp(1)"), M_E);
    EXPECT_EQ(Eval("(-2)^3"), -8);
    EXPECT_EQ(Eval("0^2"), 0);
    EXPECT_EQ(Eval("5^0"), 1);
    EXPECT_DOUBLE_EQ(Eval("4^0.5"), 2);
}

TEST(Parser, NoValueAndFaults)
{
    EXPECT_TRUE(std::isnan(Eval("ln(0)")));
    EXPECT_TRUE(std::isnan(Eval("1/0")));
    EXPECT_TRUE(std::isnan(Eval("log(s1)", 0)));
    EXPECT_TRUE(std::isnan(Eval("s1+1", NAN)));
    EXPECT_TRUE(std::isnan(Eval("s1^0", NAN))); // no value stays no value
    // Overflow and a negative base with a non-integral exponent give no value.
    EXPECT_TRUE(std::isnan(Eval("exp(1000)")));
    EXPECT_TRUE(std::isnan(Eval("10^400")));
    EXPECT_TRUE(std::isnan(Eval("(-8)^0.5")));
    EXPECT_TRUE(std::isnan(Eval("0^-1")));
}

TEST(Parser, CompileErrorCodes)
{
    EXPECT_EQ(Code(""), TParser::ccCharacter);
    EXPECT_EQ(Code("   "), TParser::ccCharacter);
    EXPECT_EQ(Code("s1#"), TParser::ccCharacter);
    EXPECT_EQ(Code("-s1"), TParser::ccOperand);
    EXPECT_EQ(Code("-(s1)"), TParser::ccOperand);
    EXPECT_EQ(Code("sqrt 4"), TParser::ccFunctionBracket);
    EXPECT_EQ(Code("s1)"), TParser::ccBracket);
    EXPECT_EQ(Code("(s1"), TParser::ccBracket);
    EXPECT_EQ(Code("s1s2"), TParser::ccOperand);
    EXPECT_EQ(Code("2s1"), TParser::ccCharacter);
    EXPECT_EQ(Code("1.5.2"), TParser::ccOperand);
    EXPECT_EQ(Code("s4"), TParser::ccOperand);
    // A formula that ends where an operand is expected is refused, not run on an empty stack.
    EXPECT_EQ(Code("2+"), TParser::ccOperand);
    EXPECT_EQ(Code("s1*"), TParser::ccOperand);
    EXPECT_EQ(Code("sqrt(2)^"), TParser::ccOperand);
    EXPECT_EQ(Code("sqrt("), TParser::ccOperand);
    EXPECT_EQ(Code("()"), TParser::ccOperand);
    EXPECT_EQ(TParser::CompileCodeText(TParser::ccBracket), 409);
    EXPECT_EQ(TParser::CompileCodeText(TParser::ccFunctionBracket), 412);
}

TEST(Parser, LongFormulasAreRefusedNotOverflowed)
{
    std::string f = "1";
    for (int i = 0; i < 24; ++i)
        f += "+1";
    EXPECT_EQ(Eval(f.c_str()), 25); // 49 entries fit
    f += "+1";                      // 51 entries do not
    EXPECT_EQ(Code(f.c_str()), TParser::ccCharacter);
    EXPECT_EQ(Code(std::string(60, '(').append("1").append(60, ')').c_str()), TParser::ccCharacter);
    std::string deep;
    for (int i = 0; i < 30; ++i)
        deep += "1+(";
    deep += "1" + std::string(30, ')');
    EXPECT_EQ(Code(deep.c_str()), TParser::ccCharacter);
}

TEST(Parser, BlockEvaluationEqualsPerSampleEvaluation)
{
    const char* formulas[] = {"(s1 + s2) * 0.5 + sqrt(abs(s3))",
                              "s1/s2",
                              "ln(s1)-log(s2)*exp(s3/100)",
                              "s1^s2",
                              "sqr(s1)-s2^2/(s3-1)",
                              "2^3^s1",
                              "s1^0+s2"};
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-5, 5);
    const int n = 3000;
    std::vector<double> v[3];
    for (auto& c : v)
        for (int i = 0; i < n; ++i) {
            const int kind = static_cast<int>(rng() % 10);
            c.push_back(kind == 0 ? NAN : kind == 1 ? 0.0 : kind == 2 ? std::round(u(rng)) : u(rng));
        }
    for (const char* f : formulas) {
        TVROMath block, single;
        ASSERT_EQ(block.Compile(f, kNames), 0) << f;
        ASSERT_EQ(single.Compile(f, kNames), 0);
        std::vector<double> out(n);
        block.EvaluateRange(
            [&](int var, std::int64_t first, int count, double* dst) {
                for (int j = 0; j < count; ++j)
                    dst[j] = var == 0 ? M_PI : var == 1 ? M_E : v[var - 2][static_cast<std::size_t>(first + j)];
            },
            0, n, out.data());
        for (int i = 0; i < n; ++i) {
            single.VariableValue = [&](int var) { return var == 0 ? M_PI : var == 1 ? M_E : v[var - 2][i]; };
            const double x = single.Evaluate();
            if (std::isnan(x))
                ASSERT_TRUE(std::isnan(out[i])) << f << " at " << i;
            else
                ASSERT_EQ(out[i], x) << f << " at " << i;
        }
        if (std::isnan(single.ResultMin()))
            EXPECT_TRUE(std::isnan(block.ResultMin()));
        else {
            EXPECT_EQ(block.ResultMin(), single.ResultMin()) << f;
            EXPECT_EQ(block.ResultMax(), single.ResultMax()) << f;
        }
    }
}
