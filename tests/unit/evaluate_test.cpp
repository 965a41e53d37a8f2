#include "lang/evaluate.h"

#include <gtest/gtest.h>

#include <string>

#include "lang/number.h"
#include "lang/token_hook.h"
#include "lang/variables.h"

namespace {

class EvaluateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllVariables();
    InstallTokenHook(nullptr);
  }
  void TearDown() override {
    DeleteAllVariables();
    InstallTokenHook(nullptr);
  }

  static uint32_t Num(const std::string& text) {
    Value v;
    const char* message = "";
    EXPECT_EQ(Evaluate(text, &v, nullptr, &message), 0) << text << ": " << message;
    EXPECT_FALSE(v.isText) << text;
    return v.number;
  }

  static std::string Text(const std::string& text) {
    Value v;
    const char* message = "";
    EXPECT_EQ(Evaluate(text, &v, nullptr, &message), 0) << text << ": " << message;
    EXPECT_TRUE(v.isText) << text;
    return v.text;
  }

  // The error position and message of a failing expression.
  static std::pair<int, std::string> Error(const std::string& text) {
    Value v;
    const char* message = nullptr;
    int pos = Evaluate(text, &v, nullptr, &message);
    EXPECT_NE(pos, 0) << text;
    return {pos, message != nullptr ? message : "(none)"};
  }

  static void Set(const char* name, const Value& v) { ASSERT_TRUE(SetVariable(name, v, nullptr)); }
};

using Err = std::pair<int, std::string>;

TEST_F(EvaluateTest, OneRowGroupsFromTheRightAndRowsBindByTableOrder) {
  EXPECT_EQ(Num("8-2-1"), 7u);
  EXPECT_EQ(Num("10/4/2"), 8u);  // plain literals are hexadecimal
  EXPECT_EQ(Num("1-2+3"), 2u);   // "+" is looser than "-"
  EXPECT_EQ(Num("8/2*2"), 2u);   // "/" is looser than "*"
  EXPECT_EQ(Num("2*3/2"), 3u);
  EXPECT_EQ(Num("0-1"), 0xFFFFFFFFu);
  EXPECT_EQ(Num("FFFFFFFF+2"), 1u);
  EXPECT_EQ(Num("10000*10000"), 0u);
  EXPECT_EQ(Num("(1+2)*3"), 9u);
}

TEST_F(EvaluateTest, BracedLookAheadGivesUpTheWholePattern) {
  EXPECT_EQ(Num("2 ** 3 * 4"), 4096u);  // multiply gives up at "**": 2 ** (3 * 4)
  EXPECT_EQ(Num("2 ** 10t"), 0x400u);
  EXPECT_EQ(Num("5 > 3"), 1u);
  EXPECT_EQ(Num("3 >= 5"), 0u);
  EXPECT_EQ(Num("3 >= 3"), 1u);
  EXPECT_EQ(Num("1 < 2"), 1u);
  EXPECT_EQ(Num("2 <= 1"), 0u);
  EXPECT_EQ(Num("10 >> 1"), 8u);
  EXPECT_EQ(Num("1 >>> 1"), 0x80000000u);
  EXPECT_EQ(Num("FFFFFFFF > 1"), 1u);  // unsigned
}

TEST_F(EvaluateTest, ShiftsRotationsAndPower) {
  Set("$a", Value::Number(0x80000000));
  EXPECT_EQ(Num("$a >> 1"), 0x40000000u);
  EXPECT_EQ(Num("1 << 20"), 0u);   // a count of 32 or more clears
  EXPECT_EQ(Num("1 >> 20"), 1u);   // the count is taken modulo 32
  EXPECT_EQ(Num("1 <<< 21"), 2u);  // 33: one step
  EXPECT_EQ(Num("80000001 >>> 1"), 0xC0000000u);
  EXPECT_EQ(Num("2 ** 1F"), 0x80000000u);
  EXPECT_EQ(Num("2 ** 20"), 0u);   // 2^32 keeps its low 32 bits
  EXPECT_EQ(Num("3 ** 40t"), 0u);  // beyond the 64-bit range
  EXPECT_EQ(Num("0 ** 0"), 1u);
  EXPECT_EQ(Num("~0"), 0xFFFFFFFFu);
  EXPECT_EQ(Num("F0 & 3C | 1 ^ 3"), (0xF0u & 0x3Cu) | (1u ^ 3u));
}

