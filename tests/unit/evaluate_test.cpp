#include "lang/evaluate.h"

#include <gtest/gtest.h>

#include <span>
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
using NumRow = std::pair<const char*, uint32_t>;
using TextRow = std::pair<const char*, const char*>;

// Rows of one operator row group from the right (plain literals are hexadecimal); "+" is looser
// than "-" and "/" looser than "*". A braced look-ahead gives up the whole pattern: multiply gives
// up at "**" in "2 ** 3 * 4". Comparisons are unsigned; a shift count of 32 or more clears, a
// rotation takes it modulo 32, and powers keep the low 32 bits.
TEST_F(EvaluateTest, NumberOperators) {
  const NumRow grouping[] = {{"8-2-1", 7},         {"10/4/2", 8},       {"1-2+3", 2},
                             {"8/2*2", 2},         {"2*3/2", 3},        {"0-1", ~0u},
                             {"FFFFFFFF+2", 1},    {"10000*10000", 0},  {"(1+2)*3", 9},
                             {"2 ** 3 * 4", 4096}, {"2 ** 10t", 0x400}, {"5 > 3", 1},
                             {"3 >= 5", 0},        {"3 >= 3", 1},       {"1 < 2", 1},
                             {"2 <= 1", 0},        {"10 >> 1", 8},      {"FFFFFFFF > 1", 1}};
  const NumRow shifts[] = {{"1 >>> 1", 0x80000000},
                           {"1 << 20", 0},
                           {"1 >> 20", 1},
                           {"1 <<< 21", 2},
                           {"80000001 >>> 1", 0xC0000000},
                           {"2 ** 1F", 0x80000000},
                           {"2 ** 20", 0},
                           {"3 ** 40t", 0},
                           {"0 ** 0", 1},
                           {"~0", ~0u},
                           {"F0 & 3C | 1 ^ 3", (0xF0u & 0x3Cu) | (1u ^ 3u)}};
  for (const auto& rows : {std::span<const NumRow>(grouping), std::span<const NumRow>(shifts)}) {
    for (const auto& [text, value] : rows) EXPECT_EQ(Num(text), value) << text;
  }
  Set("$a", Value::Number(0x80000000));
  EXPECT_EQ(Num("$a >> 1"), 0x40000000u);
}

// Text operators: removal heeds case; counts at or beyond the length leave nothing.
TEST_F(EvaluateTest, TextOperators) {
  EXPECT_EQ(Num("\"ABC\" == \"abc\""), 1u);
  EXPECT_EQ(Num("\"ABC\" != \"abcd\""), 1u);
  const TextRow rows[] = {
      {"\"ab\" + \"cd\"", "abcd"},    {"\"hello\" - \"l\"", "helo"}, {"\"hello\" - \"L\"", "hello"},
      {"\"hello\" - 2", "hel"},       {"\"hello\" / 2", "he"},       {"\"hello\" / \"l\"", "he"},
      {"\"hello\" / \"z\"", "hello"}, {"\"hello\" % \"l\"", "lo"},   {"\"hello\" % \"z\"", "hello"},
      {"\"hello\" % 2", "llo"},       {"\"ab\" * 3", "ababab"},      {"\"ab\" * 0", ""},
      {"\"hello\" << 2", "llo"},      {"\"hello\" >> 2", "hel"},     {"\"abcde\" <<< 2", "cdeab"},
      {"\"abcde\" >>> 2", "deabc"},   {"\"abcde\" >>> 7", "deabc"},  {"\"\" <<< 3", ""}};
  const TextRow emptied[] = {
      {"\"abc\" - 3", ""}, {"\"abc\" << FFFFFFFF", ""}, {"\"abc\" >> 4", ""}, {"\"abc\" % 9", ""}};
  for (const auto& [text, value] : rows) EXPECT_EQ(Text(text), value) << text;
  for (const auto& [text, value] : emptied) EXPECT_EQ(Text(text), value) << text;
}

