#include "app/deferred_http_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovantic {
namespace {

class RecordingHttp : public HttpClient {
 public:
  explicit RecordingHttp(std::vector<std::string>* urls) : urls_(urls) {}
  void get(const std::string& url, std::function<void(Reply)> done) override {
    urls_->push_back(url);
    done(Reply{std::string("{}"), std::nullopt});
  }

 private:
  std::vector<std::string>* urls_;
};

TEST(DeferredHttpClient, MakesNoClientBeforeTheFirstRequest) {
  int made = 0;
  DeferredHttpClient http([&] {
    ++made;
    return std::unique_ptr<HttpClient>();
  });
  EXPECT_EQ(made, 0);
  EXPECT_FALSE(http.started());
}

TEST(DeferredHttpClient, MakesOneClientAndSendsEveryRequestThroughIt) {
  int made = 0;
  std::vector<std::string> urls;
  DeferredHttpClient http([&] {
    ++made;
    return std::make_unique<RecordingHttp>(&urls);
  });
  std::vector<std::optional<std::string>> bodies;
  for (const char* url : {"https://a.test/1", "https://a.test/2", "https://a.test/3"}) {
    http.get(url, [&](HttpClient::Reply reply) { bodies.push_back(reply.body); });
  }
  EXPECT_EQ(made, 1);
  EXPECT_TRUE(http.started());
  EXPECT_EQ(urls,
            (std::vector<std::string>{"https://a.test/1", "https://a.test/2", "https://a.test/3"}));
  EXPECT_EQ(bodies, (std::vector<std::optional<std::string>>(3, std::string("{}"))));
}

TEST(DeferredHttpClient, WithoutAClientEveryRequestStillEndsOnceAsAFailure) {
  int made = 0;
  DeferredHttpClient http([&] {
    ++made;
    return std::unique_ptr<HttpClient>();
  });
  int calls = 0;
  HttpClient::Reply last;
  http.get("https://a.test/", [&](HttpClient::Reply reply) {
    ++calls;
    last = std::move(reply);
  });
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(last.body);
  EXPECT_TRUE(last.error);
  // A later request tries again rather than giving up for the rest of the run.
  http.get("https://a.test/", [&](HttpClient::Reply) { ++calls; });
  EXPECT_EQ(made, 2);
  EXPECT_EQ(calls, 2);

  DeferredHttpClient noFactory(nullptr);
  noFactory.get("https://a.test/", [&](HttpClient::Reply) { ++calls; });
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace ovantic