TEST_F(EvaluateTest, TextOperators) {
  EXPECT_EQ(Num("\"ABC\" == \"abc\""), 1u);
  EXPECT_EQ(Num("\"ABC\" != \"abcd\""), 1u);
  EXPECT_EQ(Text("\"ab\" + \"cd\""), "abcd");
  EXPECT_EQ(Text("\"hello\" - \"l\""), "helo");
  EXPECT_EQ(Text("\"hello\" - \"L\""), "hello");  // removal heeds case
  EXPECT_EQ(Text("\"hello\" - 2"), "hel");
  EXPECT_EQ(Text("\"hello\" / 2"), "he");
  EXPECT_EQ(Text("\"hello\" / \"l\""), "he");
  EXPECT_EQ(Text("\"hello\" / \"z\""), "hello");
  EXPECT_EQ(Text("\"hello\" % \"l\""), "lo");
  EXPECT_EQ(Text("\"hello\" % \"z\""), "hello");
  EXPECT_EQ(Text("\"hello\" % 2"), "llo");
  EXPECT_EQ(Text("\"ab\" * 3"), "ababab");
  EXPECT_EQ(Text("\"ab\" * 0"), "");
  EXPECT_EQ(Text("\"hello\" << 2"), "llo");
  EXPECT_EQ(Text("\"hello\" >> 2"), "hel");
  EXPECT_EQ(Text("\"abcde\" <<< 2"), "cdeab");
  EXPECT_EQ(Text("\"abcde\" >>> 2"), "deabc");
  EXPECT_EQ(Text("\"abcde\" >>> 7"), "deabc");
  EXPECT_EQ(Text("\"\" <<< 3"), "");
  // Counts at or beyond the length leave nothing.
  EXPECT_EQ(Text("\"abc\" - 3"), "");
  EXPECT_EQ(Text("\"abc\" << FFFFFFFF"), "");
  EXPECT_EQ(Text("\"abc\" >> 4"), "");
  EXPECT_EQ(Text("\"abc\" % 9"), "");
}

TEST_F(EvaluateTest, LogicalOperatorsShortCircuit) {
  EXPECT_EQ(Num("1 ? 5 : $undefined"), 5u);
  EXPECT_EQ(Num("0 ? $undefined : 6"), 6u);
  EXPECT_EQ(Text("\"\" ? 1 : \"no\""), "no");
  EXPECT_EQ(Num("0 && $undefined"), 0u);
  EXPECT_EQ(Num("1 || $undefined"), 1u);
  EXPECT_EQ(Num("0 and $undefined"), 0u);
  EXPECT_EQ(Num("5 or $undefined"), 1u);
  EXPECT_EQ(Error("1 && $undefined"), Err(6, "Unknown token or expression."));
  EXPECT_EQ(Error("0 || $undefined"), Err(6, "Unknown token or expression."));
  EXPECT_EQ(Num("A xor B"), 0u);
  EXPECT_EQ(Num("1 XOR 0"), 1u);
  EXPECT_EQ(Num("1 AnD \"x\""), 1u);
  EXPECT_EQ(Num("NOT 0"), 1u);
  EXPECT_EQ(Num("!\"\""), 1u);
  EXPECT_EQ(Num("!5"), 0u);
  EXPECT_EQ(Num("1 ? 2 : 0 ? 3 : 4"), 2u);
  EXPECT_EQ(Num("0 ? 2 : 0 ? 3 : 4"), 4u);
}

TEST_F(EvaluateTest, PrefixOperatorAfterOtherTextLeavesItToTighterRows) {
  EXPECT_EQ(Num("1 + not 0"), 2u);
  EXPECT_EQ(Num("3 * !0"), 3u);
  EXPECT_EQ(Num("2 ** ~FFFFFFFE"), 2u);
  EXPECT_EQ(Num("!~0"), 0u);  // "~" is not at the start, so "!" takes it all
  EXPECT_EQ(Num("~!0"), 0xFFFFFFFEu);
  EXPECT_EQ(Error("2 not 3").second, "Unknown token or expression.");
}

TEST_F(EvaluateTest, BracketsAndQuotesHideOperators) {
  EXPECT_EQ(Num("((1))"), 1u);
  EXPECT_EQ(Num(" ( ( 2 + 3 ) ) "), 5u);
  EXPECT_EQ(Num("(1+2)*(3+4)"), 21u);
  EXPECT_EQ(Text("\"a+b\""), "a+b");
  EXPECT_EQ(Text("\"a(\" + \")\""), "a()");
  EXPECT_EQ(Text("\"say \\\"hi\\\" - ok\""), "say \\\"hi\\\" - ok");  // escapes stay untranslated
  EXPECT_EQ(Num("\"a\\\\\" == \"a\\\\\""), 1u);  // a quote after two backslashes still closes
}

