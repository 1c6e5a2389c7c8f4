#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "converter/currency_converter_view.h"
#include "doubles.h"
#include "rates/relative_time.h"

namespace ovantic {
namespace {

using fakes::ClockedMainQueue;
using fakes::ManualHttpClient;
using Reply = HttpClient::Reply;
using Table = std::map<std::string, double>;

const std::string kUrl = "https://rates.test/v4/latest/USD";

const Table goodRates{{"USD", 1.0},   {"EUR", 0.92}, {"INR", 83.12}, {"GBP", 0.79},
                      {"JPY", 149.5}, {"CAD", 1.36}, {"AUD", 1.52},  {"CHF", 0.88},
                      {"CNY", 7.24},  {"MXN", 17.1}, {"SEK", 10.45}};

const char* const kGoodBody =
    R"({"base":"USD","rates":{"USD":1,"EUR":0.92,"INR":83.12,"GBP":0.79,"JPY":149.5,)"
    R"("CAD":1.36,"AUD":1.52,"CHF":0.88,"CNY":7.24,"MXN":17.1,"SEK":10.45}})";

Reply body(std::string text) {
  return Reply{std::move(text), std::nullopt};
}

class RateFeedTest : public ::testing::Test {
 protected:
  std::shared_ptr<CurrencyConverterView> converterFor(const std::string& url = kUrl) {
    ConverterServices services;
    services.mainQueue = queue;
    services.http = http;
    services.locale = "en_US";
    services.ratesUrl = url;
    auto view = CurrencyConverterView::create(std::move(services));
    view->onStateChange = [counter = stateChanges] { ++*counter; };
    return view;
  }

  // Starts a fetch, answers it and applies the answer the way the event loop would.
  void fetch(CurrencyConverterView& view, Reply reply) {
    view.fetchRates();
    EXPECT_TRUE(view.isLoading);
    EXPECT_EQ(view.rateText, "Fetching rates...");
    ASSERT_FALSE(http->requests.empty()) << "no request left";
    http->answerLast(std::move(reply));
    EXPECT_EQ(queue->pending(), 1u) << "a reply is one task";
    queue->drain();
  }

