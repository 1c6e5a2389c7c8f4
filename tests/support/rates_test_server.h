#pragma once

#include <sys/types.h>

#include <string>

namespace ovantic::fakes {

// tests/support/rates_server.py behind a self-signed certificate made for this run. One instance
// serves a whole test program; destroying it stops the server and removes its files.
class RatesTestServer {
 public:
  RatesTestServer();
  ~RatesTestServer();

  RatesTestServer(const RatesTestServer&) = delete;
  RatesTestServer& operator=(const RatesTestServer&) = delete;

  // "https://127.0.0.1:<port>" + scenario prefix + "/v4/latest/USD".
  std::string url(const std::string& scenario = "") const;
  const std::string& caFile() const { return certFile_; }
  int port() const { return port_; }

  // How many requests for exactly this path the server has seen so far.
  int requestsFor(const std::string& path) const;
  // Waits (bounded) until the server has seen at least `count` requests for the path.
  bool waitForRequests(const std::string& path, int count) const;

 private:
  std::string dir_;
  std::string certFile_;
  std::string keyFile_;
  std::string logFile_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// A local port nothing listens on, for connection-refused cases.
int closedPort();

// A local port that takes connections (the kernel completes them) but never says a word, so a
// TLS handshake with it never ends.
class SilentListener {
 public:
  SilentListener();
  ~SilentListener();
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;
  int port() const { return port_; }
  // Whether a connection came in since the last look; never waits.
  bool wasContacted() const;

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace ovantic::fakes
