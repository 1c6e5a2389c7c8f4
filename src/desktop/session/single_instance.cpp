#include "desktop/session/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace ovantic {

namespace {

// The running one takes its lock and then binds its socket a moment later; a launch landing in
// between waits this long for the socket before giving up.
constexpr int kKnockTries = 40;
constexpr auto kKnockPause = std::chrono::milliseconds(25);

bool socketAddress(const std::string& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// The runtime directory is the user's, not the session's: a second graphical session of the same
// user has its own display, and its own Ovantic.
std::string sessionTag() {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  if (!display || !*display) display = std::getenv("DISPLAY");
  std::string tag;
  for (const char* c = display; c && *c; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c)) || *c == '.' || *c == '-') tag += *c;
  }
  return tag.empty() ? tag : "-" + tag;
}

}  // namespace

SingleInstance::SingleInstance(std::string dir)
    : dir_(std::move(dir)),
      lockPath_(dir_ + "/ovantic" + sessionTag() + ".lock"),
      socketPath_(dir_ + "/ovantic" + sessionTag() + ".socket") {}

SingleInstance::~SingleInstance() {
  delete notifier_;
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(socketPath_.c_str());
  }
  if (lockFd_ >= 0) ::close(lockFd_);
}

std::string SingleInstance::sessionDir() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) return runtime;
  std::string dir = "/tmp/ovantic-" + std::to_string(::getuid());
  ::mkdir(dir.c_str(), 0700);
  return dir;
}

SingleInstance::Claim SingleInstance::claim(Request request) {
  const std::string& lockPath = lockPath_;
  const std::string& socketPath = socketPath_;
  sockaddr_un address;
  if (!socketAddress(socketPath, &address)) {
    error_ = "the path " + socketPath + " is too long for a socket";
    return Claim::unguarded;
  }
  // A directory the user does not own could be anyone's: someone else's lock would keep us out.
  struct stat info;
  if (::stat(dir_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
    error_ = dir_ + " is not a directory of this user's";
    return Claim::unguarded;
  }
  lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) {
    error_ = "cannot open " + lockPath + ": " + std::strerror(errno);
    return Claim::unguarded;
  }
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
    // Whatever socket is left belongs to a run that has ended.
    ::unlink(socketPath.c_str());
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 8) != 0) {
      error_ = "cannot listen on " + socketPath + ": " + std::strerror(errno);
      if (listenFd_ >= 0) ::close(listenFd_);
      listenFd_ = -1;
      // Still the only one: the lock is held. Later launches just cannot reach it.
    }
    return Claim::first;
  }
  ::close(lockFd_);
  lockFd_ = -1;
  for (int attempt = 0; attempt < kKnockTries; ++attempt) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) break;
    const bool knocked =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, &request, 1, MSG_NOSIGNAL) == 1;
    ::close(fd);
    if (knocked) return Claim::handedOver;
    std::this_thread::sleep_for(kKnockPause);
  }
  error_ = "another Ovantic holds " + lockPath + " but does not answer on " + socketPath;
  return Claim::unanswered;
}

void SingleInstance::listen() {
  if (listenFd_ < 0 || notifier_) return;
  notifier_ = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &SingleInstance::acceptKnocks);
}

void SingleInstance::acceptKnocks() {
  // A knock is one byte, sent right after connecting. One that brings none (an older launch, or
  // something else of the user's poking the socket) is taken as a plain "open", after a short
  // wait, so it can never hold up the panel.
  constexpr int kByteWaitMs = 200;
  std::string requests;
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) break;
    pollfd ready{fd, POLLIN, 0};
    char byte = static_cast<char>(Request::open);
    if (::poll(&ready, 1, kByteWaitMs) != 1 || ::recv(fd, &byte, 1, MSG_DONTWAIT) != 1) {
      byte = static_cast<char>(Request::open);
    }
    ::close(fd);
    requests += byte;
  }
  for (const char byte : requests) {
    switch (static_cast<Request>(byte)) {
      case Request::toggle:
        emit toggleRequested();
        break;
      case Request::quit:
        emit quitRequested();
        break;
      case Request::open:
      default:
        emit activationRequested();
        break;
    }
  }
}

}  // namespace ovantic
