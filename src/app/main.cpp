#include <QApplication>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "app/app_delegate.h"
#include "app/single_instance.h"
#include "converter/currency_converter_view.h"
#include "panel/color_scheme_watcher.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_http_client.h"
#include "platform/qt/qt_main_queue.h"
#include "platform/qt/qt_preferences.h"
#include "platform/qt/qt_rate_store.h"
#include "rates/rates_service.h"

// A build for tests bakes in its own rate feeds and CA bundle; the shipped program leaves both
// empty and so uses the public service and the system's CA bundle.
#ifndef OVANTIC_RATES_URL
#define OVANTIC_RATES_URL ""
#endif
#ifndef OVANTIC_FALLBACK_RATES_URL
#define OVANTIC_FALLBACK_RATES_URL ""
#endif
#ifndef OVANTIC_CA_FILE
#define OVANTIC_CA_FILE ""
#endif

int main(int argc, char* argv[]) {
  // A second launch (autostart and the menu, or the menu twice) opens the running one's panel and
  // ends before it builds anything of its own.
  ovantic::SingleInstance instance(ovantic::SingleInstance::sessionDir());
  switch (instance.claim()) {
    case ovantic::SingleInstance::Claim::first:
      break;
    case ovantic::SingleInstance::Claim::handedOver:
      return 0;
    case ovantic::SingleInstance::Claim::unanswered:
      std::fprintf(stderr, "ovantic: already running, but it does not answer: %s\n",
                   instance.error().c_str());
      return 1;
    case ovantic::SingleInstance::Claim::unguarded:
      std::fprintf(stderr, "ovantic: cannot tell whether Ovantic already runs (%s); starting\n",
                   instance.error().c_str());
      break;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ovantic"));
  QApplication::setApplicationDisplayName(QStringLiteral("Ovantic"));
  QApplication::setDesktopFileName(QStringLiteral("ovantic"));
  // The panel is the only window; closing it must not end the run.
  QApplication::setQuitOnLastWindowClosed(false);

  const std::string ratesUrl = OVANTIC_RATES_URL;
  const std::string fallbackRatesUrl = OVANTIC_FALLBACK_RATES_URL;
  ovantic::QtHttpClientOptions httpOptions;
  httpOptions.caFile = OVANTIC_CA_FILE;

  ovantic::ConverterServices services;
  services.mainQueue = std::make_shared<ovantic::QtMainQueue>();
  // One client for the whole run; Qt maps its TLS stack at the first request, not at launch.
  services.http = std::make_shared<ovantic::QtHttpClient>(httpOptions);
  services.clipboard = std::make_shared<ovantic::QtClipboard>();
  services.ratesUrl = ratesUrl.empty() ? std::string(ovantic::defaultRatesUrl) : ratesUrl;
  // The pair chosen last, in $XDG_CONFIG_HOME/ovantic/ovantic.conf; every opening starts there.
  services.preferences = std::make_shared<ovantic::QtPreferences>();
  if (!fallbackRatesUrl.empty()) services.fallbackRatesUrls = {fallbackRatesUrl};
  services.rateStore = std::make_shared<ovantic::QtRateStore>();

  ovantic::AppDelegate delegate(std::move(services));
  instance.listen();
  QObject::connect(&instance, &ovantic::SingleInstance::activationRequested, &delegate,
                   &ovantic::AppDelegate::openPopover);
  // Before the loop's first turn: there Qt sets up its accessibility bridge, session-bus calls and
  // all, which a status-notifier host would otherwise wait out before it sees the icon.
  delegate.applicationDidFinishLaunching();
  // The desktop's light or dark choice matters from the first opening on, not for the icon: asked
  // once the icon is up, its session-bus round trips stay off the way to the tray.
  std::unique_ptr<ovantic::ColorSchemeWatcher> colorScheme;
  QTimer::singleShot(0, &delegate, [&colorScheme] {
    colorScheme = std::make_unique<ovantic::ColorSchemeWatcher>();
  });
  return QApplication::exec();
}
