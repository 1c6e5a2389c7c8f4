#include "platform/curl_http_client.h"

#include <curl/curl.h>

#include <array>
#include <cstddef>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace ovantic {
namespace {

// The real reply is a few kilobytes; anything this large is not a rate table and must not be
// buffered without bound.
constexpr std::size_t maxBodyBytes = std::size_t{4} * 1024 * 1024;

// Long enough that an idle worker costs nothing; new work and shutdown wake it at once.
constexpr int idlePollMilliseconds = 60 * 1000;

constexpr const char* abortedError = "aborted";

std::once_flag curlGlobalInit;

struct Transfer {
  std::string url;
  std::function<void(HttpClient::Reply)> done;
  std::string body;
  bool tooLarge = false;
  std::array<char, CURL_ERROR_SIZE> errorText{};
};

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* userdata) {
  auto* transfer = static_cast<Transfer*>(userdata);
  const std::size_t bytes = size * count;
  if (bytes > maxBodyBytes - transfer->body.size()) {
    transfer->tooLarge = true;
    return 0;  // anything but `bytes` makes curl end the transfer with a write error
  }
  transfer->body.append(data, bytes);
  return bytes;
}

void complete(Transfer& transfer, HttpClient::Reply reply) {
  auto done = std::move(transfer.done);
  transfer.done = nullptr;
  if (done) done(std::move(reply));
}

void fail(Transfer& transfer, std::string error) {
  complete(transfer, HttpClient::Reply{std::nullopt, std::move(error)});
}

}  // namespace

class CurlHttpClient::Worker {
 public:
  explicit Worker(Options options) : options_(std::move(options)) {
    std::call_once(curlGlobalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    multi_ = curl_multi_init();
  }

  // Runs once the thread is done with the multi handle: after the join, or on the worker thread
  // itself as its last act when it was left to wind down alone.
  ~Worker() {
    // A get() racing with shutdown may have queued after the worker's last look.
    abortQueued();
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
  }

  // The thread holds the worker too, so a client released on that very thread (by one of its own
  // completions) can leave the worker to finish instead of joining itself.
  static void start(const std::shared_ptr<Worker>& worker) {
    if (worker->multi_ != nullptr) worker->thread_ = std::thread([worker] { worker->run(); });
  }

  void stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    if (!thread_.joinable()) return;
    curl_multi_wakeup(multi_);
    if (thread_.get_id() == std::this_thread::get_id()) {
      thread_.detach();
    } else {
      thread_.join();
    }
  }

  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  void submit(const std::string& url, std::function<void(Reply)> done) {
    auto transfer = std::make_unique<Transfer>();
    transfer->url = url;
    transfer->done = std::move(done);
    if (multi_ == nullptr) {
      fail(*transfer, "the web client could not be started");
      return;
    }
    {
      std::lock_guard lock(mutex_);
      if (!stopping_) {
        queued_.push_back(std::move(transfer));
      }
    }
    if (transfer) {
      fail(*transfer, abortedError);
      return;
    }
    curl_multi_wakeup(multi_);
  }

 private:
  void run() {
    while (true) {
      std::vector<std::unique_ptr<Transfer>> incoming;
      bool stop = false;
      {
        std::lock_guard lock(mutex_);
        incoming.swap(queued_);
        stop = stopping_;
      }
      if (stop) {
        for (auto& transfer : incoming) fail(*transfer, abortedError);
        break;
      }
      for (auto& transfer : incoming) start(std::move(transfer));

      int running = 0;
      curl_multi_perform(multi_, &running);
      finishCompleted();
      curl_multi_poll(multi_, nullptr, 0, idlePollMilliseconds, nullptr);
    }
    abortActive();
  }

  void start(std::unique_ptr<Transfer> transfer) {
    CURL* easy = curl_easy_init();
    if (easy == nullptr) {
      fail(*transfer, "the request could not be created");
      return;
    }
    const long timeout = static_cast<long>(options_.timeout.count());
    CURLcode rc = CURLE_OK;
    const auto set = [&](CURLoption option, auto value) {
      if (rc == CURLE_OK) rc = curl_easy_setopt(easy, option, value);
    };
    set(CURLOPT_URL, transfer->url.c_str());
    // Rates are only worth trusting over a verified TLS connection, redirects included; a
    // build of curl that cannot promise that gets no request at all (see the check below).
    set(CURLOPT_PROTOCOLS_STR, "https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "https");
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options_.caFile.empty()) set(CURLOPT_CAINFO, options_.caFile.c_str());
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, 10L);
    // Error statuses still carry a body the caller wants to read.
    set(CURLOPT_FAILONERROR, 0L);
    // A stalled server must end in a failure the user can retry, never in a request that hangs
    // for good.
    set(CURLOPT_CONNECTTIMEOUT, timeout);
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, timeout);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_ACCEPT_ENCODING, "");
    set(CURLOPT_USERAGENT, "Ovantic");
    set(CURLOPT_WRITEFUNCTION, &appendBody);
    set(CURLOPT_WRITEDATA, static_cast<void*>(transfer.get()));
    set(CURLOPT_ERRORBUFFER, transfer->errorText.data());
    if (rc != CURLE_OK) {
      curl_easy_cleanup(easy);
      fail(*transfer, curl_easy_strerror(rc));
      return;
    }
    if (curl_multi_add_handle(multi_, easy) != CURLM_OK) {
      curl_easy_cleanup(easy);
      fail(*transfer, "the request could not be started");
      return;
    }
    active_.emplace(easy, std::move(transfer));
  }

  void finishCompleted() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURL* easy = message->easy_handle;
      const CURLcode result = message->data.result;
      auto found = active_.find(easy);
      if (found == active_.end()) continue;
      std::unique_ptr<Transfer> transfer = std::move(found->second);
      active_.erase(found);
      curl_multi_remove_handle(multi_, easy);
      curl_easy_cleanup(easy);

      if (result == CURLE_OK) {
        complete(*transfer, Reply{std::move(transfer->body), std::nullopt});
      } else if (transfer->tooLarge) {
        fail(*transfer, "reply larger than 4 MiB");
      } else if (transfer->errorText[0] != '\0') {
        fail(*transfer, transfer->errorText.data());
      } else {
        fail(*transfer, curl_easy_strerror(result));
      }
    }
  }

  void abortActive() {
    auto active = std::move(active_);
    active_.clear();
    for (auto& [easy, transfer] : active) {
      curl_multi_remove_handle(multi_, easy);
      curl_easy_cleanup(easy);
      fail(*transfer, abortedError);
    }
  }

  void abortQueued() {
    std::vector<std::unique_ptr<Transfer>> left;
    {
      std::lock_guard lock(mutex_);
      left.swap(queued_);
    }
    for (auto& transfer : left) fail(*transfer, abortedError);
  }

  const Options options_;
  CURLM* multi_ = nullptr;
  std::thread thread_;

  std::mutex mutex_;
  std::vector<std::unique_ptr<Transfer>> queued_;  // guarded by mutex_
  bool stopping_ = false;                          // guarded by mutex_

  std::map<CURL*, std::unique_ptr<Transfer>> active_;  // the worker thread's alone
};

CurlHttpClient::CurlHttpClient(Options options)
    : worker_(std::make_shared<Worker>(std::move(options))) {
  Worker::start(worker_);
}

CurlHttpClient::~CurlHttpClient() {
  worker_->stop();
}

void CurlHttpClient::get(const std::string& url, std::function<void(Reply)> done) {
  worker_->submit(url, std::move(done));
}

}  // namespace ovantic
