#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "app/app_menu.h"
#include "app/popover_window.h"
#include "converter/currency_converter_view.h"
#include "desktop/outside_click_monitor.h"
#include "desktop/session/single_instance.h"
#include "desktop/sni/status_notifier_item.h"
#include "desktop/tray_icon.h"
#include "desktop/x11/x11_click_observer.h"
#include "desktop/xdg/autostart_entry.h"
#include "doubles.h"
#include "notation/amount_expression.h"
#include "panel/converter_panel.h"
#include "platform/qt/qt_rate_store.h"

namespace ovantic {
namespace {

using fakes::ClockedMainQueue;
using fakes::ManualHttpClient;
using fakes::RecordingClipboard;

// Everything written to standard error while it lives.
class StderrCapture {
 public:
  StderrCapture() {
    file_.open();
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    dup2(file_.handle(), STDERR_FILENO);
  }
  ~StderrCapture() { restore(); }

  QString text() {
    restore();
    file_.seek(0);
    return QString::fromUtf8(file_.readAll());
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    saved_ = -1;
  }
  QTemporaryFile file_;
  int saved_ = -1;
};

// Runs the deferred closes and deletions the shell queued.
QWidget* findTopLevel(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String(name)) return widget;
  }
  return nullptr;
}

void settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT

 private:
  std::shared_ptr<ClockedMainQueue> queue;
  std::shared_ptr<ManualHttpClient> http;
  std::unique_ptr<AppDelegate> delegate;

  // A delegate whose tray icon exists, as after launching on a desktop with a tray.
  AppDelegate& withIcon() {
    delegate->setupMenuBarIcon();
    return *delegate;
  }

 private slots:
  void init() {
    queue = std::make_shared<ClockedMainQueue>();
    http = std::make_shared<ManualHttpClient>();
    ConverterServices services{queue, http, std::make_shared<RecordingClipboard>(), "en_US",
                               "https://rates.test/"};
    delegate = std::make_unique<AppDelegate>(std::move(services));
    delegate->iconPath = QStringLiteral(OVANTIC_TEST_ICON);
  }

  void cleanup() {
    delegate.reset();
    settle();
  }

  // --- launching ----------------------------------------------------------------------------

  void launchWithoutATrayShowsNothingSaysWhyOnceAndKeepsWaiting() {
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());  // the offscreen desktop has none
    StderrCapture err;
    delegate->applicationDidFinishLaunching();
    const QString said = err.text();
    QCOMPARE(said.count(QStringLiteral("no system tray is running")), 1);
    QVERIFY(!delegate->statusItem);
    QVERIFY(!delegate->popover);
    QVERIFY(!delegate->eventMonitor);
    QVERIFY(http->urls().empty());
    // Without an icon there is nothing to anchor a panel to.
    delegate->showPopover();
    QVERIFY(!delegate->popover);
    QVERIFY(!delegate->eventMonitor);
    QVERIFY(http->urls().empty());
  }

  void theIconAloneAsksForNothing() {
    withIcon();
    QVERIFY(delegate->statusItem);
    QVERIFY(!delegate->statusItem->icon().isNull());
    QCOMPARE(delegate->statusItem->toolTip(), QStringLiteral("Ovantic"));
    QVERIFY(!delegate->popover);
    QVERIFY(!delegate->eventMonitor);
    QVERIFY(http->urls().empty());
  }

  // --- opening and closing ------------------------------------------------------------------

  void eachOpeningShowsAFreshPanelThatFetches() {
    withIcon().togglePopover();
    QPointer<PopoverWindow> first = delegate->popover;
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QVERIFY(delegate->eventMonitor);
    QCOMPARE(first->width(), 320);
    QVERIFY(first->height() >= 380);
    QCOMPARE(http->urls(), std::vector<std::string>{"https://rates.test/"});
    const auto firstModel = first->panel()->model();
    firstModel->amountText = "9";

    delegate->togglePopover();
    QVERIFY(!delegate->popover);
    QVERIFY(!delegate->eventMonitor);
    settle();
    QVERIFY(!first);

    delegate->togglePopover();
    QVERIFY(delegate->popover);
    const auto secondModel = delegate->popover->panel()->model();
    QVERIFY(secondModel != firstModel);
    QCOMPARE(secondModel->amountText, std::string("1"));
    QCOMPARE(http->urls().size(), std::size_t{2});
  }

  void theOpenPanelLiesWhollyOnTheScreen() {
    withIcon().showPopover();
    QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen->availableGeometry().contains(delegate->popover->frameGeometry()));
  }

  void thePanelKeepsItsSizeAndPlaceWhileTheListAppears() {
    withIcon().showPopover();
    PopoverWindow* window = delegate->popover;
    settle();
    const QRect before = window->frameGeometry();
    QCOMPARE(before.width(), 320);
    QVERIFY(before.height() >= 380);

    // Rates arrive, then an amount: the all-units list appears below the result.
    http->answerLast(R"({"rates":{"USD":1,"INR":83.12,"EUR":0.92}})");
    queue->drain();
    auto* field = window->panel()->findChild<QLineEdit*>(QStringLiteral("amountField"));
    QVERIFY(field);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("2.5 cr"));
    settle();
    QVERIFY(!window->panel()->model()->allConversions.empty());
    QCOMPARE(window->frameGeometry(), before);
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(before));
  }

  void onAShortScreenThePanelScrollsInsteadOfBeingSquashed() {
    withIcon().showPopover();
    PopoverWindow* window = delegate->popover;
    const int fullest = window->panel()->height();
    window->setPlacement([](QSize) { return QPoint(0, 0); }, fullest - 100);
    settle();
    QCOMPARE(window->height(), fullest - 100);
    QCOMPARE(window->panel()->height(), fullest);
  }

  // Whichever pair the user left, the panel opens tall enough for that pair at its longest, so
  // the footer shows without a scroll bar.
  void thePanelIsTallEnoughForTheRememberedPair_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("USD to EUR") << "USD"
                                << "EUR";
    QTest::newRow("GBP to INR") << "GBP"
                                << "INR";
    QTest::newRow("EUR to GBP") << "EUR"
                                << "GBP";
  }

  void thePanelIsTallEnoughForTheRememberedPair() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    auto kept = std::make_shared<fakes::MemoryPreferences>();
    kept->values = {{"pair/from", from.toStdString()}, {"pair/to", to.toStdString()}};
    ConverterServices services{queue, http, std::make_shared<RecordingClipboard>(), "en_US",
                               "https://rates.test/"};
    services.preferences = kept;
    auto model = CurrencyConverterView::create(std::move(services));
    QCOMPARE(model->toCurrency, to.toStdString());
    const int fullest = PopoverWindow::fullestHeight(*model);

    model->exchangeRates = {{"USD", 1.0}, {"EUR", 0.92}, {"GBP", 0.79}, {"INR", 83.12}};
    // The largest amount of this pair still shown rather than Invalid: neither the amount nor
    // its result reaches the limit.
    const double ratio =
        model->exchangeRates[to.toStdString()] / model->exchangeRates[from.toStdString()];
    model->amountText =
        QString::number(0.999 * kLargestAmount / std::max(1.0, ratio), 'f', 2).toStdString();
    model->convert();
    model->rateText = "Failed to parse rates";
    model->lastUpdatedText = "Rates of 28 September 2026, fetched 59 minutes ago";
    ConverterPanel panel(model);
    panel.ensurePolished();
    QVERIFY(!model->allConversions.empty());
    QVERIFY2(panel.heightForWidth(PopoverWindow::kWidth) <= fullest,
             qPrintable(QString::number(panel.heightForWidth(PopoverWindow::kWidth))));
    QVERIFY(panel.sizeHint().height() <= fullest);
  }

  void aPressElsewhereWithTheIconsPlaceUnknownSwallowsTheHostsActivationOfIt() {
    // A status notifier host keeps the icon's place to itself: a press on the icon is a press
    // elsewhere, and the host's activation for that same press follows.
    withIcon().showPopover();
    QVERIFY(delegate->statusItem->geometry().isEmpty());
    delegate->eventMonitor->pressedAt(QPoint(5000, 5000));
    QVERIFY(!delegate->popover);
    emit delegate->statusItem->activated(QSystemTrayIcon::Trigger);
    QVERIFY(!delegate->popover);
    // No dead click: the next one opens.
    emit delegate->statusItem->activated(QSystemTrayIcon::Trigger);
    QVERIFY(delegate->popover);
  }

  void closingWaitsForTheNextTurnOfTheLoop() {
    withIcon().showPopover();
    QPointer<PopoverWindow> window = delegate->popover;
    QSignalSpy closed(delegate.get(), &AppDelegate::popoverClosed);
    delegate->closePopover();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!delegate->popover);
    // Still on screen while the event that asked for the close finishes.
    QVERIFY(window && window->isVisible());
    settle();
    QVERIFY(!window);
  }

  void closingWithNothingOpenDoesNothing() {
    withIcon();
    QSignalSpy closed(delegate.get(), &AppDelegate::popoverClosed);
    delegate->closePopover();
    delegate->stopEventMonitor();
    QCOMPARE(closed.count(), 0);
    QVERIFY(!delegate->eventMonitor);
  }

  void aPanelThatHidesItselfIsClosedAndTheNextClickOpensAgain() {
    // What a popup does on a click elsewhere: it hides; the shell must not hold on to it.
    withIcon().togglePopover();
    QPointer<PopoverWindow> window = delegate->popover;
    window->hide();
    QVERIFY(!delegate->popover);
    QVERIFY(!delegate->eventMonitor);
    delegate->togglePopover();
    QVERIFY(delegate->popover);
    QVERIFY(delegate->popover != window);
  }

  void escapeInThePanelClosesIt() {
    withIcon().togglePopover();
    QTest::keyClick(delegate->popover->panel(), Qt::Key_Escape);
    QVERIFY(!delegate->popover);
    QVERIFY(!delegate->eventMonitor);
  }

  void theOldPanelHidingLateDoesNotCloseTheNewOne() {
    withIcon().togglePopover();
    delegate->togglePopover();  // the old window's close is still pending
    delegate->togglePopover();
    QPointer<PopoverWindow> current = delegate->popover;
    QVERIFY(current);
    settle();  // now the old one hides
    QCOMPARE(delegate->popover.data(), current.data());
    QVERIFY(delegate->eventMonitor);
    QVERIFY(current->isVisible());
  }

  // --- the tray icon ------------------------------------------------------------------------

  void theIconIsARoundDiscWithTheSignCutOutAtAnySize() {
    const QIcon icon = makeTrayIcon(QStringLiteral(OVANTIC_TEST_ICON), QColor(200, 0, 0));
    QVERIFY(!icon.isNull());
    QVERIFY(icon.isMask());
    // Of the disc, the share the sign cuts out: the same picture at every size, so the same
    // share, where a pixel fits inside a stroke.
    QList<double> holeShares;
    for (const int side : {16, 22, 64, 256}) {
      const QImage image = icon.pixmap(QSize(side, side)).toImage();
      QCOMPARE(image.size(), QSize(side, side));
      QCOMPARE(image.pixelColor(0, 0).alpha(), 0);  // round: the corner is empty
      QCOMPARE(image.pixelColor(side / 8, side / 2), QColor(200, 0, 0));  // the disc, in the ink
      int disc = 0;
      int holes = 0;
      const double r = side / 2.0;
      for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
          // Well inside the rim, where antialiasing does not blur the edge.
          if (std::hypot(x + 0.5 - r, y + 0.5 - r) > r * 0.85) continue;
          ++disc;
          if (image.pixelColor(x, y).alpha() < 128) ++holes;
        }
      }
      if (side >= 64) holeShares << static_cast<double>(holes) / disc;
    }
    QVERIFY(holeShares.first() > 0.05);
    QVERIFY(std::abs(holeShares.first() - holeShares.last()) < 0.03);
  }

  void aTallTrayCellKeepsTheDiscRound() {
    const QIcon icon = makeTrayIcon(QStringLiteral(OVANTIC_TEST_ICON), Qt::black);
    const QImage image = icon.pixmap(QSize(22, 30)).toImage();
    // The disc fills the centred 22 by 22 square: rows 4 to 25.
    QCOMPARE(image.pixelColor(11, 2).alpha(), 0);
    QCOMPARE(image.pixelColor(11, 27).alpha(), 0);
    QCOMPARE(image.pixelColor(4, 15).alpha(), 255);
  }

  // The WCAG contrast of the icon's ink, as trays draw it at their sizes, on every panel measured.
  void theIconStandsOutOnEveryPanel_data() {
    QTest::addColumn<QColor>("panel");
    QTest::newRow("Plasma light") << QColor(0xcf, 0xd2, 0xd4);
    QTest::newRow("light grey") << QColor(0xf0, 0xf0, 0xf0);
    QTest::newRow("near black") << QColor(0x1f, 0x1f, 0x1f);
    QTest::newRow("GNOME top bar") << QColor(0x00, 0x00, 0x00);
  }
  void theIconStandsOutOnEveryPanel() {
    QFETCH(QColor, panel);
    const auto luminance = [](QColor c) {
      const auto channel = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
      };
      return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
             0.0722 * channel(c.blueF());
    };
    const auto contrast = [&](QColor a, QColor b) {
      const auto [low, high] = std::minmax({luminance(a), luminance(b)});
      return (high + 0.05) / (low + 0.05);
    };
    // What status notifier hosts get: the pictures, decoded from their network byte order.
    for (const SniPixmap& picture : sniPixmaps(makeTrayIcon(OVANTIC_TEST_ICON, trayInk()))) {
      double best = 0;
      const auto* argb = reinterpret_cast<const uchar*>(picture.bytes.constData());
      for (int i = 0; i < picture.width * picture.height; ++i, argb += 4) {
        const double a = argb[0] / 255.0;
        const auto over = [&](int ink, int back) { return qRound(ink * a + back * (1 - a)); };
        best =
            std::max(best, contrast(QColor(over(argb[1], panel.red()), over(argb[2], panel.green()),
                                           over(argb[3], panel.blue())),
                                    panel));
      }
      QVERIFY2(best >= 3.0, qPrintable(QStringLiteral("%1 px: %2:1").arg(picture.width).arg(best)));
    }
  }

  // Which name hosts are given: the installed symbolic icon for those that recolour it, and
  // none (the pictures) where a host would show a placeholder for a name it cannot find.
  void theIconNameIsPublishedOnlyWhereAHostCanFindIt_data() {
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("name");
    QTest::newRow("GNOME, installed") << "ubuntu:GNOME" << true << "ovantic-symbolic";
    QTest::newRow("KDE, installed") << "KDE" << true << "ovantic-symbolic";
    QTest::newRow("KDE, not installed") << "KDE" << false << "";
    QTest::newRow("LXQt, installed") << "LXQt" << true << "";
  }
  void theIconNameIsPublishedOnlyWhereAHostCanFindIt() {
    QFETCH(QString, desktop);
    QFETCH(bool, installed);
    QFETCH(QString, name);
    QCOMPARE(sniIconName(desktop, installed), name);
  }

  void anUnreadableIconFileStillLeavesSomethingToClick() {
    QVERIFY(makeTrayIcon(QStringLiteral("/nonexistent/ovantic.svg"), Qt::black).isNull());
    delegate->iconPath = QStringLiteral("/nonexistent/ovantic.svg");
    withIcon();
    const QImage image = delegate->statusItem->icon().pixmap(QSize(32, 32)).toImage();
    QCOMPARE(image.pixelColor(16, 16).alpha(), 255);
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
  }

  // --- the outside-click monitor ------------------------------------------------------------

  void theMonitorTellsOutsideFromInside() {
    QWidget panel;
    auto* inner = new QWidget(&panel);
    inner->setGeometry(0, 0, 100, 100);
    panel.setGeometry(500, 100, 200, 200);
    QWidget other;
    other.setGeometry(0, 0, 200, 200);
    QRect iconArea;
    std::vector<OutsideClickMonitor::Reason> seen;
    panel.show();
    other.show();
    auto monitor = std::make_unique<OutsideClickMonitor>(
        &panel, [&] { return iconArea; },
        [&](OutsideClickMonitor::Reason reason) { seen.push_back(reason); });

    QTest::mouseClick(inner, Qt::LeftButton);
    QTest::mouseClick(&other, Qt::RightButton);
    QVERIFY(seen.empty());

    // A menu the panel opened is part of it, wherever it sits on screen.
    QMenu menu(inner);
    menu.addAction(QStringLiteral("EUR"));
    menu.popup(QPoint(0, 300));
    QTest::mousePress(&menu, Qt::LeftButton);
    menu.close();
    QVERIFY(seen.empty());

    // A click on the tray icon is the icon's own business: it toggles the panel.
    iconArea = QRect(other.mapToGlobal(QPoint(0, 0)), other.size());
    QTest::mouseClick(&other, Qt::LeftButton);
    QVERIFY(seen.empty());

    iconArea = QRect();
    QTest::mouseClick(&other, Qt::LeftButton);
    QCOMPARE(seen, std::vector{OutsideClickMonitor::Reason::clickOutside});

    // The same rules for presses seen screen-wide, which carry no widget, only a place.
    seen.clear();
    monitor->pressedAt(inner->mapToGlobal(QPoint(5, 5)));
    iconArea = QRect(0, 0, 10, 10);
    monitor->pressedAt(QPoint(3, 3));
    QVERIFY(seen.empty());
    monitor->pressedAt(QPoint(1000, 700));
    QCOMPARE(seen, std::vector{OutsideClickMonitor::Reason::clickOutside});

    seen.clear();
    monitor.reset();
    QTest::mouseClick(&other, Qt::LeftButton);
    QVERIFY(seen.empty());
  }

  void anUnreachableDisplayLeavesTheClickWatcherInvalid() {
    X11ClickObserver observer(QStringLiteral(":4093"));
    QVERIFY(!observer.isValid());
    observer.start([](int) {});  // harmless: nothing to watch
    observer.stop();
  }

  // --- one Ovantic per session ------------------------------------------------------------------

  void aSecondLaunchHandsOverToTheFirstAndALeftoverSocketKeepsNoOneOut() {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString();
    SingleInstance first(path);
    // A socket file left by a run that crashed.
    QFile(QString::fromStdString(first.socketPath())).open(QIODevice::WriteOnly);
    QCOMPARE(first.claim(), SingleInstance::Claim::first);
    first.listen();
    QSignalSpy knocks(&first, &SingleInstance::activationRequested);

    SingleInstance second(path);
    QCOMPARE(second.claim(), SingleInstance::Claim::handedOver);
    QVERIFY(knocks.wait(5000));

    // --toggle and --quit ask for their own thing; a knock that says nothing still opens.
    QSignalSpy toggles(&first, &SingleInstance::toggleRequested);
    QSignalSpy quits(&first, &SingleInstance::quitRequested);
    QCOMPARE(SingleInstance(path).claim(SingleInstance::Request::toggle),
             SingleInstance::Claim::handedOver);
    QVERIFY(toggles.wait(5000));
    QCOMPARE(SingleInstance(path).claim(SingleInstance::Request::quit),
             SingleInstance::Claim::handedOver);
    QVERIFY(quits.wait(5000));

    // A connection that says nothing holds up no one, and a knock is whole or nothing: a letter
    // that comes late still toggles, one whose connection ends before the newline is nothing.
    const auto connected = [&] {
      const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::strncpy(address.sun_path, first.socketPath().c_str(), sizeof address.sun_path - 1);
      return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
    };
    const int mute = connected(), late = connected(), cut = connected();
    QVERIFY(mute >= 0 && late >= 0 && cut >= 0);
    QCOMPARE(SingleInstance(path).claim(SingleInstance::Request::toggle),
             SingleInstance::Claim::handedOver);
    QVERIFY(toggles.wait(5000));
    QCOMPARE(::send(cut, "t", 1, 0), 1);
    ::close(cut);
    QCOMPARE(::send(late, "t", 1, 0), 1);
    QTest::qWait(300);
    QCOMPARE(::send(late, "\n", 1, 0), 1);
    QVERIFY(toggles.wait(5000));
    QTest::qWait(SingleInstance::kKnockPatienceMs + 200);
    ::close(mute);
    ::close(late);
    QCOMPARE(knocks.count(), 1);
    QCOMPARE(toggles.count(), 3);
    QCOMPARE(quits.count(), 1);
  }

  // Whoever can write where the lock and socket live can keep Ovantic out or hear its knocks.
  void aDirectoryOrLockThatIsNotTheUsersAloneIsNotUsed_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("open to others") << "mode";
    QTest::newRow("a link to a private directory") << "dir link";
    QTest::newRow("another user's") << "owner";
    QTest::newRow("the lock a link") << "lock link";
  }

  void aDirectoryOrLockThatIsNotTheUsersAloneIsNotUsed() {
    QFETCH(QString, fault);
    QTemporaryDir base;
    const QString dir = base.path() + "/run";
    QVERIFY(QDir().mkdir(dir));
    QVERIFY(::chmod(dir.toUtf8().constData(), 0700) == 0);
    QString used = dir;
    const QString target = base.path() + "/target";
    if (fault == "mode") QVERIFY(::chmod(dir.toUtf8().constData(), 0755) == 0);
    if (fault == "dir link") {
      used = base.path() + "/link";
      QVERIFY(QFile::link(dir, used));
    }
    if (fault == "owner") {
      if (::getuid() != 0) QSKIP("giving a directory away needs root");
      QVERIFY(::chown(dir.toUtf8().constData(), 65534, 65534) == 0);
    }
    if (fault == "lock link") {
      QFile(target).open(QIODevice::WriteOnly);
      QVERIFY(QFile::link(target, dir + "/ovantic.lock"));
    }
    // The lock's name then carries no display.
    const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    SingleInstance instance(used.toStdString());
    const SingleInstance::Claim claim = instance.claim();
    if (!display.isEmpty()) qputenv("DISPLAY", display);
    if (!wayland.isEmpty()) qputenv("WAYLAND_DISPLAY", wayland);
    QCOMPARE(claim, SingleInstance::Claim::unguarded);
    QVERIFY(!instance.error().empty());
    QVERIFY(!QFile::exists(dir + "/ovantic.socket"));
  }

  // --- start at login -------------------------------------------------------------------------

  void startAtLoginFollowsTheAutostartRules_data() {
    QTest::addColumn<bool>("systemEntry");
    QTest::newRow("package's entry installed") << true;
    QTest::newRow("no system-wide entry") << false;
  }

  void startAtLoginFollowsTheAutostartRules() {
    QFETCH(bool, systemEntry);
    QTemporaryDir home, system;
    if (systemEntry) {
      QVERIFY(QDir(system.path()).mkpath("autostart"));
      QFile entry(system.path() + "/autostart/ovantic.desktop");
      QVERIFY(entry.open(QIODevice::WriteOnly));
      entry.write("[Desktop Entry]\nType=Application\nExec=ovantic\n");
    }
    // Every character the entry's format treats specially, and a newline that must not end the
    // key.
    const QString program = "/opt/my \"apps\"\n\\100% $HOME/ovantic";
    AutostartEntry autostart(home.path() + "/config", {"/nonexistent", system.path()}, program);
    const QString user = home.path() + "/config/autostart/ovantic.desktop";
    QCOMPARE(autostart.userEntryPath(), user);
    QCOMPARE(autostart.isEnabled(), systemEntry);

    QString error;
    QVERIFY(autostart.setEnabled(true, &error));
    QVERIFY(autostart.isEnabled());
    QFile written(user);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains(
        "Exec=\"/opt/my \\\\\"apps\\\\\"\\n\\\\\\\\100%% \\\\$HOME/ovantic\"\n"));
    written.close();
    QProcess validate;
    validate.start("desktop-file-validate", {user});
    QVERIFY(validate.waitForFinished());
    QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());

    QVERIFY(autostart.setEnabled(false, &error));
    QVERIFY(!autostart.isEnabled());
    // The package's entry is turned off by a hidden one of the user's; with none to hide, the
    // user's entry goes.
    QCOMPARE(QFile::exists(user), systemEntry);
    if (systemEntry) {
      QVERIFY(written.open(QIODevice::ReadOnly));
      QVERIFY(written.readAll().contains("Hidden=true\n"));
    }
  }

  // Only an entry of ours is read as one, written or removed; a link is written through by
  // no one, and the kept rates are not written through one either.
  void startAtLoginLeavesWhatIsNotItsOwnEntryAlone() {
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkpath("config/autostart"));
    const QString user = home.path() + "/config/autostart/ovantic.desktop";
    const QString target = home.path() + "/target";
    QFile(target).open(QIODevice::WriteOnly);
    AutostartEntry autostart(home.path() + "/config", {}, "ovantic");
    QString error;
    QVERIFY(QFile::link(target, user));
    QVERIFY(!autostart.setEnabled(true, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QFileInfo(target).size(), 0);
    QVERIFY(QFile::remove(user));

    QFile text(user);
    QVERIFY(text.open(QIODevice::WriteOnly));
    const QByteArray notes = "Exec=ovantic\nmy notes\n";
    text.write(notes);
    text.close();
    QVERIFY(!autostart.isEnabled());
    QVERIFY(!autostart.setEnabled(false, &error));
    QCOMPARE(QFileInfo(user).size(), notes.size());

    QtRateStore rates(home.path() + "/rates.json");
    QVERIFY(QFile::link(target, rates.path()));
    QVERIFY(!rates.save("{}"));
    QCOMPARE(QFileInfo(target).size(), 0);
  }

  void startAtLoginThatCannotBeWrittenSaysWhyAndChangesNothing() {
    QTemporaryDir home;
    QFile(home.path() + "/config").open(QIODevice::WriteOnly);  // a file where a folder must be
    AutostartEntry autostart(home.path() + "/config", {}, "ovantic");
    QString error;
    QVERIFY(!autostart.setEnabled(true, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!autostart.isEnabled());
  }

  void theMenuIsOnTheIconWhereTheTrayKeepsTheLeftClick_data() {
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<bool>("onIcon");
    QTest::newRow("XEmbed tray") << "" << true;
    QTest::newRow("Plasma") << "KDE" << true;
    QTest::newRow("GNOME with AppIndicator") << "ubuntu:GNOME" << false;
  }

  void theMenuIsOnTheIconWhereTheTrayKeepsTheLeftClick() {
    QFETCH(QString, desktop);
    QFETCH(bool, onIcon);
    qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
    withIcon();
    qunsetenv("XDG_CURRENT_DESKTOP");
    emit delegate->statusItem->contextMenuRequested(QPoint(40, 40));
    QCOMPARE(delegate->menu()->isVisible(), onIcon);
    delegate->menu()->hide();
    // The panel's own button shows it everywhere.
    delegate->showPopover();
    QVERIFY(delegate->popover->findChild<QWidget*>("menuButton")->isVisibleTo(delegate->popover));
    // About puts the panel away first: the box would take its keyboard anyway.
    delegate->menu()->aboutAction()->trigger();
    QVERIFY(!delegate->popover);
    auto* about = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()
                                                 ? QApplication::activeModalWidget()
                                                 : findTopLevel("aboutBox"));
    QVERIFY(about);
    QVERIFY(about->text().contains(QCoreApplication::applicationVersion()));
    QVERIFY(about->text().contains("rates.test"));
    about->close();
  }

  void aLockHolderThatDoesNotAnswerIsReportedAndAnUnusableDirRunsUnguarded() {
    QTemporaryDir dir;
    SingleInstance silent(dir.path().toStdString());
    QCOMPARE(silent.claim(), SingleInstance::Claim::first);
    QFile::remove(QString::fromStdString(silent.socketPath()));
    SingleInstance second(dir.path().toStdString());
    QCOMPARE(second.claim(), SingleInstance::Claim::unanswered);
    QVERIFY(!second.error().empty());

    SingleInstance nowhere("/nonexistent/ovantic");
    QCOMPARE(nowhere.claim(), SingleInstance::Claim::unguarded);
  }

  void theMonitorSeesThePanelHideOrLoseTheFocus() {
    QWidget toplevel;
    QWidget popup(nullptr, Qt::Popup);
    std::vector<OutsideClickMonitor::Reason> seen;
    const auto record = [&](OutsideClickMonitor::Reason reason) { seen.push_back(reason); };

    OutsideClickMonitor onToplevel(&toplevel, {}, record);
    toplevel.show();
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&toplevel, &deactivate);
    toplevel.hide();
    QCOMPARE(seen, (std::vector{OutsideClickMonitor::Reason::panelLostFocus,
                                OutsideClickMonitor::Reason::panelHidden}));

    // A popup never holds the focus in the first place, and an unmanaged X11 window loses it
    // to a mere pointer move under focus-follows-mouse; only their hiding counts.
    seen.clear();
    QWidget unmanaged(nullptr, Qt::Tool | Qt::X11BypassWindowManagerHint);
    OutsideClickMonitor onPopup(&popup, {}, record);
    OutsideClickMonitor onUnmanaged(&unmanaged, {}, record);
    QCoreApplication::sendEvent(&popup, &deactivate);
    QCoreApplication::sendEvent(&unmanaged, &deactivate);
    QVERIFY(std::count(seen.begin(), seen.end(), OutsideClickMonitor::Reason::panelLostFocus) == 0);
  }
};

}  // namespace ovantic

QTEST_MAIN(ovantic::ShellTest)
#include "shell_test.moc"