TEST_F(EvaluateTest, FailuresCarryTheirPosition) {
  EXPECT_EQ(Error("-1"), Err(1, "Expected an expression here."));
  EXPECT_EQ(Error("  -1"), Err(3, "Expected an expression here."));
  EXPECT_EQ(Error("1 ?: 3"), Err(4, "Expected an expression here."));
  EXPECT_EQ(Error("1 + - 1"), Err(5, "Expected an expression here."));
  EXPECT_EQ(Error("5+"), Err(1, "Missing an expression after the operator."));
  EXPECT_EQ(Error("~"), Err(1, "Missing an expression after the operator."));
  EXPECT_EQ(Error("(5"), Err(1, "Parenthesis mismatch."));
  EXPECT_EQ(Error("5)"), Err(1, "Parenthesis mismatch."));
  EXPECT_EQ(Error("5 / 0"), Err(2, "Cannot divide by zero."));
  EXPECT_EQ(Error("5 % 0"), Err(2, "Cannot divide by zero."));
  EXPECT_EQ(Error("\"abc\" + 1"), Err(2, "Cannot mix numerical and string values here."));
  EXPECT_EQ(Error("1 == \"a\""), Err(3, "Cannot mix numerical and string values here."));
  EXPECT_EQ(Error("\"a\" & 1"), Err(1, "Unexpected string value."));
  EXPECT_EQ(Error("1 < \"a\""), Err(2, "Unexpected string value."));
  EXPECT_EQ(Error("1 - \"a\""), Err(2, "Unexpected string value."));
  EXPECT_EQ(Error("4 / \"a\""), Err(2, "Unexpected string value."));
  EXPECT_EQ(Error("1 << \"a\""), Err(2, "Unexpected string value."));
  EXPECT_EQ(Error("~\"a\""), Err(1, "Unexpected string value."));
  EXPECT_EQ(Error("\"a\" ** 2"), Err(1, "Unexpected string value."));
  EXPECT_EQ(Error("\"a\" * \"b\""), Err(2, "Expected a numerical value here."));
  EXPECT_EQ(Error("\"abc"), Err(1, "Invalid string value."));
  EXPECT_EQ(Error("5.n"), Err(3, "Cannot convert a numerical value to a numerical value."));
  EXPECT_EQ(Error("5.x"), Err(3, "Unknown format specifier."));
  EXPECT_EQ(Error("0x10"), Err(1, "Unknown token or expression."));
  // An error inside an operand points into that operand, through brackets and blanks.
  EXPECT_EQ(Error("1 + $nope"), Err(5, "Unknown token or expression."));
  EXPECT_EQ(Error("( 1 + $nope )"), Err(7, "Unknown token or expression."));
  EXPECT_EQ(Error("1 + (2 * (3 / 0))"), Err(12, "Cannot divide by zero."));
  Value v;
  EXPECT_NE(Evaluate("$nope", &v, nullptr, nullptr), 0);  // the message is optional
}

TEST_F(EvaluateTest, TextLiteralsInterpolateBraces) {
  Set("$i", Value::Number(0x1F));
  Set("$s", Value::Text("abc"));
  EXPECT_EQ(Text("\"x={$i}\""), "x=1F");
  EXPECT_EQ(Text("\"{$s}-{$i+1}\""), "abc-20");
  EXPECT_EQ(Text("\"{$nope} {\""), "{$nope} {");
  EXPECT_EQ(Text("\"{}\""), "0");  // an empty expression is the number 0
  Set("$self", Value::Text("{$self}"));
  EXPECT_EQ(Text("\"{$self}\""), "{$self}");  // a value is never interpolated again
}

TEST_F(EvaluateTest, ConvertersOnPrimaryOperands) {
  Set("$var", Value::Number(0x3F));
  EXPECT_EQ(Text("$var.sh4"), "  3F");
  EXPECT_EQ(Text("$var.st04"), "0063");
  EXPECT_EQ(Text("$var.si"), "111111");
  EXPECT_EQ(Text("$var.si08"), "00111111");
  EXPECT_EQ(Text("\"abc\".s5"), "abc  ");
  EXPECT_EQ(Text("\"abcdef\".S3"), "abc");
  EXPECT_EQ(Num("\"2Ch\".nh"), 0x2Cu);
  EXPECT_EQ(Num("\"123\".nt2"), 12u);
  EXPECT_EQ(Text("\"a.b\""), "a.b");
  EXPECT_EQ(Text("$var.s + \"!\""), "3F!");
  EXPECT_EQ(Num("3F.st == \"63\""), 1u);
}

