#include <QApplication>
#include <QString>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>

#include "app/app_delegate.h"
#include "app/deferred_http_client.h"
#include "app/http_module_loader.h"
#include "converter/currency_converter_view.h"
#include "panel/color_scheme_watcher.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_main_queue.h"
#include "rates/rates_service.h"

// A build for tests bakes in its own rate feed and CA bundle; the shipped program leaves both
// empty and so uses the public service and the system's CA bundle.
#ifndef OVANTIC_RATES_URL
#define OVANTIC_RATES_URL ""
#endif
#ifndef OVANTIC_CA_FILE
#define OVANTIC_CA_FILE ""
#endif

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ovantic"));
  QApplication::setApplicationDisplayName(QStringLiteral("Ovantic"));
  QApplication::setDesktopFileName(QStringLiteral("ovantic"));
  // The panel is the only window; closing it must not end the run.
  QApplication::setQuitOnLastWindowClosed(false);

  const std::string ratesUrl = OVANTIC_RATES_URL;
  ovantic::CurlHttpClientOptions httpOptions;
  httpOptions.caFile = OVANTIC_CA_FILE;

  ovantic::ConverterServices services;
  services.mainQueue = std::make_shared<ovantic::QtMainQueue>();
  services.http = std::make_shared<ovantic::DeferredHttpClient>([httpOptions] {
    QString error;
    auto client = ovantic::loadHttpClient(ovantic::httpModuleDirs(), httpOptions, &error);
    // The panel shows the failed fetch; this says why, once.
    static bool told = false;
    if (!client && !told) {
      told = true;
      std::fprintf(stderr, "ovantic: cannot load the HTTPS module: %s\n", qUtf8Printable(error));
    }
    return client;
  });
  services.clipboard = std::make_shared<ovantic::QtClipboard>();
  services.ratesUrl = ratesUrl.empty() ? std::string(ovantic::defaultRatesUrl) : ratesUrl;

  ovantic::ColorSchemeWatcher colorScheme;
  ovantic::AppDelegate delegate(std::move(services));
  QTimer::singleShot(0, &delegate, &ovantic::AppDelegate::applicationDidFinishLaunching);
  return QApplication::exec();
}
