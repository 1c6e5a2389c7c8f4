#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "converter/currency_converter_view.h"
#include "manual_main_queue.h"
#include "platform/curl_http_client.h"
#include "rates/relative_time.h"
#include "rates_test_server.h"

namespace ovantic {
namespace {

using namespace std::chrono_literals;
using testing::ManualMainQueue;
using testing::RatesTestServer;
using Table = std::map<std::string, double>;

const Table goodRates{{"USD", 1.0},   {"EUR", 0.92}, {"INR", 83.12}, {"GBP", 0.79},
                      {"JPY", 149.5}, {"CAD", 1.36}, {"AUD", 1.52},  {"CHF", 0.88},
                      {"CNY", 7.24},  {"MXN", 17.1}, {"SEK", 10.45}};

// Sits in front of the real client: counts completions, so a test can tell a reply was
// delivered exactly once even when nobody is left to apply it, and can send a converter's next
// request elsewhere, since a converter's address is fixed when it is made.
class RoutingHttpClient : public HttpClient {
 public:
  explicit RoutingHttpClient(std::shared_ptr<HttpClient> inner) : inner_(std::move(inner)) {}
  void get(const std::string& url, std::function<void(Reply)> done) override {
    HttpClient& client = divert ? *divert : *inner_;
    client.get(route.empty() ? url : route,
               [counter = completions, done = std::move(done)](Reply reply) {
                 ++*counter;
                 done(std::move(reply));
               });
  }
  std::string route;
  std::shared_ptr<HttpClient> divert;
  std::shared_ptr<std::atomic<int>> completions = std::make_shared<std::atomic<int>>(0);

 private:
  std::shared_ptr<HttpClient> inner_;
};

class RateFeedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = new RatesTestServer(); }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }

  // Generous by default, so a busy machine cannot turn a good reply into a time-out.
  static CurlHttpClient::Options trusting(std::chrono::seconds timeout = 20s) {
    CurlHttpClient::Options options;
    options.caFile = server->caFile();
    options.timeout = timeout;
    return options;
  }

  // Sends the next requests through a client that gives up on a stalled server after a second.
  void useImpatientClient() { http->divert = std::make_shared<CurlHttpClient>(trusting(1s)); }

  std::shared_ptr<CurrencyConverterView> converterFor(const std::string& url) {
    ConverterServices services;
    services.mainQueue = queue;
    services.http = http;
    services.locale = "en_US";
    services.ratesUrl = url;
    auto view = CurrencyConverterView::create(std::move(services));
    view->onStateChange = [counter = stateChanges] { ++*counter; };
    return view;
  }

  // Starts a fetch and applies its reply the way the event loop would.
  void fetch(CurrencyConverterView& view) {
    view.fetchRates();
    EXPECT_TRUE(view.isLoading);
    EXPECT_EQ(view.rateText, "Fetching rates...");
    ASSERT_TRUE(queue->runNext()) << "no reply was posted";
    EXPECT_EQ(queue->pending(), 0u) << "a reply is one task";
  }

  static RatesTestServer* server;
  std::shared_ptr<ManualMainQueue> queue = std::make_shared<ManualMainQueue>();
  std::shared_ptr<RoutingHttpClient> http =
      std::make_shared<RoutingHttpClient>(std::make_shared<CurlHttpClient>(trusting()));
  std::shared_ptr<int> stateChanges = std::make_shared<int>(0);
};

RatesTestServer* RateFeedTest::server = nullptr;

TEST_F(RateFeedTest, GoodReplyReplacesTheTableAndConvertsAgain) {
  auto view = converterFor(server->url());
  view->amountText = "100";
  view->fromCurrency = "EUR";
  view->toCurrency = "INR";
  const int before = server->requestsFor("/v4/latest/USD");

  fetch(*view);

  EXPECT_FALSE(view->isLoading);
  EXPECT_EQ(view->exchangeRates, goodRates);  // SEK too: codes outside the catalogue stay
  EXPECT_EQ(server->requestsFor("/v4/latest/USD"), before + 1);

  // The rate line and result are what a conversion over the new table writes.
  auto reference = converterFor(server->url());
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
  const char* scenario;
  const char* code;
  double rate;
};

