#include "rates/rates_reply.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace ovantic {
namespace {

using Outcome = RatesReplyOutcome;
using Table = std::map<std::string, double>;

struct ReplyCase {
  std::string name;
  std::string body;
  Outcome outcome;
  Table rates;
};

void PrintTo(const ReplyCase& c, std::ostream* out) {
  *out << c.name;
}

class RatesReplyShapes : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(RatesReplyShapes, ReadsTheBodyIntoOneOutcome) {
  const ReplyCase& c = GetParam();
  const RatesReply reply = parseRatesReply(c.body);
  EXPECT_EQ(reply.outcome, c.outcome);
  // No partial table ever leaves the parser.
  EXPECT_EQ(reply.rates, c.rates);
}

INSTANTIATE_TEST_SUITE_P(
    NotJson, RatesReplyShapes,
    ::testing::Values(
        ReplyCase{"EmptyBody", "", Outcome::notJson, {}},
        ReplyCase{"Blanks", " \n\t", Outcome::notJson, {}},
        ReplyCase{"HtmlPage", "<html><body>502</body></html>", Outcome::notJson, {}},
        ReplyCase{"NumberFragment", "42", Outcome::notJson, {}},
        ReplyCase{"StringFragment", "\"rates\"", Outcome::notJson, {}},
        ReplyCase{"NullFragment", "null", Outcome::notJson, {}},
        ReplyCase{"BoolFragment", "true", Outcome::notJson, {}},
        ReplyCase{"CutOff", R"({"rates":{"EUR":0.92)", Outcome::notJson, {}},
        ReplyCase{"TrailingText", R"({"rates":{"EUR":0.92}} ok)", Outcome::notJson, {}},
        // Whether it is JSON decides first, even when the part that was read had a wrong shape.
        ReplyCase{"WrongShapeThenGarbage", R"({"rates":{"EUR":"x"}} ])", Outcome::notJson, {}},
        ReplyCase{"TwoDocuments", R"({"rates":{}}{"rates":{}})", Outcome::notJson, {}},
        ReplyCase{"SingleQuotes", R"({'rates':{'EUR':0.92}})", Outcome::notJson, {}},
        ReplyCase{"Comment", "{/* c */\"rates\":{}}", Outcome::notJson, {}},
        ReplyCase{"NumberOutOfRange", R"({"rates":{"EUR":1e400}})", Outcome::notJson, {}},
        ReplyCase{"BrokenUtf8", "{\"rates\":{\"E\xff\":1}}", Outcome::notJson, {}},
        ReplyCase{"Nan", R"({"rates":{"EUR":NaN}})", Outcome::notJson, {}}),
    [](const auto& test) { return test.param.name; });

INSTANTIATE_TEST_SUITE_P(
    WrongShape, RatesReplyShapes,
    ::testing::Values(
        ReplyCase{"Array", "[1,2]", Outcome::wrongShape, {}},
        ReplyCase{"ArrayOfReplies", R"([{"rates":{"EUR":1}}])", Outcome::wrongShape, {}},
        ReplyCase{"EmptyObject", "{}", Outcome::wrongShape, {}},
        ReplyCase{
            "ErrorReply", R"({"result":"error","error-type":"unknown"})", Outcome::wrongShape, {}},
        ReplyCase{"RatesIsArray", R"({"rates":[1,2]})", Outcome::wrongShape, {}},
        ReplyCase{"RatesIsNull", R"({"rates":null})", Outcome::wrongShape, {}},
        ReplyCase{"RatesIsNumber", R"({"rates":1})", Outcome::wrongShape, {}},
        ReplyCase{"QuotedNumber",
                  R"({"rates":{"USD":1,"EUR":"0.92","INR":83.12}})",
                  Outcome::wrongShape,
                  {}},
        ReplyCase{"NullRate", R"({"rates":{"USD":1,"EUR":null}})", Outcome::wrongShape, {}},
        ReplyCase{"ZeroRate", R"({"rates":{"USD":1,"EUR":0}})", Outcome::wrongShape, {}},
        ReplyCase{"NegativeRate", R"({"rates":{"USD":1,"EUR":-0.92}})", Outcome::wrongShape, {}},
        ReplyCase{"NegativeZeroRate", R"({"rates":{"EUR":-0.0}})", Outcome::wrongShape, {}},
        ReplyCase{"BoolRate", R"({"rates":{"USD":1,"EUR":true}})", Outcome::wrongShape, {}},
        ReplyCase{"ObjectRate", R"({"rates":{"USD":1,"EUR":{"v":1}}})", Outcome::wrongShape, {}},
        ReplyCase{"ArrayRate", R"({"rates":{"USD":1,"EUR":[0.92]}})", Outcome::wrongShape, {}},
        ReplyCase{
            "BadRateLast", R"({"rates":{"USD":1,"INR":83.12,"EUR":"x"}})", Outcome::wrongShape, {}},
        ReplyCase{"RatesOnlyNested", R"({"data":{"rates":{"EUR":1}}})", Outcome::wrongShape, {}},
        ReplyCase{"KeyCaseMatters", R"({"Rates":{"EUR":1}})", Outcome::wrongShape, {}},
        ReplyCase{
            "LaterRatesNotAnObject", R"({"rates":{"EUR":1},"rates":5})", Outcome::wrongShape, {}},
        // A table is good only with a currency in it, priced against the dollar and plausibly.
        ReplyCase{"EmptyRates", R"({"rates":{}})", Outcome::wrongShape, {}},
        ReplyCase{"OnlyTheDollar", R"({"rates":{"USD":1}})", Outcome::wrongShape, {}},
        ReplyCase{"OnlyNamesThatAreNotCodes", R"({"rates":{"usdt":1}})", Outcome::wrongShape, {}},
        ReplyCase{
            "DollarNotAtOne", R"({"rates":{"USD":1.02,"INR":83.12}})", Outcome::wrongShape, {}},
        ReplyCase{"DollarAsText", R"({"rates":{"USD":"1","INR":83.12}})", Outcome::wrongShape, {}},
        ReplyCase{"RateTooSmall", R"({"rates":{"USD":1,"INR":5e-324}})", Outcome::wrongShape, {}},
        ReplyCase{"RateTooLarge", R"({"rates":{"USD":1,"INR":1e308}})", Outcome::wrongShape, {}},
        ReplyCase{
            "HugeInteger", R"({"rates":{"BIG":18446744073709551615}})", Outcome::wrongShape, {}}),
    [](const auto& test) { return test.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Rates, RatesReplyShapes,
    ::testing::Values(
        ReplyCase{"Plain",
                  R"({"base":"USD","rates":{"USD":1,"EUR":0.92,"INR":83.12},"date":"2024-01-01"})",
                  Outcome::rates,
                  {{"USD", 1.0}, {"EUR", 0.92}, {"INR", 83.12}}},
        ReplyCase{"IntegersBecomeDoubles",
                  R"({"rates":{"JPY":150,"ONE":1}})",
                  Outcome::rates,
                  {{"JPY", 150.0}, {"ONE", 1.0}, {"USD", 1.0}}},
        ReplyCase{"Exponent",
                  R"({"rates":{"IDR":1.56e4}})",
                  Outcome::rates,
                  {{"IDR", 15600.0}, {"USD", 1.0}}},
        ReplyCase{"PlausibleExtremes",
                  R"({"rates":{"XAU":1e-6,"VES":1e9}})",
                  Outcome::rates,
                  {{"XAU", 1e-6}, {"VES", 1e9}, {"USD", 1.0}}},
        // Whatever they hold, names that are not codes neither spoil the table nor enter it.
        ReplyCase{"NamesThatAreNotCodesDropped",
                  R"({"rates":{"SEK":10.45,"eur":2,"":3,"usdt":"x","ABCD":0,"E1R":1}})",
                  Outcome::rates,
                  {{"SEK", 10.45}, {"USD", 1.0}}},
        ReplyCase{"OtherMembersIgnored",
                  R"({"x":{"rates":"no","y":[{"rates":1}]},"rates":{"EUR":0.5},"z":null})",
                  Outcome::rates,
                  {{"EUR", 0.5}, {"USD", 1.0}}},
        ReplyCase{"LaterRatesWin",
                  R"({"rates":{"EUR":"x"},"rates":{"INR":2}})",
                  Outcome::rates,
                  {{"INR", 2.0}, {"USD", 1.0}}},
        ReplyCase{"LaterDuplicateCodeWins",
                  R"({"rates":{"EUR":1,"EUR":2}})",
                  Outcome::rates,
                  {{"EUR", 2.0}, {"USD", 1.0}}},
        ReplyCase{"ByteOrderMark",
                  "\xEF\xBB\xBF{\"rates\":{\"EUR\":0.92}}",
                  Outcome::rates,
                  {{"EUR", 0.92}, {"USD", 1.0}}},
        ReplyCase{"SurroundingBlanks",
                  " \r\n{\"rates\" : { \"EUR\" : 0.92 } }\n",
                  Outcome::rates,
                  {{"EUR", 0.92}, {"USD", 1.0}}}),
    [](const auto& test) { return test.param.name; });

// A hostile body must not cost the parser its stack.
TEST(RatesReply, DeepNestingIsReadWithoutRecursion) {
  const std::size_t depth = 200000;
  const std::string deep = std::string(depth, '[') + std::string(depth, ']');
  const RatesReply reply = parseRatesReply(R"({"deep":)" + deep + R"(,"rates":{"EUR":0.92}})");
  EXPECT_EQ(reply.outcome, Outcome::rates);
  EXPECT_EQ(reply.rates, (Table{{"EUR", 0.92}, {"USD", 1.0}}));

  EXPECT_EQ(parseRatesReply(std::string(depth, '{')).outcome, Outcome::notJson);
}

TEST(RatesReply, RawNulByteIsNotJson) {
  using namespace std::string_literals;
  for (const std::string& body :
       {"{\"rates\":{\"EUR\":0.92}}\0"s, "{\"rates\":{\"EUR\":0.92}}\0<html>"s,
        "{\"rates\":{\"E\0R\":0.92}}"s, "\0"s}) {
    EXPECT_EQ(parseRatesReply(body).outcome, Outcome::notJson) << body.size();
  }
}

}  // namespace
}  // namespace ovantic

