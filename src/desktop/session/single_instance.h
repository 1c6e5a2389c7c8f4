#pragma once

#include <QObject>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace ovantic {

// One Ovantic per user session. The first launch holds a lock in the session's runtime directory
// for as long as it runs and listens on a socket beside it; a later launch finds the lock taken,
// knocks on the socket so the running one opens its panel, and ends. The kernel drops the lock
// with the process however it ends, so a crash leaves nothing that keeps the next launch out.
// Needs neither a session bus nor a display.
//
// Only a directory that is the user's alone is used: owned by the user, open to no one else, and
// not a link. Anyone who can write there could keep Ovantic out with a lock of his own, or bind
// the socket and hear what later launches ask; where the directory fails that test Ovantic runs
// unguarded and says so, rather than trust it.
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Claim {
    first,       // this process is the session's Ovantic
    handedOver,  // another one runs and was asked to open its panel; this one should end
    unanswered,  // another one holds the lock but did not take the knock
    unguarded,   // the directory could not be used: this one runs, unguarded
  };

  // `dir` is where the lock and socket live; see sessionDir().
  explicit SingleInstance(std::string dir);
  ~SingleInstance() override;

  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // What a later launch asks of the running one.
  enum class Request : char { open = 'o', toggle = 't', quit = 'q' };

  // Works without a running Qt application, so a second launch ends before building any of it.
  // When another one runs, `request` is passed to it.
  Claim claim(Request request = Request::open);
  // Why the last claim was not `first` or `handedOver`.
  const std::string& error() const { return error_; }
  // Where the running one listens: in the directory, named after the session's display.
  const std::string& socketPath() const { return socketPath_; }

  // After a `first` claim, with a Qt event loop: knocks from later launches become the signals
  // below. A knock is read as it arrives, never waited for; one that does not arrive whole is
  // nothing.
  void listen();

  // How long a connection may take to bring its knock before it is dropped unheard.
  static constexpr int kKnockPatienceMs = 2000;

  // $XDG_RUNTIME_DIR, the user's own session directory; without it, a private directory of the
  // user's under /tmp. Someone else can take that name first, or make it a link: claim() then
  // finds it not private and the launch runs unguarded, saying why, rather than let him keep
  // Ovantic out or hear its knocks.
  static std::string sessionDir();

 signals:
  void activationRequested();
  void toggleRequested();
  void quitRequested();

 private:
  void acceptKnocks();
  void readKnock(QLocalSocket* socket);

  std::string dir_;
  std::string lockPath_;
  std::string socketPath_;
  std::string error_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  QLocalServer* server_ = nullptr;
};

}  // namespace ovantic
