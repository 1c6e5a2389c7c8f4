#include "desktop/session/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
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

// A knock is the request's letter and a newline: a connection that ends before the newline, or
// brings anything else, asked for nothing.
constexpr qint64 kKnockSize = 2;
constexpr char kKnockEnd = '\n';
// Knocks being read at once; more are turned away until these end.
constexpr int kKnocksInFlight = 64;

// Whether the directory open as `fd` is the user's alone, as opened: no link followed.
std::string whyNotPrivate(int fd, const std::string& dir) {
  struct stat info;
  if (fd < 0) {
    return errno == ELOOP || errno == ENOTDIR ? dir + " is a link or not a directory"
                                              : dir + ": " + std::strerror(errno);
  }
  if (::fstat(fd, &info) != 0) return dir + ": " + std::strerror(errno);
  if (!S_ISDIR(info.st_mode)) return dir + " is not a directory";
  if (info.st_uid != ::getuid()) return dir + " belongs to another user";
  if ((info.st_mode & 077) != 0) return dir + " is open to other users (its mode is not 0700)";
  return {};
}

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
  delete server_;
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
  // The lock is opened inside the directory that was checked, so the check holds for it; a link
  // in the lock's place is refused rather than followed.
  const int dirFd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  error_ = whyNotPrivate(dirFd, dir_);
  if (!error_.empty()) {
    if (dirFd >= 0) ::close(dirFd);
    return Claim::unguarded;
  }
  const std::string lockName = lockPath.substr(dir_.size() + 1);
  lockFd_ = ::openat(dirFd, lockName.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  const int openError = errno;
  ::close(dirFd);
  if (lockFd_ < 0) {
    error_ = "cannot open " + lockPath + ": " + std::strerror(openError);
    return Claim::unguarded;
  }
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
    // Whatever socket is left belongs to a run that has ended.
    ::unlink(socketPath.c_str());
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, SOMAXCONN) != 0) {
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
    const char knock[kKnockSize] = {static_cast<char>(request), kKnockEnd};
    const bool knocked =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, knock, sizeof knock, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof knock);
    ::close(fd);
    if (knocked) return Claim::handedOver;
    std::this_thread::sleep_for(kKnockPause);
  }
  error_ = "another Ovantic holds " + lockPath + " but does not answer on " + socketPath;
  return Claim::unanswered;
}

void SingleInstance::listen() {
  if (listenFd_ < 0 || server_) return;
  server_ = new QLocalServer(this);
  server_->setMaxPendingConnections(kKnocksInFlight);
  if (!server_->listen(listenFd_)) {
    delete server_;
    server_ = nullptr;
    return;
  }
  // The server closes the socket, and removes its file, from now on.
  listenFd_ = -1;
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptKnocks);
}

void SingleInstance::acceptKnocks() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    if (server_->findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly).size() > kKnocksInFlight) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readKnock(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kKnockPatienceMs, socket, [this, socket] {
      // The loop may have been busy (knocks that came together open and close the panel in
      // turn), not the knocker slow: what has come meanwhile still counts.
      socket->waitForReadyRead(0);
      if (socket->bytesAvailable() >= kKnockSize) {
        readKnock(socket);
        return;
      }
      socket->abort();
      socket->deleteLater();
    });
    // Bytes that came with the connection announce themselves no more.
    if (socket->bytesAvailable() > 0) readKnock(socket);
  }
}

void SingleInstance::readKnock(QLocalSocket* socket) {
  if (socket->bytesAvailable() < kKnockSize) return;
  char knock[kKnockSize] = {};
  const bool whole = socket->read(knock, kKnockSize) == kKnockSize && knock[1] == kKnockEnd;
  // One knock per connection: whatever follows is not read.
  socket->disconnect(this);
  socket->abort();
  socket->deleteLater();
  if (!whole) return;
  switch (static_cast<Request>(knock[0])) {
    case Request::toggle:
      emit toggleRequested();
      break;
    case Request::quit:
      emit quitRequested();
      break;
    case Request::open:
      emit activationRequested();
      break;
  }
}

}  // namespace ovantic
