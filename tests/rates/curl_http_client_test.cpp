#include "platform/curl_http_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "rates/rates_reply.h"
#include "rates_test_server.h"

namespace ovantic {
namespace {

using namespace std::chrono_literals;
using testing::RatesTestServer;
using Reply = HttpClient::Reply;

// Collects what `done` delivered and how often it ran.
struct Completions {
  std::mutex mutex;
  std::vector<Reply> replies;
  std::atomic<int> calls{0};

  std::function<void(Reply)> callback() {
    return [this](Reply reply) {
      {
        std::lock_guard lock(mutex);
        replies.push_back(std::move(reply));
      }
      ++calls;  // last: a test that sees the count may let go of this object at once
    };
  }
};

class CurlHttpClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = new RatesTestServer(); }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }

  // A generous time-out, so a busy machine cannot turn a good reply into a failure.
  static CurlHttpClient::Options trusting() {
    CurlHttpClient::Options options;
    options.caFile = server->caFile();
    options.timeout = 20s;
    return options;
  }

  // One GET, waited for with a bound that only guards against a hang.
  static Reply fetch(HttpClient& client, const std::string& url) {
    auto promise = std::make_shared<std::promise<Reply>>();
    std::future<Reply> future = promise->get_future();
    client.get(url, [promise](Reply reply) { promise->set_value(std::move(reply)); });
    if (future.wait_for(20s) != std::future_status::ready) {
      ADD_FAILURE() << "no reply for " << url;
      return Reply{std::nullopt, "test gave up waiting"};
    }
    return future.get();
  }

  static Reply fetchFrom(const std::string& scenario) {
    CurlHttpClient client(trusting());
    return fetch(client, server->url(scenario));
  }

  static RatesTestServer* server;
};

RatesTestServer* CurlHttpClientTest::server = nullptr;

TEST_F(CurlHttpClientTest, DeliversTheBodyOfAGoodReply) {
  const Reply reply = fetchFrom("");
  ASSERT_FALSE(reply.error) << *reply.error;
  ASSERT_TRUE(reply.body);
  const RatesReply rates = parseRatesReply(*reply.body);
  EXPECT_EQ(rates.outcome, RatesReplyOutcome::rates);
  EXPECT_EQ(rates.rates.at("INR"), 83.12);
}

TEST_F(CurlHttpClientTest, ErrorStatusStillDeliversItsBody) {
  const Reply reply = fetchFrom("/error-json");
  EXPECT_FALSE(reply.error);
  EXPECT_EQ(reply.body, R"({"result":"error","error-type":"unknown"})");
}

TEST_F(CurlHttpClientTest, EmptyBodyArrivesAsAnEmptyBody) {
  const Reply reply = fetchFrom("/empty");
  EXPECT_FALSE(reply.error);
  EXPECT_EQ(reply.body, std::string());
}

TEST_F(CurlHttpClientTest, BodyJustUnderTheLimitArrivesWhole) {
  const Reply reply = fetchFrom("/almost-big");
  ASSERT_FALSE(reply.error) << *reply.error;
  ASSERT_TRUE(reply.body);
  EXPECT_EQ(reply.body->size(), std::size_t{4} * 1024 * 1024 - 4096);
}

TEST_F(CurlHttpClientTest, RefusesAPlainHttpAddress) {
  CurlHttpClient client(trusting());
  const Reply reply = fetch(
      client, "http://127.0.0.1:" + std::to_string(server->port()) + "/plain-probe/v4/latest/USD");
  EXPECT_TRUE(reply.error);
  EXPECT_EQ(server->requestsFor("/plain-probe/v4/latest/USD"), 0);
}

TEST_F(CurlHttpClientTest, DestroyingTheClientAbortsWhatIsInFlight) {
  Completions completions;
  {
    const int before = server->requestsFor("/hang/v4/latest/USD");
    CurlHttpClient client(trusting());
    client.get(server->url("/hang"), completions.callback());
    ASSERT_TRUE(server->waitForRequests("/hang/v4/latest/USD", before + 1));
    EXPECT_EQ(completions.calls, 0);
  }
  ASSERT_EQ(completions.calls, 1);
  EXPECT_TRUE(completions.replies[0].error);
  EXPECT_FALSE(completions.replies[0].body);
}

