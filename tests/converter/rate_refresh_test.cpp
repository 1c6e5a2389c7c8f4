#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "converter/currency_converter_view.h"
#include "doubles.h"
#include "fakes.h"
#include "rates/kept_rates.h"

namespace ovantic {
namespace {

using fakes::ClockedMainQueue;
using fakes::ManualHttpClient;
using fakes::MemoryRateStore;
using namespace std::chrono_literals;
using Reply = HttpClient::Reply;
using Table = std::map<std::string, double>;

const std::string kUrl = "https://rates.test/v4/latest/USD";
const std::string kFallbackUrl = "https://fallback.test/v1/currencies/usd.min.json";
const Reply kDown{std::nullopt, "Connection refused"};
// 28 Dec 2024, a minute after midnight UTC.
const std::chrono::system_clock::time_point kFetchTime(1735344060s);

std::string realFallbackReply() {
  std::ifstream in(std::string(OVANTIC_TEST_DATA_DIR) + "/currency_api_usd.min.json");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const Table goodRates{{"USD", 1.0},   {"EUR", 0.92}, {"INR", 83.12}, {"GBP", 0.79},
                      {"JPY", 149.5}, {"CAD", 1.36}, {"AUD", 1.52},  {"CHF", 0.88},
                      {"CNY", 7.24},  {"MXN", 17.1}, {"SEK", 10.45}};

const char* const kGoodBody =
    R"({"base":"USD","date":"2024-12-28","rates":{"USD":1,"EUR":0.92,"INR":83.12,"GBP":0.79,"JPY":149.5,)"
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
    services.fallbackRatesUrls = {kFallbackUrl};
    services.rateStore = store;
    services.clock = [time = clockTime] { return *time; };
    auto view = CurrencyConverterView::create(std::move(services));
    view->onStateChange = [counter = stateChanges] { ++*counter; };
    return view;
  }

  // Starts a fetch and answers its requests in turn, applying each answer the way the event
  // loop would; the fetch must ask exactly as often as there are replies.
  void fetch(CurrencyConverterView& view, std::vector<Reply> replies) {
    const std::size_t before = http->requests.size();
    view.fetchRates();
    EXPECT_EQ(view.rateText, "Fetching rates...");
    for (std::size_t i = 0; i < replies.size(); ++i) {
      EXPECT_TRUE(view.isLoading);
      ASSERT_EQ(http->requests.size(), before + i + 1) << "no request left";
      http->answerLast(std::move(replies[i]));
      EXPECT_EQ(queue->pending(), 1u) << "a reply is one task";
      queue->drain();
    }
    EXPECT_FALSE(view.isLoading);
    EXPECT_EQ(http->requests.size(), before + replies.size());
  }

  std::shared_ptr<ClockedMainQueue> queue = std::make_shared<ClockedMainQueue>();
  std::shared_ptr<ManualHttpClient> http = std::make_shared<ManualHttpClient>();
  std::shared_ptr<int> stateChanges = std::make_shared<int>(0);
  std::shared_ptr<MemoryRateStore> store = std::make_shared<MemoryRateStore>();
  std::shared_ptr<std::chrono::system_clock::time_point> clockTime =
      std::make_shared<std::chrono::system_clock::time_point>(kFetchTime);
};

TEST_F(RateFeedTest, GoodReplyReplacesTheTableAndConvertsAgain) {
  auto view = converterFor();
  view->amountText = "100";
  view->fromCurrency = "EUR";
  view->toCurrency = "INR";

  fetch(*view, {body(kGoodBody)});

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

  EXPECT_EQ(view->lastUpdatedText, "Rates of Dec 28, 2024, fetched just now");
  EXPECT_EQ(*stateChanges, 1);
  // The table is kept with its day, its source and the time it came.
  ASSERT_TRUE(store->bytes);
  const std::optional<KeptRates> kept = decodeKeptRates(*store->bytes);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->rates, goodRates);
  EXPECT_EQ(kept->date, "2024-12-28");
  EXPECT_EQ(kept->source, kUrl);
  EXPECT_EQ(kept->fetchedAt, kFetchTime);

  // The age moves on by the minute while the panel asks, and a refresh starts again from now.
  EXPECT_EQ(view->ratesAgeChangesIn(), 60s);
  *clockTime += 61s;
  view->refreshRatesAge();
  EXPECT_EQ(view->lastUpdatedText, "Rates of Dec 28, 2024, fetched 1 minute ago");
  EXPECT_EQ(view->ratesAgeChangesIn(), 59s);
  fetch(*view, {body(kGoodBody)});
  EXPECT_EQ(view->lastUpdatedText, "Rates of Dec 28, 2024, fetched just now");
}

