#include "rates_test_server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace ovantic::fakes {
namespace {

pid_t spawn(const std::vector<std::string>& args, const posix_spawn_file_actions_t* actions) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start " + args[0]);
  }
  return pid;
}

int waitExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

RatesTestServer::RatesTestServer() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ovantic-rates-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
  certFile_ = dir_ + "/cert.pem";
  keyFile_ = dir_ + "/key.pem";
  logFile_ = dir_ + "/requests.log";

  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  const pid_t openssl =
      spawn({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
             "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", keyFile_, "-out",
             certFile_},
            &quiet);
  posix_spawn_file_actions_destroy(&quiet);
  if (waitExit(openssl) != 0) throw std::runtime_error("openssl could not make a certificate");

  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t toPipe;
  posix_spawn_file_actions_init(&toPipe);
  posix_spawn_file_actions_adddup2(&toPipe, out[1], 1);
  posix_spawn_file_actions_addclose(&toPipe, out[0]);
  posix_spawn_file_actions_addclose(&toPipe, out[1]);
  pid_ = spawn({"python3", OVANTIC_RATES_SERVER_SCRIPT, "--cert", certFile_, "--key", keyFile_,
                "--log", logFile_, "--exit-with-parent"},
               &toPipe);
  posix_spawn_file_actions_destroy(&toPipe);
  close(out[1]);

  FILE* stream = fdopen(out[0], "r");
  char line[32] = {};
  const bool read = stream != nullptr && std::fgets(line, sizeof line, stream) != nullptr;
  if (stream != nullptr) std::fclose(stream);
  port_ = read ? std::atoi(line) : 0;
  if (port_ <= 0) {
    kill(pid_, SIGKILL);
    waitExit(pid_);
    throw std::runtime_error("the rate server did not report its port");
  }
}

RatesTestServer::~RatesTestServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitExit(pid_);
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string RatesTestServer::url(const std::string& scenario) const {
  return "https://127.0.0.1:" + std::to_string(port_) + scenario + "/v4/latest/USD";
}

int RatesTestServer::requestsFor(const std::string& path) const {
  std::ifstream log(logFile_);
  int count = 0;
  for (std::string line; std::getline(log, line);) {
    if (line == path) ++count;
  }
  return count;
}

bool RatesTestServer::waitForRequests(const std::string& path, int count) const {
  const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (requestsFor(path) < count) {
    if (std::chrono::steady_clock::now() > bound) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

int closedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t size = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);  // nothing listened, and now nothing holds the port either
  return port;
}

SilentListener::SilentListener() {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(fd_, 16) != 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("cannot listen on a local port");
  }
  port_ = ntohs(address.sin_port);
}

SilentListener::~SilentListener() {
  if (fd_ >= 0) close(fd_);
}

bool SilentListener::wasContacted() const {
  const int connection = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK);
  if (connection < 0) return false;
  close(connection);
  return true;
}

}  // namespace ovantic::fakes