  std::shared_ptr<ClockedMainQueue> queue = std::make_shared<ClockedMainQueue>();
  std::shared_ptr<ManualHttpClient> http = std::make_shared<ManualHttpClient>();
  std::shared_ptr<int> stateChanges = std::make_shared<int>(0);
};

TEST_F(RateFeedTest, GoodReplyReplacesTheTableAndConvertsAgain) {
  auto view = converterFor();
  view->amountText = "100";
  view->fromCurrency = "EUR";
  view->toCurrency = "INR";

  fetch(*view, body(kGoodBody));

  EXPECT_EQ(http->urls(), std::vector<std::string>{kUrl});
  EXPECT_FALSE(view->isLoading);
  EXPECT_EQ(view->exchangeRates, goodRates);  // SEK too: codes outside the catalogue stay

  // The rate line and result are what a conversion over the new table writes.
  auto reference = converterFor();
  reference->amountText = "100";
  reference->fromCurrency = "EUR";
  reference->toCurrency = "INR";
  reference->exchangeRates = goodRates;
  reference->convert();
  EXPECT_EQ(view->rateText, reference->rateText);
  EXPECT_EQ(view->resultText, reference->resultText);
  EXPECT_NE(view->rateText, "Fetching rates...");

  const auto now = std::chrono::system_clock::now();
  EXPECT_EQ(view->lastUpdatedText, "Rates updated " + relativeTimeText("en_US", now, now));
  EXPECT_EQ(view->lastUpdatedText, "Rates updated in 0 sec.");
  EXPECT_EQ(*stateChanges, 1);
}

struct AcceptedRow {
  const char* name;
  const char* body;
  const char* code;
  double rate;
};

TEST_F(RateFeedTest, AcceptedRepliesStoreTheirTableWithUsdAtOne) {
  const AcceptedRow rows[] = {{"UsdOff", R"({"rates":{"USD":1.02,"JPY":150}})", "USD", 1.0},
                              {"NoUsd", R"({"rates":{"INR":83.12}})", "USD", 1.0},
                              {"Integers", R"({"rates":{"USD":1,"JPY":150}})", "JPY", 150.0}};
  for (const AcceptedRow& row : rows) {
    SCOPED_TRACE(row.name);
    auto view = converterFor();
    fetch(*view, body(row.body));
    EXPECT_EQ(view->exchangeRates.at(row.code), row.rate);
    EXPECT_EQ(view->exchangeRates.at("USD"), 1.0);
    EXPECT_EQ(view->lastUpdatedText.rfind("Rates updated ", 0), 0u);
  }
}

TEST_F(RateFeedTest, ReplyLackingAChosenCurrencyLeavesTheRateLineWaiting) {
  auto view = converterFor();
  fetch(*view, body(R"({"rates":{"USD":1,"EUR":0.92}})"));
  EXPECT_EQ(view->exchangeRates.count("INR"), 0u);
  EXPECT_EQ(view->rateText, "Loading rates...");
  EXPECT_FALSE(view->lastUpdatedText.empty());
}

// The footer must not go on saying a fetch is under way once it has ended, however little the
// amount field holds.
TEST_F(RateFeedTest, EveryGoodReplyWritesTheRateLineWhateverTheAmount) {
  for (const char* amount : {"", "abc"}) {
    SCOPED_TRACE(amount);
    auto view = converterFor();
    view->amountText = amount;
    fetch(*view, body(kGoodBody));
    EXPECT_EQ(view->exchangeRates, goodRates);
    EXPECT_EQ(view->rateText, "USD 1 = INR 83.1200");
    EXPECT_EQ(view->lastUpdatedText.rfind("Rates updated ", 0), 0u);
  }
}

struct FailureRow {
  const char* name;
  Reply reply;
  std::string rateText;
};

void PrintTo(const FailureRow& row, std::ostream* out) {
  *out << row.name;
}

class RateFeedFailures : public RateFeedTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(RateFeedFailures, FreshConverterKeepsItsInitialTable) {
  const FailureRow& row = GetParam();
  auto view = converterFor();
  fetch(*view, row.reply);
  EXPECT_FALSE(view->isLoading);
  EXPECT_EQ(view->rateText, row.rateText);
  EXPECT_TRUE(view->exchangeRates.empty());
  EXPECT_EQ(view->lastUpdatedText, "");
  EXPECT_EQ(*stateChanges, 1);
}

TEST_P(RateFeedFailures, EarlierGoodTableAndTimeStay) {
  const FailureRow& row = GetParam();
  auto view = converterFor();
  view->amountText = "5";
  fetch(*view, body(kGoodBody));
  const std::string updated = view->lastUpdatedText;
  const std::string result = view->resultText;
  ASSERT_FALSE(updated.empty());

  fetch(*view, row.reply);

  EXPECT_FALSE(view->isLoading);
  EXPECT_EQ(view->rateText, row.rateText);
  EXPECT_EQ(view->exchangeRates, goodRates);
  EXPECT_EQ(view->lastUpdatedText, updated);
  EXPECT_EQ(view->resultText, result);
  EXPECT_EQ(*stateChanges, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RateFeedFailures,
    ::testing::Values(
        FailureRow{"ErrorStatusWithoutRates", body(R"({"result":"error","error-type":"unknown"})"),
                   "Failed to parse rates"},
        FailureRow{"EmptyBody", body(""), "Error loading rates"},
        FailureRow{"HtmlBody", body("<html><body><h1>Service unavailable</h1></body></html>"),
                   "Error loading rates"},
        FailureRow{"JsonFragment", body("42"), "Error loading rates"},
        FailureRow{"JsonArray", body("[1,2]"), "Failed to parse rates"},
        FailureRow{"NoRates", body(R"({"result":"success","base":"USD"})"),
                   "Failed to parse rates"},
        FailureRow{"RatesNotAnObject", body(R"({"rates":[1,2]})"), "Failed to parse rates"},
        FailureRow{"QuotedNumberAmongNumbers", body(R"({"rates":{"USD":1,"EUR":"0.92"}})"),
                   "Failed to parse rates"},
        FailureRow{"ZeroRate", body(R"({"rates":{"USD":1,"INR":0}})"), "Failed to parse rates"},
        FailureRow{"NegativeRate", body(R"({"rates":{"USD":1,"INR":-83.12}})"),
                   "Failed to parse rates"},
        FailureRow{"NegativeZeroRate", body(R"({"rates":{"USD":1,"INR":-0.0}})"),
                   "Failed to parse rates"},
        FailureRow{"TransportFailed", Reply{std::nullopt, "timed out"}, "Failed to load rates"},
        FailureRow{"BodyCutOff",
                   Reply{std::string(R"({"rates":{"USD":1,"INR":83.12}})"), "connection closed"},
                   "Failed to load rates"}),
    [](const auto& test) { return std::string(test.param.name); });

// No request leaves for an address that is not a secure one; the failure is immediate.
TEST_F(RateFeedTest, AddressThatCannotBeFormedFailsAtOnce) {
  const std::vector<std::string> urls{"", "https://", "http://127.0.0.1/v4/latest/USD",
                                      "ftp://127.0.0.1/v4/latest/USD", "127.0.0.1/v4/latest/USD"};
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    auto view = converterFor(url);
    view->fetchRates();
    EXPECT_FALSE(view->isLoading);
    EXPECT_EQ(view->rateText, "Failed to load rates");
    EXPECT_EQ(queue->pending(), 0u);
  }
  EXPECT_TRUE(http->requests.empty());
}

TEST_F(RateFeedTest, MissingServicesFailAtOnce) {
  for (const bool withQueue : {false, true}) {
    ConverterServices services;
    services.locale = "en_US";
    if (withQueue) services.mainQueue = queue;  // still no client
    auto view = CurrencyConverterView::create(services);
    view->fetchRates();
    EXPECT_FALSE(view->isLoading);
    EXPECT_EQ(view->rateText, "Failed to load rates");
  }
}

TEST_F(RateFeedTest, ReplyForAConverterThatIsGoneTouchesNothing) {
  auto view = converterFor();
  view->fetchRates();
  view.reset();  // the panel closed while the request was out

  http->answerLast(body(kGoodBody));
  queue->drain();
  EXPECT_EQ(http->completions, 1);
  EXPECT_EQ(*stateChanges, 0);
}

}  // namespace
}  // namespace ovantic
