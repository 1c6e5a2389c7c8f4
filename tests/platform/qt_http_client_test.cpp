#include "platform/qt/qt_http_client.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "rates/rates_reply.h"
#include "rates_test_server.h"

namespace ovantic {
namespace {

using namespace std::chrono_literals;
using fakes::RatesTestServer;
using Reply = HttpClient::Reply;

// Turns the event loop until `ready` holds. The bound only keeps a broken build from hanging the
// suite; nothing depends on how fast anything happens.
template <typename Ready>
bool spinUntil(Ready ready) {
  const auto bound = std::chrono::steady_clock::now() + 30s;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > bound) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

class QtHttpClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = new RatesTestServer(); }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }

  // Generous by default, so a busy machine cannot turn a good reply into a time-out.
  static QtHttpClient::Options trusting(std::chrono::seconds timeout = 20s) {
    QtHttpClient::Options options;
    options.caFile = server->caFile();
    options.timeout = timeout;
    return options;
  }

  // One GET; checks that its completion runs exactly once.
  static Reply fetch(HttpClient& client, const std::string& url) {
    int calls = 0;
    Reply result;
    client.get(url, [&](Reply reply) {
      ++calls;
      result = std::move(reply);
    });
    EXPECT_TRUE(spinUntil([&] { return calls > 0; })) << "no reply for " << url;
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    return result;
  }

  static std::string localUrl(const char* scheme, int port, const std::string& path) {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + path;
  }

  static RatesTestServer* server;
};

RatesTestServer* QtHttpClientTest::server = nullptr;

struct ReplyRow {
  const char* name;
  const char* scenario;
  bool delivered;         // a body and no error, or an error and nothing to read as a reply
  std::size_t bodyBytes;  // when delivered; 0: any
};

TEST_F(QtHttpClientTest, RepliesFromATrustedServer) {
  const ReplyRow rows[] = {
      {"GoodReply", "", true, 0},
      {"ErrorStatusStillDeliversItsBody", "/error-json", true, 41},
      {"EmptyBody", "/empty", true, 0},
      {"HttpsRedirectFollowed", "/redirect", true, 0},
      {"BodyJustUnderTheLimitArrivesWhole", "/almost-big", true, (4u << 20) - 4096},
      {"BodyOverTheLimitIsAbandoned", "/big", false, 0},
      {"BodyCutOff", "/cut", false, 0},
      {"RedirectToPlainHttpRefused", "/redirect-http", false, 0},
  };
  QtHttpClient client(trusting());
  for (const ReplyRow& row : rows) {
    SCOPED_TRACE(row.name);
    const Reply reply = fetch(client, server->url(row.scenario));
    if (!row.delivered) {
      EXPECT_TRUE(reply.error);
      continue;
    }
    ASSERT_FALSE(reply.error) << *reply.error;
    ASSERT_TRUE(reply.body);
    if (row.bodyBytes != 0) {
      EXPECT_EQ(reply.body->size(), row.bodyBytes);
    }
    if (row.scenario == std::string() || row.scenario == std::string("/redirect")) {
      EXPECT_EQ(parseRatesReply(*reply.body).outcome, RatesReplyOutcome::rates);
    }
  }
}

// Neither the system's CA set nor a CA file that cannot be read trusts the test server.
TEST_F(QtHttpClientTest, UntrustedCertificateFails) {
  QtHttpClient::Options unreadable = trusting();
  unreadable.caFile = server->caFile() + ".missing";
  for (const QtHttpClient::Options& options : {QtHttpClient::Options{}, unreadable}) {
    QtHttpClient client(options);
    const Reply reply = fetch(client, server->url("/untrusted"));
    EXPECT_TRUE(reply.error);
    EXPECT_FALSE(reply.body);
  }
  EXPECT_EQ(server->requestsFor("/untrusted/v4/latest/USD"), 0);
}

TEST_F(QtHttpClientTest, PlainHttpIsNeverSent) {
  QtHttpClient client(trusting());
  const Reply reply = fetch(client, localUrl("http", server->port(), "/plain-probe/v4/latest/USD"));
  EXPECT_TRUE(reply.error);
  EXPECT_EQ(server->requestsFor("/plain-probe/v4/latest/USD"), 0);
}

TEST_F(QtHttpClientTest, ConnectionRefusedFails) {
  QtHttpClient client(trusting());
  const Reply reply = fetch(client, localUrl("https", fakes::closedPort(), "/v4/latest/USD"));
  EXPECT_TRUE(reply.error);
}

// A server that accepts and then says nothing, before the TLS handshake or after the request,
// ends the request once the time-out passes without progress.
TEST_F(QtHttpClientTest, ServerThatNeverAnswersTimesOut) {
  QtHttpClient client(trusting(1s));
  fakes::SilentListener silent;
  EXPECT_TRUE(fetch(client, localUrl("https", silent.port(), "/v4/latest/USD")).error);
  EXPECT_TRUE(fetch(client, server->url("/hang")).error);
}

// Bytes that keep coming, too slowly to ever make a reply, never count as silence; the deadline
// ends the request all the same.
TEST_F(QtHttpClientTest, ServerThatTricklesIsCutOffAtTheDeadline) {
  QtHttpClient::Options options = trusting();
  options.deadline = 1500ms;
  QtHttpClient client(options);
  const Reply reply = fetch(client, server->url("/trickle"));
  ASSERT_TRUE(reply.error);
  EXPECT_EQ(*reply.error, "no whole reply within the deadline");
  EXPECT_FALSE(reply.body);
}

TEST_F(QtHttpClientTest, ClientGoingAwayEndsWhatIsInFlightOnce) {
  const int before = server->requestsFor("/hang/v4/latest/USD");
  int calls = 0;
  Reply last;
  auto client = std::make_unique<QtHttpClient>(trusting());
  client->get(server->url("/hang"), [&](Reply reply) {
    ++calls;
    last = std::move(reply);
  });
  ASSERT_TRUE(spinUntil([&] { return server->requestsFor("/hang/v4/latest/USD") > before; }));
  EXPECT_EQ(calls, 0);
  client.reset();
  ASSERT_TRUE(spinUntil([&] { return calls > 0; }));
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(last.error);
}

// The system's proxy settings apply (local addresses bypass any proxy, so the host is one that
// does not even resolve: only the proxy can be asked for it).
TEST_F(QtHttpClientTest, SystemProxyIsUsed) {
  fakes::SilentListener proxy;
  const std::string address = localUrl("http", proxy.port(), "");
  setenv("https_proxy", address.c_str(), 1);
  QtHttpClient client(trusting(1s));
  const Reply reply = fetch(client, "https://rates.example.invalid/v4/latest/USD");
  unsetenv("https_proxy");
  EXPECT_TRUE(reply.error);
  EXPECT_TRUE(proxy.wasContacted());
}

// A completion may let go of the client that ran it.
TEST_F(QtHttpClientTest, CompletionMayReleaseTheClient) {
  auto client = std::make_shared<QtHttpClient>(trusting());
  bool released = false;
  client->get(server->url("/empty"), [&released, holder = client](Reply) mutable {
    holder.reset();
    released = true;
  });
  client.reset();  // the completion holds the last reference
  ASSERT_TRUE(spinUntil([&] { return released; }));
}

}  // namespace
}  // namespace ovantic

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