TEST_F(CurlHttpClientTest, DestroyingTheClientCompletesQueuedRequestsOnce) {
  Completions completions;
  {
    CurlHttpClient client(trusting());
    for (int i = 0; i < 20; ++i) client.get(server->url("/hang"), completions.callback());
  }
  EXPECT_EQ(completions.calls, 20);
  std::lock_guard lock(completions.mutex);
  for (const Reply& reply : completions.replies) EXPECT_TRUE(reply.error);
}

// The last owner may let go of the client inside one of its completions, on the client's own
// thread, which cannot join itself.
TEST_F(CurlHttpClientTest, ClientReleasedByItsOwnCompletionWindsDown) {
  Completions hanging;
  std::promise<void> ownerGone;
  std::shared_future<void> gate = ownerGone.get_future().share();
  auto released = std::make_shared<std::promise<void>>();
  std::future<void> releasedNow = released->get_future();
  {
    auto client = std::make_shared<CurlHttpClient>(trusting());
    const int before = server->requestsFor("/hang/v4/latest/USD");
    client->get(server->url("/hang"), hanging.callback());
    ASSERT_TRUE(server->waitForRequests("/hang/v4/latest/USD", before + 1));
    client->get(server->url("/empty"), [client, gate, released](Reply) mutable {
      gate.wait();
      client.reset();  // the last reference
      released->set_value();
    });
  }
  ownerGone.set_value();
  ASSERT_EQ(releasedNow.wait_for(20s), std::future_status::ready);

  // The request still out is aborted and completed once as the worker winds down.
  const auto bound = std::chrono::steady_clock::now() + 20s;
  while (hanging.calls == 0 && std::chrono::steady_clock::now() < bound) {
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_EQ(hanging.calls, 1);
}

TEST_F(CurlHttpClientTest, ServesRequestsFromSeveralThreadsEachOnce) {
  Completions completions;
  constexpr int threads = 4;
  constexpr int perThread = 5;
  {
    CurlHttpClient client(trusting());
    std::vector<std::thread> callers;
    for (int t = 0; t < threads; ++t) {
      callers.emplace_back([&] {
        for (int i = 0; i < perThread; ++i) client.get(server->url(), completions.callback());
      });
    }
    for (std::thread& caller : callers) caller.join();
    const auto bound = std::chrono::steady_clock::now() + 20s;
    while (completions.calls < threads * perThread && std::chrono::steady_clock::now() < bound) {
      std::this_thread::sleep_for(5ms);
    }
  }
  EXPECT_EQ(completions.calls, threads * perThread);
  std::lock_guard lock(completions.mutex);
  for (const Reply& reply : completions.replies) {
    EXPECT_FALSE(reply.error) << *reply.error;
    ASSERT_TRUE(reply.body);
    EXPECT_EQ(parseRatesReply(*reply.body).outcome, RatesReplyOutcome::rates);
  }
}

// A completion is free to start the next request; the client must not hold a lock of its own
// while it runs one.
TEST_F(CurlHttpClientTest, CompletionMayStartAnotherRequest) {
  CurlHttpClient client(trusting());
  auto second = std::make_shared<std::promise<Reply>>();
  std::future<Reply> secondReply = second->get_future();
  client.get(server->url("/empty"), [&client, second](Reply) {
    client.get(server->url(), [second](Reply reply) { second->set_value(std::move(reply)); });
  });
  ASSERT_EQ(secondReply.wait_for(20s), std::future_status::ready);
  const Reply reply = secondReply.get();
  EXPECT_FALSE(reply.error);
  EXPECT_TRUE(reply.body);
}

}  // namespace
}  // namespace ovantic
