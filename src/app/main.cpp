#include <QApplication>
#include <QCommandLineParser>
#include <QString>
#include <QTimer>
#include <QTranslator>
#include <memory>
#include <string>

#include "app/app_delegate.h"
#include "app/translations.h"
#include "converter/currency_converter_view.h"
#include "desktop/desktop_platform.h"
#include "desktop/portal/color_scheme_watcher.h"
#include "desktop/session/single_instance.h"
#include "panel/panel_accessibility.h"
#include "panel/panel_style.h"
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

#ifndef OVANTIC_VERSION
#define OVANTIC_VERSION "0"
#endif

namespace {

enum class Asked { run, done, failed };

// The command line, read before any of Qt's application is built: a launch that only asks the
// running one for something must end quickly, display or not.
Asked readCommandLine(int argc, char* argv[], ovantic::SingleInstance::Request* request) {
  // The user's language before Qt's application exists: the translator asked directly, since
  // installing one needs the application.
  const auto said = [](const char* text) {
    const QString translated = ovantic::ownTranslations().translate("CommandLine", text);
    return translated.isEmpty() ? QString::fromUtf8(text) : translated;
  };
  const QString tryHelp = said(QT_TRANSLATE_NOOP("CommandLine", "Try 'ovantic --help'."));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      said(QT_TRANSLATE_NOOP("CommandLine",
                             "Currency converter in the system tray. Without options, starts "
                             "Ovantic, or opens the panel of the one already running.")));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption toggle(
      QStringLiteral("toggle"),
      said(QT_TRANSLATE_NOOP("CommandLine",
                             "Opens the running Ovantic's panel, or closes it when it is open. "
                             "Bind a key to this.")));
  const QCommandLineOption quit(
      QStringLiteral("quit"), said(QT_TRANSLATE_NOOP("CommandLine", "Ends the running Ovantic.")));
  parser.addOption(toggle);
  parser.addOption(quit);
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (!parser.parse(arguments)) {
    std::fprintf(stderr, "ovantic: %s\n%s\n", qPrintable(parser.errorText()), qPrintable(tryHelp));
    return Asked::failed;
  }
  if (!parser.positionalArguments().isEmpty()) {
    const QString unexpected = said(QT_TRANSLATE_NOOP("CommandLine", "unexpected argument '%1'"))
                                   .arg(parser.positionalArguments().constFirst());
    std::fprintf(stderr, "ovantic: %s\n%s\n", qPrintable(unexpected), qPrintable(tryHelp));
    return Asked::failed;
  }
  if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
    // Without an application object Qt does not know the program's name.
    QString text = parser.helpText();
    text.replace(QStringLiteral("<executable_name>"), QStringLiteral("ovantic"));
    std::fputs(qPrintable(text), stdout);
    return Asked::done;
  }
  if (parser.isSet(version)) {
    std::printf("ovantic %s\n", OVANTIC_VERSION);
    return Asked::done;
  }
  if (parser.isSet(toggle) && parser.isSet(quit)) {
    std::fprintf(stderr, "ovantic: %s\n",
                 qPrintable(said(QT_TRANSLATE_NOOP(
                     "CommandLine", "--toggle and --quit ask opposite things; give one"))));
    return Asked::failed;
  }
  using Request = ovantic::SingleInstance::Request;
  *request = parser.isSet(quit)     ? Request::quit
             : parser.isSet(toggle) ? Request::toggle
                                    : Request::open;
  return Asked::run;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication::setApplicationName(QStringLiteral("ovantic"));
  QCoreApplication::setApplicationVersion(QStringLiteral(OVANTIC_VERSION));
  using Request = ovantic::SingleInstance::Request;
  Request request = Request::open;
  switch (readCommandLine(argc, argv, &request)) {
    case Asked::run:
      break;
    case Asked::done:
      return 0;
    case Asked::failed:
      return 2;
  }

  // A second launch (autostart and the menu, or the menu twice) passes its request to the
  // running one and ends before it builds anything of its own.
  ovantic::SingleInstance instance(ovantic::SingleInstance::sessionDir());
  switch (instance.claim(request)) {
    case ovantic::SingleInstance::Claim::first:
      if (request == Request::quit) {
        std::fputs("ovantic: not running\n", stderr);
        return 0;
      }
      break;
    case ovantic::SingleInstance::Claim::handedOver:
      return 0;
    case ovantic::SingleInstance::Claim::unanswered:
      std::fprintf(stderr, "ovantic: already running, but it does not answer: %s\n",
                   instance.error().c_str());
      return 1;
    case ovantic::SingleInstance::Claim::unguarded:
      if (request == Request::quit) {
        std::fprintf(stderr, "ovantic: cannot reach a running Ovantic: %s\n",
                     instance.error().c_str());
        return 1;
      }
      std::fprintf(stderr, "ovantic: cannot tell whether Ovantic already runs (%s); starting\n",
                   instance.error().c_str());
      break;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ovantic"));
  QApplication::setApplicationDisplayName(QStringLiteral("Ovantic"));
  QApplication::setDesktopFileName(QStringLiteral("ovantic"));
  ovantic::installTranslations();
  // Before the loop's first turn, where the accessibility bridge asks for the application's tree.
  ovantic::installPanelAccessibility();
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

  // The one choice of the desktop's ways for the whole run.
  ovantic::AppDelegate delegate(std::move(services), ovantic::DesktopPlatform::forThisSession());
  instance.listen();
  QObject::connect(&instance, &ovantic::SingleInstance::activationRequested, &delegate,
                   &ovantic::AppDelegate::openPopover);
  QObject::connect(&instance, &ovantic::SingleInstance::toggleRequested, &delegate,
                   &ovantic::AppDelegate::togglePopover);
  QObject::connect(&instance, &ovantic::SingleInstance::quitRequested, &app,
                   &QCoreApplication::quit, Qt::QueuedConnection);
  // Before the loop's first turn: there Qt sets up its accessibility bridge, session-bus calls and
  // all, which a status-notifier host would otherwise wait out before it sees the icon.
  delegate.applicationDidFinishLaunching();
  // The desktop's light or dark choice matters from the first opening on, not for the icon: asked
  // once the icon is up, its session-bus round trips stay off the way to the tray.
  std::unique_ptr<ovantic::ColorSchemeWatcher> colorScheme;
  QTimer::singleShot(0, &delegate, [&colorScheme] {
    colorScheme = std::make_unique<ovantic::ColorSchemeWatcher>(ovantic::style::darkPalette());
  });
  // Started by --toggle with none running: the panel opens as soon as the icon is up to hang it
  // from, as a later --toggle would have opened it.
  if (request == Request::toggle) {
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.openPopover(); });
  }
  return QApplication::exec();
}
