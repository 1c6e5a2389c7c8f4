#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "app/http_module_loader.h"
#include "platform/http_client.h"

namespace ovantic {
namespace {

const QString kModuleDir = QStringLiteral(OVANTIC_TEST_HTTP_MODULE_DIR);

TEST(HttpModule, LoadsFromTheFirstPlaceThatHasItAndTheClientWorks) {
  QTemporaryDir empty;
  QString error;
  auto client = loadHttpClient({empty.path(), kModuleDir}, CurlHttpClientOptions{}, &error);
  ASSERT_TRUE(client) << error.toStdString();

  // Nothing listens on port 1 of this machine: the transfer fails at once and says so, once.
  std::mutex mutex;
  std::condition_variable arrived;
  int calls = 0;
  std::optional<std::string> failure;
  client->get("https://127.0.0.1:1/v4/latest/USD", [&](HttpClient::Reply reply) {
    std::lock_guard lock(mutex);
    ++calls;
    failure = reply.error;
    arrived.notify_all();
  });
  std::unique_lock lock(mutex);
  ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(60), [&] { return calls > 0; }));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(failure);
}

TEST(HttpModule, WhereNoPlaceHasItThereIsNoClientAndTheReasonIsGiven) {
  QTemporaryDir empty;
  QString error;
  EXPECT_FALSE(loadHttpClient({empty.path()}, CurlHttpClientOptions{}, &error));
  EXPECT_TRUE(error.contains(empty.path())) << error.toStdString();

  EXPECT_FALSE(loadHttpClient({}, CurlHttpClientOptions{}, &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST(HttpModule, ALibraryWithoutTheEntryPointIsNotTakenForTheModule) {
  // A stray file of the module's name that is not a loadable library at all.
  QTemporaryDir dir;
  QFile stray(QDir(dir.path()).filePath(QStringLiteral("libovantic-http.so")));
  ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
  stray.write("not a library");
  stray.close();
  QString error;
  EXPECT_FALSE(loadHttpClient({dir.path()}, CurlHttpClientOptions{}, &error));
  EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace ovantic