struct AcceptedRow {
  const char* name;
  const char* body;
  const char* code;
  double rate;
};

TEST_F(RateFeedTest, AcceptedRepliesStoreTheirTableWithUsdAtOne) {
  const AcceptedRow rows[] = {
      {"NoUsd", R"({"rates":{"INR":83.12}})", "USD", 1.0},
      {"Integers", R"({"rates":{"USD":1,"INR":83,"JPY":150}})", "JPY", 150.0},
      {"NameThatIsNoCode", R"({"rates":{"USD":1,"INR":83.12,"usdt":1}})", "INR", 83.12}};
  for (const AcceptedRow& row : rows) {
    SCOPED_TRACE(row.name);
    auto view = converterFor();
    fetch(*view, {body(row.body)});
    EXPECT_EQ(view->exchangeRates.at(row.code), row.rate);
    EXPECT_EQ(view->exchangeRates.at("USD"), 1.0);
    EXPECT_EQ(view->lastUpdatedText, "Rates fetched just now");
    // What was taken reads back offline.
    ASSERT_TRUE(store->bytes);
    EXPECT_EQ(decodeKeptRates(*store->bytes)->rates, view->exchangeRates);
  }
}

// The footer must not go on saying a fetch is under way once it has ended, however little the
// amount field holds.
TEST_F(RateFeedTest, EveryGoodReplyWritesTheRateLineWhateverTheAmount) {
  for (const char* amount : {"", "abc"}) {
    SCOPED_TRACE(amount);
    auto view = converterFor();
    view->amountText = amount;
    fetch(*view, {body(kGoodBody)});
    EXPECT_EQ(view->exchangeRates, goodRates);
    EXPECT_EQ(view->rateText, "USD 1 = INR 83.1200");
    EXPECT_FALSE(view->lastUpdatedText.empty());
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

// Whatever way the first service fails, the second is asked, and its real reply is used.
TEST_P(RateFeedFailures, SecondServiceStandsIn) {
  const FailureRow& row = GetParam();
  auto view = converterFor();
  fetch(*view, {row.reply, body(realFallbackReply())});
  EXPECT_EQ(http->urls(), (std::vector<std::string>{kUrl, kFallbackUrl}));
  EXPECT_DOUBLE_EQ(view->exchangeRates.at("INR"), 96.08534228);
  EXPECT_EQ(view->exchangeRates.at("USD"), 1.0);
  EXPECT_EQ(view->exchangeRates.count("XAU"), 0u);
  EXPECT_EQ(view->rateText, "USD 1 = INR 96.0853");
  EXPECT_EQ(view->resultText, fakes::kIndia + " 96.09");
  EXPECT_EQ(view->lastUpdatedText, "Rates of Sep 29, 2026, fetched just now");
  ASSERT_TRUE(store->bytes);
  EXPECT_EQ(decodeKeptRates(*store->bytes)->source, kFallbackUrl);
}

// Only when both fail does the footer fail, with the first service's text.
TEST_P(RateFeedFailures, FreshConverterKeepsItsInitialTable) {
  const FailureRow& row = GetParam();
  auto view = converterFor();
  fetch(*view, {row.reply, kDown});
  EXPECT_EQ(view->rateText, row.rateText);
  EXPECT_TRUE(view->exchangeRates.empty());
  EXPECT_EQ(view->lastUpdatedText, "");
  EXPECT_EQ(*stateChanges, 2);
  EXPECT_FALSE(store->bytes);
  // With no rate on its way, an edit leaves the failure on show rather than a promise of rates.
  view->editAmount("5");
  EXPECT_EQ(view->rateText, row.rateText);
  EXPECT_EQ(view->resultText, "---");
}

TEST_P(RateFeedFailures, EarlierGoodTableAndTimeStay) {
  const FailureRow& row = GetParam();
  auto view = converterFor();
  view->amountText = "5";
  fetch(*view, {body(kGoodBody)});
  const std::string result = view->resultText;
  *clockTime += 3 * 24h;

  fetch(*view, {row.reply, kDown});

  EXPECT_EQ(view->rateText, row.rateText);
  EXPECT_EQ(view->exchangeRates, goodRates);
  EXPECT_EQ(view->lastUpdatedText, "Rates of Dec 28, 2024, kept 3 days");
  EXPECT_EQ(view->resultText, result);
  EXPECT_EQ(*stateChanges, 3);
  EXPECT_EQ(store->saves, 1);
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
        FailureRow{"EmptyTable", body(R"({"rates":{}})"), "Failed to parse rates"},
        FailureRow{"TableWithoutThePair", body(R"({"rates":{"USD":1,"EUR":0.92}})"),
                   "Failed to parse rates"},
        FailureRow{"DollarNotAtOne", body(R"({"rates":{"USD":1.02,"INR":83.12}})"),
                   "Failed to parse rates"},
        FailureRow{"RateTooSmall", body(R"({"rates":{"USD":1,"INR":5e-324}})"),
                   "Failed to parse rates"},
        FailureRow{"RateTooLarge", body(R"({"rates":{"USD":1,"INR":1e308}})"),
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
    // Straight on to the second service.
    ASSERT_EQ(http->urls().back(), kFallbackUrl);
    http->requests.clear();
    view = converterFor(url);
    ConverterServices services = view->services();
    services.fallbackRatesUrls = {url};
    view = CurrencyConverterView::create(services);
    view->fetchRates();
    EXPECT_FALSE(view->isLoading);
    EXPECT_EQ(view->rateText, "Failed to load rates");
    EXPECT_EQ(queue->pending(), 0u);
    EXPECT_TRUE(http->requests.empty());
  }
}

// The second service's mirror is asked when its first address fails too.
TEST_F(RateFeedTest, MirrorOfTheSecondServiceIsAskedLast) {
  ConverterServices services = converterFor()->services();
  services.fallbackRatesUrls = ConverterServices{}.fallbackRatesUrls;
  auto view = CurrencyConverterView::create(services);
  fetch(*view, {kDown, body("<html>503</html>"), body(realFallbackReply())});
  EXPECT_EQ(http->urls().back(),
            "https://latest.currency-api.pages.dev/v1/currencies/usd.min.json");
  EXPECT_EQ(view->rateText, "USD 1 = INR 96.0853");
}

TEST_F(RateFeedTest, KeptRatesGiveTheFirstFrameItsResult) {
  store->bytes = encodeKeptRates(KeptRates{goodRates, "2024-12-28", kUrl, kFetchTime});
  *clockTime += 3 * 24h + 5min;
  auto view = converterFor();
  EXPECT_EQ(view->resultText, fakes::kIndia + " 83.12");
  EXPECT_EQ(view->rateText, "USD 1 = INR 83.1200");
  EXPECT_EQ(view->lastUpdatedText, "Rates of Dec 28, 2024, fetched 3 days ago");

  fetch(*view, {kDown, kDown});
  EXPECT_EQ(view->resultText, fakes::kIndia + " 83.12");
  EXPECT_EQ(view->rateText, "Failed to load rates");
  EXPECT_EQ(view->lastUpdatedText, "Rates of Dec 28, 2024, kept 3 days");

  fetch(*view, {body(R"({"date":"2024-12-31","rates":{"INR":85}})")});
  EXPECT_EQ(view->resultText, fakes::kIndia + " 85");
  EXPECT_EQ(view->lastUpdatedText, "Rates of Dec 31, 2024, fetched just now");
  EXPECT_EQ(decodeKeptRates(*store->bytes)->rates.at("INR"), 85.0);
}

// A damaged file is no table: the opening starts as if nothing were kept, and the next good fetch
// writes a sound one over it.
TEST_F(RateFeedTest, DamagedKeptRatesAreIgnoredAndReplaced) {
  const std::string good = encodeKeptRates(KeptRates{goodRates, "2024-12-28", kUrl, kFetchTime});
  for (const std::string& damaged : {good.substr(0, good.size() / 2), std::string("\0\1\2")}) {
    store->bytes = damaged;
    auto view = converterFor();
    EXPECT_EQ(view->resultText, "---");
    EXPECT_TRUE(view->exchangeRates.empty());
    EXPECT_EQ(view->lastUpdatedText, "");
    fetch(*view, {body(kGoodBody)});
    EXPECT_TRUE(decodeKeptRates(*store->bytes));
  }
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

  http->answerLast(kDown);
  queue->drain();
  EXPECT_EQ(http->completions, 1);
  EXPECT_EQ(http->requests.size(), 1u) << "nobody is left to want the second service";
  EXPECT_EQ(*stateChanges, 0);
}

}  // namespace
}  // namespace ovantic