TEST_F(RateFeedTest, AcceptedRepliesStoreTheirTableWithUsdAtOne) {
  const AcceptedRow rows[] = {{"/usd-off", "USD", 1.0},
                              {"/no-usd", "USD", 1.0},
                              {"/integers", "JPY", 150.0},
                              {"/redirect", "INR", 83.12}};
  for (const AcceptedRow& row : rows) {
    SCOPED_TRACE(row.scenario);
    auto view = converterFor(server->url(row.scenario));
    fetch(*view);
    EXPECT_EQ(view->exchangeRates.size(), goodRates.size());
    EXPECT_EQ(view->exchangeRates.at(row.code), row.rate);
    EXPECT_EQ(view->exchangeRates.at("USD"), 1.0);
    EXPECT_EQ(view->lastUpdatedText.rfind("Rates updated ", 0), 0u);
  }
}

TEST_F(RateFeedTest, ReplyLackingAChosenCurrencyLeavesTheRateLineWaiting) {
  auto view = converterFor(server->url("/no-inr"));
  fetch(*view);
  EXPECT_EQ(view->exchangeRates.count("INR"), 0u);
  EXPECT_EQ(view->rateText, "Loading rates...");
  EXPECT_FALSE(view->lastUpdatedText.empty());
}

TEST_F(RateFeedTest, EmptyAmountKeepsTheFetchingTextNextToTheNewTime) {
  auto view = converterFor(server->url());
  view->amountText = "";
  fetch(*view);
  EXPECT_EQ(view->exchangeRates, goodRates);
  EXPECT_EQ(view->rateText, "Fetching rates...");
  EXPECT_EQ(view->lastUpdatedText.rfind("Rates updated ", 0), 0u);
}

struct FailureRow {
  const char* name;
  std::string scenario;
  std::string rateText;
  bool stalls = false;
};

void PrintTo(const FailureRow& row, std::ostream* out) {
  *out << row.name;
}

class RateFeedFailures : public RateFeedTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(RateFeedFailures, FreshConverterKeepsItsInitialTable) {
  const FailureRow& row = GetParam();
  if (row.stalls) useImpatientClient();
  auto view = converterFor(server->url(row.scenario));
  fetch(*view);
  EXPECT_FALSE(view->isLoading);
  EXPECT_EQ(view->rateText, row.rateText);
  EXPECT_TRUE(view->exchangeRates.empty());
  EXPECT_EQ(view->lastUpdatedText, "");
  EXPECT_EQ(*stateChanges, 1);
}