// Logical operators short-circuit; a prefix operator after other text leaves it to tighter rows
// ("~" not at the start, so "!" takes it all); brackets and quotes hide operators, and escapes
// stay untranslated, a quote after two backslashes still closing.
TEST_F(EvaluateTest, LogicPrefixesBracketsAndQuotes) {
  const NumRow rows[] = {{"1 ? 5 : $undefined", 5},
                         {"0 ? $undefined : 6", 6},
                         {"0 && $undefined", 0},
                         {"1 || $undefined", 1},
                         {"0 and $undefined", 0},
                         {"5 or $undefined", 1},
                         {"A xor B", 0},
                         {"1 XOR 0", 1},
                         {"1 AnD \"x\"", 1},
                         {"NOT 0", 1},
                         {"!\"\"", 1},
                         {"!5", 0},
                         {"1 ? 2 : 0 ? 3 : 4", 2},
                         {"0 ? 2 : 0 ? 3 : 4", 4},
                         {"1 + not 0", 2},
                         {"3 * !0", 3},
                         {"2 ** ~FFFFFFFE", 2},
                         {"!~0", 0}};
  const NumRow more[] = {{"~!0", 0xFFFFFFFE},
                         {"((1))", 1},
                         {" ( ( 2 + 3 ) ) ", 5},
                         {"(1+2)*(3+4)", 21},
                         {"\"a\\\\\" == \"a\\\\\"", 1}};
  for (const auto& [text, value] : rows) EXPECT_EQ(Num(text), value) << text;
  for (const auto& [text, value] : more) EXPECT_EQ(Num(text), value) << text;
  EXPECT_EQ(Text("\"\" ? 1 : \"no\""), "no");
  EXPECT_EQ(Text("\"a+b\""), "a+b");
  EXPECT_EQ(Text("\"a(\" + \")\""), "a()");
  EXPECT_EQ(Text("\"say \\\"hi\\\" - ok\""), "say \\\"hi\\\" - ok");
  EXPECT_EQ(Error("1 && $undefined"), Err(6, "Unknown token or expression."));
  EXPECT_EQ(Error("0 || $undefined"), Err(6, "Unknown token or expression."));
  EXPECT_EQ(Error("2 not 3").second, "Unknown token or expression.");
}

// An error inside an operand points into that operand, through brackets and blanks.
TEST_F(EvaluateTest, FailuresCarryTheirPosition) {
  struct Row {
    const char* text;
    Err error;
  };
  const Row rows[] = {
      {"-1", {1, "Expected an expression here."}},
      {"  -1", {3, "Expected an expression here."}},
      {"1 ?: 3", {4, "Expected an expression here."}},
      {"1 + - 1", {5, "Expected an expression here."}},
      {"5+", {1, "Missing an expression after the operator."}},
      {"~", {1, "Missing an expression after the operator."}},
      {"(5", {1, "Parenthesis mismatch."}},
      {"5)", {1, "Parenthesis mismatch."}},
      {"5 / 0", {2, "Cannot divide by zero."}},
      {"5 % 0", {2, "Cannot divide by zero."}},
      {"\"abc\" + 1", {2, "Cannot mix numerical and string values here."}},
      {"1 == \"a\"", {3, "Cannot mix numerical and string values here."}},
      {"\"a\" & 1", {1, "Unexpected string value."}},
      {"1 < \"a\"", {2, "Unexpected string value."}},
      {"1 - \"a\"", {2, "Unexpected string value."}},
      {"4 / \"a\"", {2, "Unexpected string value."}},
      {"1 << \"a\"", {2, "Unexpected string value."}},
      {"~\"a\"", {1, "Unexpected string value."}},
      {"\"a\" ** 2", {1, "Unexpected string value."}},
      {"\"a\" * \"b\"", {2, "Expected a numerical value here."}},
      {"\"abc", {1, "Invalid string value."}},
      {"5.n", {3, "Cannot convert a numerical value to a numerical value."}},
      {"5.x", {3, "Unknown format specifier."}},
      {"0x10", {1, "Unknown token or expression."}},
      {"1 + $nope", {5, "Unknown token or expression."}},
      {"( 1 + $nope )", {7, "Unknown token or expression."}},
      {"1 + (2 * (3 / 0))", {12, "Cannot divide by zero."}},
  };
  for (const Row& r : rows) EXPECT_EQ(Error(r.text), r.error) << r.text;
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

// Converters apply to primary operands (the converters themselves are tested on their own).
TEST_F(EvaluateTest, ConvertersOnPrimaryOperands) {
  Set("$var", Value::Number(0x3F));
  EXPECT_EQ(Text("$var.st04"), "0063");
  EXPECT_EQ(Num("\"2Ch\".nh"), 0x2Cu);
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