TEST_F(EvaluateTest, TextResultsNeverPassTheCapacity) {
  std::string big(300, 'x');
  EXPECT_EQ(Text("\"" + big + "\"").size(), kTextCapacity);
  EXPECT_EQ(Text("\"ab\" * FFFFFFFF").size(), kTextCapacity);
  Set("$half", Value::Text(std::string(200, 'y')));
  EXPECT_EQ(Text("$half + $half").size(), kTextCapacity);
  EXPECT_EQ(Text("\"{$half}{$half}\"").size(), kTextCapacity);
  EXPECT_EQ(Text("1.s300").size(), kTextCapacity);
  EXPECT_EQ(Text("1.si0300"), std::string(31, '0') + "1");  // zero padding stops at 32 digits
}

TEST_F(EvaluateTest, DeepNestingFailsWithAMessage) {
  std::string wrapped = std::string(5000, '(') + "7" + std::string(5000, ')');
  EXPECT_EQ(Num(wrapped), 7u);  // wrapping pairs go without nesting
  std::string deep;
  for (int i = 0; i < 3000; i++) deep += "(1+";
  deep += "1" + std::string(3000, ')');
  auto [pos, message] = Error(deep);
  EXPECT_EQ(message, "Expression is nested too deeply.");
  EXPECT_GT(pos, 1);
  std::string chain;
  for (int i = 0; i < 127; i++) chain += "1+";
  EXPECT_EQ(Num(chain + "1"), 128u);  // the longest chain an argument can hold still works
}

TEST_F(EvaluateTest, OtherOperandsGoToTheTokenHookWithAKindHint) {
  static std::string seen;
  static bool presetText = false;
  InstallTokenHook([](std::string_view token, Value* value, const char** message) {
    seen = token;
    presetText = value->isText;
    if (token == "nope") {
      *message = "Unknown feature or token.";
      return 2;
    }
    if (value->isText) {
      value->SetText("text");
    } else {
      value->SetNumber(0x42);
    }
    return 0;
  });
  EXPECT_EQ(Num("1 + hdp"), 0x43u);
  EXPECT_EQ(seen, "hdp");
  EXPECT_FALSE(presetText);
  EXPECT_EQ(Text("hdp.s"), "text");
  EXPECT_TRUE(presetText);
  EXPECT_EQ(Text("hdp.s3"), "tex");
  EXPECT_TRUE(presetText);
  EXPECT_EQ(Text("hdp.sh"), "42");
  EXPECT_FALSE(presetText);
  EXPECT_EQ(Error("1 +  nope"), Err(7, "Unknown feature or token."));
}

TEST_F(EvaluateTest, VariablesFollowTheScope) {
  ASSERT_TRUE(SetVariable("$x", Value::Number(1), "a.txt1"));
  ASSERT_TRUE(SetVariable("$$x", Value::Number(2), "a.txt1"));
  Value v;
  ASSERT_EQ(Evaluate("$X + 10", &v, "A.TXT1", nullptr), 0);
  EXPECT_EQ(v.number, 0x11u);
  ASSERT_EQ(Evaluate("$$x", &v, "a.txt1", nullptr), 0);
  EXPECT_EQ(v.number, 2u);
  ASSERT_EQ(Evaluate("$x", &v, nullptr, nullptr), 0);  // at the prompt "$x" is the global
  EXPECT_EQ(v.number, 2u);
  EXPECT_NE(Evaluate("$x", &v, "b.txt2", nullptr), 0);  // a callee does not see the locals
  const char* message = "";
  ASSERT_EQ(Evaluate("$x", &v, &message), 0);  // the commands' form: the prompt's scope here
  EXPECT_EQ(v.number, 2u);
}

TEST_F(EvaluateTest, EvalToNumAndArgToNumWantNumbers) {
  uint32_t n = 0;
  const char* message = "";
  EXPECT_EQ(EvalToNum("\"a\"", &n, &message), 1);
  EXPECT_STREQ(message, "Value cannot be a string.");
  EXPECT_EQ(ArgToNum("1A+1", 10, &n), 0);  // not a decimal literal, so evaluated in hex
  EXPECT_EQ(n, 0x1Bu);
  n = 7;
  EXPECT_EQ(ArgToNum("\"a\"", 16, &n), -1);
  EXPECT_EQ(n, 7u);
}

}  // namespace
