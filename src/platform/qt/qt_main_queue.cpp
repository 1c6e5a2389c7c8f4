#include "platform/qt/qt_main_queue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

namespace ovantic {

void QtMainQueue::post(std::function<void()> task) {
  QCoreApplication* app = QCoreApplication::instance();
  // Without an application there is no event loop that could ever run the task.
  if (!app || !task) return;
  // A queued call is posted as an event to the application object, which lives on the GUI
  // thread; posting events is safe from any thread.
  QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
}

void QtMainQueue::postAfter(std::chrono::milliseconds delay, std::function<void()> task) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || !task) return;
  if (QThread::currentThread() == app->thread()) {
    QTimer::singleShot(delay, app, std::move(task));
    return;
  }
  // A timer must be started on the thread that owns it: hop to the GUI thread first.
  post([delay, task = std::move(task)]() mutable {
    QTimer::singleShot(delay, QCoreApplication::instance(), std::move(task));
  });
}

}  // namespace ovantic