namespace ovantic {
namespace {

std::string readTestFile(const std::string& name) {
  std::ifstream in(std::string(OVANTIC_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A real reply of the second service, as its package published it.
TEST(CurrencyApiReply, RealReplyKeepsTheCurrenciesInUse) {
  const std::string body = readTestFile("currency_api_usd.min.json");
  ASSERT_GT(body.size(), 1000u);
  const RatesReply reply = parseCurrencyApiReply(body);
  ASSERT_EQ(reply.outcome, Outcome::rates);
  EXPECT_EQ(reply.date, "2026-09-29");
  EXPECT_DOUBLE_EQ(reply.rates.at("INR"), 96.08534228);
  for (const char* code : {"EUR", "GBP", "JPY", "XAF", "XOF", "CHF", "SEK"}) {
    EXPECT_EQ(reply.rates.count(code), 1u) << code;
  }
  // Crypto-currencies, metals, funds and retired currencies are not money to convert here.
  for (const char* code : {"BTC", "ETH", "XAU", "XAG", "XDR", "ATS", "BEF", "ADA", "1INCH"}) {
    EXPECT_EQ(reply.rates.count(code), 0u) << code;
  }
  EXPECT_GT(reply.rates.size(), 140u);
  EXPECT_LT(reply.rates.size(), 200u);
}

TEST(CurrencyApiReply, ShapesAndUnusableRates) {
  const std::vector<ReplyCase> cases{
      {"NotJson", "<html>502</html>", Outcome::notJson, {}},
      {"FirstServiceShape", R"({"rates":{"EUR":0.92}})", Outcome::wrongShape, {}},
      {"UsdNotAnObject", R"({"date":"2026-09-29","usd":[1]})", Outcome::wrongShape, {}},
      {"NoCurrencyAtAll", R"({"usd":{"btc":0.00001,"xau":0.0003}})", Outcome::wrongShape, {}},
      {"ZeroCurrencyRate", R"({"usd":{"eur":0,"inr":96}})", Outcome::wrongShape, {}},
      {"QuotedCurrencyRate", R"({"usd":{"eur":"0.9","inr":96}})", Outcome::wrongShape, {}},
      // What is dropped anyway cannot spoil the reply.
      {"BadCryptoRateIgnored",
       R"({"usd":{"btc":0,"doge":"x","inr":96}})",
       Outcome::rates,
       {{"INR", 96.0}, {"USD", 1.0}}},
      {"UpperCaseNamesIgnored",
       R"({"usd":{"EUR":5,"eur":0.9}})",
       Outcome::rates,
       {{"EUR", 0.9}, {"USD", 1.0}}},
  };
  for (const ReplyCase& c : cases) {
    SCOPED_TRACE(c.name);
    const RatesReply reply = parseCurrencyApiReply(c.body);
    EXPECT_EQ(reply.outcome, c.outcome);
    EXPECT_EQ(reply.rates, c.rates);
  }
}

TEST(RatesReply, DateIsTakenOnlyWhenItIsADay) {
  EXPECT_EQ(parseRatesReply(R"({"date":"2024-02-29","rates":{"INR":83}})").date, "2024-02-29");
  for (const char* date : {R"("2024-13-01")", R"("2023-02-29")", R"("2024-04-31")",
                           R"("28.12.2024")", "20241228", R"("2024-12-2x")", R"("-024-12-28")"}) {
    SCOPED_TRACE(date);
    const RatesReply reply =
        parseCurrencyApiReply(std::string(R"({"usd":{"inr":96},"date":)") + date + "}");
    EXPECT_EQ(reply.outcome, Outcome::rates);
    EXPECT_EQ(reply.date, "");
  }
}

}  // namespace
}  // namespace ovantic