TEST_P(RateFeedFailures, EarlierGoodTableAndTimeStay) {
  const FailureRow& row = GetParam();
  auto view = converterFor(server->url());
  view->amountText = "5";
  fetch(*view);
  const std::string updated = view->lastUpdatedText;
  const std::string result = view->resultText;
  ASSERT_FALSE(updated.empty());

  http->route = server->url(row.scenario);
  if (row.stalls) useImpatientClient();
  fetch(*view);

  EXPECT_FALSE(view->isLoading);
  EXPECT_EQ(view->rateText, row.rateText);
  EXPECT_EQ(view->exchangeRates, goodRates);
  EXPECT_EQ(view->lastUpdatedText, updated);
  EXPECT_EQ(view->resultText, result);
  EXPECT_EQ(*stateChanges, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RateFeedFailures,
    ::testing::Values(FailureRow{"ErrorStatusWithoutRates", "/error-json", "Failed to parse rates"},
                      FailureRow{"EmptyBody", "/empty", "Error loading rates"},
                      FailureRow{"HtmlBody", "/html", "Error loading rates"},
                      FailureRow{"NotFoundText", "/nowhere", "Error loading rates"},
                      FailureRow{"JsonFragment", "/fragment", "Error loading rates"},
                      FailureRow{"JsonArray", "/array", "Failed to parse rates"},
                      FailureRow{"NoRates", "/no-rates", "Failed to parse rates"},
                      FailureRow{"RatesNotAnObject", "/rates-array", "Failed to parse rates"},
                      FailureRow{"QuotedNumberAmongNumbers", "/quoted", "Failed to parse rates"},
                      FailureRow{"BodyCutOff", "/cut", "Failed to load rates"},
                      FailureRow{"BodyOverTheLimit", "/big", "Failed to load rates"},
                      FailureRow{"RedirectToPlainHttp", "/redirect-http", "Failed to load rates"},
                      FailureRow{"ServerNeverAnswers", "/hang", "Failed to load rates", true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(RateFeedTest, ConnectionRefusedFailsToLoad) {
  auto view =
      converterFor("https://127.0.0.1:" + std::to_string(testing::closedPort()) + "/v4/latest/USD");
  fetch(*view);
  EXPECT_FALSE(view->isLoading);
  EXPECT_EQ(view->rateText, "Failed to load rates");
  EXPECT_EQ(*stateChanges, 1);
}

TEST_F(RateFeedTest, HandshakeThatNeverEndsFailsToLoad) {
  testing::SilentListener silent;
  useImpatientClient();
  auto view = converterFor("https://127.0.0.1:" + std::to_string(silent.port()) + "/v4/latest/USD");
  fetch(*view);
  EXPECT_FALSE(view->isLoading);
  EXPECT_EQ(view->rateText, "Failed to load rates");
}

TEST_F(RateFeedTest, UntrustedCertificateFailsToLoad) {
  http = std::make_shared<RoutingHttpClient>(
      std::make_shared<CurlHttpClient>());  // the system's CA bundle only
  auto view = converterFor(server->url());
  fetch(*view);
  EXPECT_EQ(view->rateText, "Failed to load rates");
  EXPECT_TRUE(view->exchangeRates.empty());
}

// No request leaves for an address that is not a secure one; the failure is immediate.
TEST_F(RateFeedTest, AddressThatCannotBeFormedFailsAtOnce) {
  const std::string port = std::to_string(server->port());
  const std::vector<std::string> urls{"", "https://",
                                      "http://127.0.0.1:" + port + "/plain/v4/latest/USD",
                                      "ftp://127.0.0.1/v4/latest/USD", "127.0.0.1/v4/latest/USD"};
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    auto view = converterFor(url);
    view->fetchRates();
    EXPECT_FALSE(view->isLoading);
    EXPECT_EQ(view->rateText, "Failed to load rates");
    EXPECT_EQ(queue->pending(), 0u);
  }
  EXPECT_EQ(server->requestsFor("/plain/v4/latest/USD"), 0);
}

TEST_F(RateFeedTest, MissingServicesFailAtOnce) {
  ConverterServices services;
  services.locale = "en_US";
  services.ratesUrl = server->url();
  auto view = CurrencyConverterView::create(services);
  view->fetchRates();
  EXPECT_FALSE(view->isLoading);
  EXPECT_EQ(view->rateText, "Failed to load rates");
}

TEST_F(RateFeedTest, ReplyForAConverterThatIsGoneTouchesNothing) {
  auto view = converterFor(server->url());
  view->fetchRates();
  view.reset();  // the panel closed while the request was out

  ASSERT_TRUE(queue->runNext());
  EXPECT_EQ(*http->completions, 1);
  EXPECT_EQ(*stateChanges, 0);
}

// The client shutting down under a pending request still completes it once; the converter that
// asked is gone by then and nothing is applied.
TEST_F(RateFeedTest, ClientShutDownWithARequestOutCompletesItOnce) {
  const std::shared_ptr<std::atomic<int>> completions = http->completions;
  auto view = converterFor(server->url("/hang"));
  const int before = server->requestsFor("/hang/v4/latest/USD");

  view->fetchRates();
  ASSERT_TRUE(server->waitForRequests("/hang/v4/latest/USD", before + 1));
  view.reset();
  EXPECT_EQ(*completions, 0);
  http.reset();  // the last owner of the client: aborts and joins

  EXPECT_EQ(*completions, 1);
  ASSERT_TRUE(queue->runNext());
  EXPECT_EQ(queue->pending(), 0u);
  EXPECT_EQ(*stateChanges, 0);
}

}  // namespace
}  // namespace ovantic
