#include "desktop/tray_item.h"

#include <QCursor>

namespace ovantic {

namespace {

class QtTrayItem : public TrayItem {
 public:
  QtTrayItem(const QIcon& icon, const QString& toolTip) {
    tray_.setIcon(icon);
    tray_.setToolTip(toolTip);
    connect(&tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
              if (reason == QSystemTrayIcon::Context) {
                emit contextMenuRequested(QCursor::pos());
              } else {
                emit activated(reason);
              }
            });
    tray_.show();
  }

  QIcon icon() const override { return tray_.icon(); }
  QString toolTip() const override { return tray_.toolTip(); }
  QRect geometry() const override { return tray_.geometry(); }

 private:
  QSystemTrayIcon tray_;
};

}  // namespace

std::unique_ptr<TrayItem> makeQtTrayItem(const QIcon& icon, const QString& toolTip) {
  return std::make_unique<QtTrayItem>(icon, toolTip);
}

}  // namespace ovantic
