#include "app/app_menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QUrl>
#include <cstdio>

namespace ovantic {

AppMenu::AppMenu(AutostartEntry autostart, QWidget* parent)
    : QMenu(parent),
      autostart_(std::move(autostart)),
      startAtLogin_(addAction(tr("Start at login"))),
      about_(addAction(tr("About Ovantic"))),
      quit_(nullptr) {
  setObjectName(QStringLiteral("appMenu"));
  setAccessibleName(tr("Ovantic menu"));
  startAtLogin_->setObjectName(QStringLiteral("startAtLogin"));
  startAtLogin_->setCheckable(true);
  addSeparator();
  quit_ = addAction(tr("Quit"));
  quit_->setObjectName(QStringLiteral("quit"));
  about_->setObjectName(QStringLiteral("about"));
  syncStartAtLogin();
  // Another program (the desktop's own startup settings) may change the files meanwhile.
  connect(this, &QMenu::aboutToShow, this, &AppMenu::syncStartAtLogin);
  connect(startAtLogin_, &QAction::triggered, this, [this](bool checked) {
    QString error;
    if (!autostart_.setEnabled(checked, &error)) {
      std::fprintf(stderr, "ovantic: start at login: %s\n", qPrintable(error));
    }
    // The check shows what the files now say, whether the change went through or not.
    syncStartAtLogin();
  });
  connect(about_, &QAction::triggered, this, &AppMenu::aboutRequested);
  connect(quit_, &QAction::triggered, this, &AppMenu::quitRequested);
}

void AppMenu::syncStartAtLogin() {
  startAtLogin_->setChecked(autostart_.isEnabled());
}

QString AppMenu::aboutText(const QString& ratesUrl) {
  const QString host = QUrl(ratesUrl).host();
  return tr("Ovantic %1\n\n"
            "Converts currencies in the system tray, in lakh and crore as well as "
            "million and billion.\n\n"
            "Licence: proprietary, all rights reserved.\n"
            "Exchange rates: %2, or a second public service when it fails, fetched each "
            "time the panel opens; the last good ones are kept for when both fail. Every "
            "cross rate is worked out from a US-dollar table.")
      .arg(QCoreApplication::applicationVersion(), host.isEmpty() ? ratesUrl : host);
}

}  // namespace ovantic
