// The frame around the converter: header, footer, size, keyboard, accessibility and appearance.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QUrl>

#include "desktop/portal/color_scheme_watcher.h"
#include "panel/all_conversions_view.h"
#include "panel/currency_picker.h"
#include "panel/focus_ring.h"
#include "panel/footer_view.h"
#include "panel/header_view.h"
#include "panel/panel_style.h"
#include "panel/symbol_button.h"
#include "panel/underline_on_hover.h"
#include "panel/visual_effect_view.h"
#include "panel/wrapping_label.h"
#include "panel_harness.h"

using namespace ovantic;
using namespace ovantic::panel_testing;

// Stands in for the desktop portal's Settings interface.
class FakePortal : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

 public:
  QVariant answer;

 public slots:
  QDBusVariant Read(const QString& group, const QString& key) {
    return QDBusVariant(
        group == "org.freedesktop.appearance" && key == "color-scheme" ? answer : QVariant());
  }
};

// A session bus of the test's own, with the portal on one connection and the app on another.
struct PrivateBus {
  PrivateBus() {
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address",
                                 "--address=unix:path=" + dir.filePath("bus")});
    if (daemon.waitForReadyRead(10000)) address = QString::fromUtf8(daemon.readLine()).trimmed();
    static int serial = 0;
    ++serial;
    app = QDBusConnection::connectToBus(address, QString("app%1").arg(serial));
    portal = QDBusConnection::connectToBus(address, QString("portal%1").arg(serial));
  }
  ~PrivateBus() {
    QDBusConnection::disconnectFromBus(app.name());
    QDBusConnection::disconnectFromBus(portal.name());
    daemon.kill();
    daemon.waitForFinished();
  }
  bool offer(FakePortal* fake) {
    return portal.registerObject("/org/freedesktop/portal/desktop", fake,
                                 QDBusConnection::ExportAllSlots) &&
           portal.registerService("org.freedesktop.portal.Desktop");
  }
  void announce(const QString& key, uint value) {
    QDBusMessage changed = QDBusMessage::createSignal(
        "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Settings", "SettingChanged");
    changed << QString("org.freedesktop.appearance") << key
            << QVariant::fromValue(QDBusVariant(QVariant(value)));
    portal.send(changed);
  }

  QTemporaryDir dir;
  QProcess daemon;
  QString address;
  QDBusConnection app{QString()};
  QDBusConnection portal{QString()};
};

QVariant wrapped(const QVariant& value) {
  return QVariant::fromValue(QDBusVariant(value));
}

// Receives the URLs the panel asks the desktop to open.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

class PanelChromeTest : public QObject {
  Q_OBJECT

 public slots:
  void ignoreUrl(const QUrl&) {}

 private slots:
  void headerShowsTheShippedIcon() {
    PanelHarness h;
    auto* header = h.find<HeaderView>("headerView");
    QVERIFY(header->appIcon() != nullptr);
    auto* title = header->findChild<QLabel*>("titleLabel");
    auto* tagline = header->findChild<QLabel*>("taglineLabel");
    // The icon stands as tall as the title's letters beside it; the title outweighs the tagline.
    QCOMPARE(header->appIcon()->height(), title->font().pixelSize());
    QVERIFY(title->font().weight() > tagline->font().weight());
  }

  // Where the icon theme has a reload symbol, refresh shows it, tinted, instead of the drawn arrow
  // (whose centre is empty).
  void refreshShowsTheThemesSymbol() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("probe/16x16/actions");
    QFile index(dir.filePath("probe/index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write(
        "[Icon Theme]\nName=probe\nDirectories=16x16/actions\n"
        "[16x16/actions]\nSize=16\n");
    index.close();
    QImage square(16, 16, QImage::Format_ARGB32);
    square.fill(Qt::black);
    QVERIFY(square.save(dir.filePath("probe/16x16/actions/view-refresh.png")));
    SymbolButton drawn(SymbolButton::Symbol::arrowClockwise, 14, false);
    const QStringList paths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    QIcon::setThemeSearchPaths({dir.path()});
    QIcon::setThemeName("probe");
    SymbolButton themed(SymbolButton::Symbol::arrowClockwise, 14, false);
    for (SymbolButton* button : {&themed, &drawn}) {
      button->setSymbolColor(Qt::red);
      button->resize(button->sizeHint());
    }
    const QColor themedCentre = themed.grab().toImage().pixelColor(7, 7);
    const QColor drawnCentre = drawn.grab().toImage().pixelColor(7, 7);
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(theme);
    QCOMPARE(themedCentre, QColor(Qt::red));
    QVERIFY(drawnCentre != QColor(Qt::red));
  }

  void headerWithoutIconStartsWithTheTitle() {
    HeaderView header(QStringLiteral(":/no/such/appicon.png"));
    header.show();
    QVERIFY(header.appIcon() == nullptr);
    auto* title = header.findChild<QLabel*>("titleLabel");
    const QList<QLabel*> labels = header.findChildren<QLabel*>();
    for (const QLabel* label : labels) {
      if (label->isVisible() && label != title) QVERIFY(label->x() >= title->x());
    }
    QCOMPARE(title->x(), header.contentsRect().x());
  }

  void pickerWithoutAFlagShowsTheCodeAlone() {
    CurrencyPicker picker(QStringLiteral("Source currency"));
    picker.setCurrency(QStringLiteral("INR"));
    const int withFlag = picker.sizeHint().width();
    picker.setCurrency(QStringLiteral("INX"));  // a code the catalogue has no flag for
    QVERIFY(picker.sizeHint().width() < withFlag);
    QCOMPARE(picker.text(), QString("INX"));
    QCOMPARE(picker.accessibleName(), QString("Source currency: INX"));
    picker.resize(picker.sizeHint());
    QVERIFY(!picker.grab().isNull());  // paints without a flag
  }

  void backdropIsTranslucentOnlyWhereTheWindowIs() {
    PanelHarness h;
    auto* backdrop = h.find<VisualEffectView>("visualEffectView");
    QVERIFY(!backdrop->isTranslucent());
    // A 1-pixel edge sets the panel off from a window of its own tone behind it.
    h.panel->resize(320, 400);
    const QImage drawn = h.panel->grab().toImage();
    QCOMPARE(drawn.pixel(0, 200), style::separator(h.panel->palette()).rgb());
    QCOMPARE(drawn.pixel(319, 399), style::separator(h.panel->palette()).rgb());
    h.panel->setAttribute(Qt::WA_TranslucentBackground);
    QVERIFY(backdrop->isTranslucent());
    h.panel->show();
    QCOMPARE(backdrop->geometry(), h.panel->rect());
  }

  // Under a Hindi translation nothing the panel shows, says or tips is left in English: every
  // text with a word in it has Devanagari, but for names and codes.
  void everyWordOfThePanelIsTranslated() {
    QTranslator hindi;
    QVERIFY(hindi.load(QStringLiteral(":/ovantic/i18n/ovantic_hi.qm")));
    QCoreApplication::installTranslator(&hindi);
    PanelHarness h;
    h.model->amountText = "abc";
    h.stateChanged();
    h.panel->show();
    QStringList english;
    const auto check = [&](const QString& text) {
      static const QRegularExpression word(QStringLiteral("[a-z]{2,}"));
      static const QRegularExpression devanagari(QStringLiteral("[\\x{0900}-\\x{097F}]"));
      QString rest = text;
      rest.remove(authorName).remove(QStringLiteral("Ovantic"));
      if (rest.contains(word) && !rest.contains(devanagari)) english << text;
    };
    for (const QWidget* widget : h.panel->findChildren<QWidget*>()) {
      if (const auto* label = qobject_cast<const QLabel*>(widget)) check(label->text());
      check(widget->toolTip());
      check(widget->accessibleName());
      check(widget->accessibleDescription());
    }
    QCoreApplication::removeTranslator(&hindi);
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(" | "))));
  }

  void panelIs320WideAndLongTextsWrap() {
    PanelHarness h;
    h.panel->show();
    QCOMPARE(h.panel->width(), 320);
    auto* rate = h.find<QLabel>("lastUpdatedLabel");
    h.model->lastUpdatedText = "x";
    h.stateChanged();
    const int oneLine = rate->height();
    h.model->lastUpdatedText =
        std::string(40, 'x') + " " + std::string(40, 'y') + " " + std::string(40, 'z');
    h.stateChanged();
    h.panel->adjustSize();
    QCOMPARE(h.panel->width(), 320);
    QVERIFY(rate->height() > oneLine);
    QVERIFY(rate->geometry().right() < 320);
  }

  void hugeResultsKeepEveryDigit_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("held");  // whether a double holds it to the paisa
    QTest::newRow("largest held") << "99,999,999,999" << true;
    QTest::newRow("thirty digits") << "123456789012345678901234567890" << false;
    QTest::newRow("1e300") << "1e300" << false;
  }

  // The result and every list value show all their characters, in lines that fit the panel; an
  // amount with more digits than are known is Invalid, with no made-up digits anywhere.
  void hugeResultsKeepEveryDigit() {
    QFETCH(QString, amount);
    QFETCH(bool, held);
    PanelHarness h;
    h.showWithRates();
    h.replaceAmount(amount);
    // As the popup sizes it: its preferred size, with no cap from the small offscreen screen.
    // A nested layout passes a new height up one level per turn of the event loop.
    for (int turn = 0; turn < 10 && h.panel->size() != h.panel->sizeHint(); ++turn) {
      h.panel->resize(h.panel->sizeHint());
      QCoreApplication::processEvents();
    }
    QCOMPARE(h.panel->width(), 320);
    auto* list = h.find<AllConversionsView>("allConversionsView");
    QList<WrappingLabel*> labels{qobject_cast<WrappingLabel*>(h.resultLabel())};
    for (int i = 0; i < list->lineCount(); ++i) labels.append(list->valueLabel(i));
    QCOMPARE(list->isVisible(), held);
    if (!held) QCOMPARE(h.resultLabel()->text(), QString("Invalid"));
    for (const WrappingLabel* label : labels) {
      const QStringList lines = label->lines();
      QCOMPARE(lines.join(QString()), label->text());
      for (const QString& line : lines) {
        QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= label->width(), qPrintable(line));
      }
      QVERIFY(label->height() >= label->heightForWidth(label->width()));
      const QRect onPanel(label->mapTo(h.panel.get(), QPoint(0, 0)), label->size());
      QVERIFY(QRect(16, 0, 288, h.panel->height()).contains(onPanel));
    }
  }

  void escapeRequestsClose() {
    PanelHarness h;
    h.panel->show();
    QSignalSpy spy(h.panel.get(), &ConverterPanel::closeRequested);
    QTest::keyClick(h.amountField(), Qt::Key_Escape);
    QCOMPARE(spy.count(), 1);
  }

  void amountFieldHasFocusWithItsTextSelected() {
    PanelHarness h;
    h.panel->show();
    QVERIFY(QTest::qWaitForWindowActive(h.panel.get()));
    QCOMPARE(QApplication::focusWidget(), h.amountField());
    QCOMPARE(h.amountField()->selectedText(), QString("1"));
  }

  void tabReachesEveryControl() {
    PanelHarness h;
    h.showWithRates();
    QVERIFY(QTest::qWaitForWindowActive(h.panel.get()));
    h.type("2.5 cr");  // brings the list lines
    QStringList order;
    auto* ring = h.find<FocusRing>("focusRing");
    for (int i = 0; i < 20; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focused = QApplication::focusWidget();
      const QString name = focused->objectName();
      if (name == "amountField") break;
      // The ring shows around every control, its 2-pixel stroke clear of the control itself.
      QCOMPARE(ring->ringedControl(), focused);
      const QRect control(focused->mapTo(h.panel.get(), QPoint(0, 0)), focused->size());
      QVERIFY2(ring->ringRect().adjusted(2, 2, -2, -2).contains(control), qPrintable(name));
      // A line of text has no padding of its own: the stroke keeps two pixels off its glyphs.
      if (qobject_cast<QLabel*>(focused)) {
        QVERIFY2(ring->ringRect().adjusted(4, 4, -4, -4).contains(control), qPrintable(name));
      }
      order.append(name.startsWith("conversionLine_") ? QString("line") : name);
    }
    order.removeDuplicates();
    // Reading order from the amount field round to it again.
    QCOMPARE(order, (QStringList{"swapButton", "toCurrencyPicker", "resultArea", "exactLine",
                                 "line", "rateLabel", "lastUpdatedLabel", "creditLink",
                                 "refreshButton", "fromCurrencyPicker"}));
  }

  void clicksLeaveTypingInTheAmountField_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("refresh") << "refreshButton" << false;
    QTest::newRow("swap") << "swapButton" << false;
    QTest::newRow("result") << "resultArea" << false;
    QTest::newRow("list line") << "conversionLine_crore" << false;
    QTest::newRow("credit link") << "creditLink" << false;
    // Refresh turns disabled while it fetches; Qt would pass its focus on to the next control.
    QTest::newRow("refresh by keyboard") << "refreshButton" << true;
  }

  // Even a control the keyboard had focused gives the focus back to the field when clicked.
  void clicksLeaveTypingInTheAmountField() {
    QFETCH(QString, control);
    QFETCH(bool, byKeyboard);
    PanelHarness h;
    h.showWithRates();
    QVERIFY(QTest::qWaitForWindowActive(h.panel.get()));
    h.replaceAmount("2.5 cr");
    QWidget* target = h.widget(qPrintable(control));
    target->setFocus(Qt::TabFocusReason);
    QDesktopServices::setUrlHandler("https", this, "ignoreUrl");
    if (byKeyboard) {
      QTest::keyClick(target, Qt::Key_Space);
    } else {
      QTest::mouseClick(target, Qt::LeftButton);
    }
    QDesktopServices::unsetUrlHandler("https");
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), h.amountField());
    QVERIFY(h.find<FocusRing>("focusRing")->ringedControl() == nullptr);
    h.amountField()->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), "7");
    QCOMPARE(h.amountField()->text(), QString("7"));
  }

  void everyControlHasAnAccessibleName() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    int controls = 0;
    for (QWidget* child : h.panel->findChildren<QWidget*>()) {
      if (!child->isVisible() || child->focusPolicy() == Qt::NoFocus) continue;
      ++controls;
      QVERIFY2(!child->accessibleName().isEmpty(), qPrintable(child->objectName()));
    }
    QVERIFY(controls >= 9);  // the seven above and at least two list lines
  }

  void creditLinkUnderlinesOnHoverAndOpensThePage() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");  // brings the list lines
    auto* link = h.find<LinkLabel>("creditLink");
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    // The pointing hand is the link's alone; the field keeps its text cursor.
    for (const QWidget* child : h.panel->findChildren<QWidget*>()) {
      if (child == link || link->isAncestorOf(child) || child == h.amountField()) continue;
      QVERIFY2(child->cursor().shape() == Qt::ArrowCursor, qPrintable(child->objectName()));
    }
    QVERIFY(!link->underline()->isHovered());

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(link, &enter);
    auto* line = link->findChild<QWidget*>("hoverUnderline");
    QVERIFY(link->underline()->isHovered());
    QVERIFY(line->isVisible());
    QCOMPARE(line->height(), 1);
    QCOMPARE(line->width(), link->width());
    QCOMPARE(line->geometry().bottom(), link->height() - 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    QVERIFY(!link->underline()->isHovered());
    QVERIFY(!line->isVisible());

    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(recorder.opened, QList<QUrl>{QUrl(authorPage)});
  }

  void followsTheDesktopPalette() {
    PanelHarness h;
    h.showWithRates();
    const QPalette original = QApplication::palette();
    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(40, 40, 40));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(QPalette::Base, QColor(28, 28, 28));
    dark.setColor(QPalette::Text, QColor(235, 235, 235));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();

    const QColor result = h.resultLabel()->palette().color(QPalette::WindowText);
    const QColor tagline = h.find<QLabel>("taglineLabel")->palette().color(QPalette::WindowText);
    QApplication::setPalette(original);

    QCOMPARE(result, QColor(235, 235, 235));
    // Secondary text sits between the text and the window tones.
    QVERIFY(tagline.lightness() < 235 && tagline.lightness() > 40);
    QVERIFY(style::isDark(dark));
    QVERIFY(!style::isDark(original));
  }

  void startsInTheDesktopsColorScheme_data() {
    QTest::addColumn<bool>("qtDark");
    QTest::addColumn<bool>("portalRuns");
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<bool>("expectDark");
    const QVariant dark = wrapped(QVariant(1u));
    QTest::newRow("dark asked, Qt light") << false << true << dark << true;
    QTest::newRow("dark asked, Qt dark") << true << true << dark << true;
    QTest::newRow("light asked, Qt dark") << true << true << wrapped(QVariant(2u)) << false;
    QTest::newRow("no preference keeps Qt's") << true << true << wrapped(QVariant(0u)) << true;
    QTest::newRow("answered once wrapped") << false << true << QVariant(1u) << true;
    QTest::newRow("not a number") << false << true << wrapped(QVariant("dark")) << false;
    QTest::newRow("no portal") << false << false << QVariant() << false;
  }

  void startsInTheDesktopsColorScheme() {
    QFETCH(bool, qtDark);
    QFETCH(bool, portalRuns);
    QFETCH(QVariant, answer);
    QFETCH(bool, expectDark);
    PrivateBus bus;
    QVERIFY2(bus.app.isConnected(), "dbus-daemon did not start");
    FakePortal portal;
    portal.answer = answer;
    if (portalRuns) QVERIFY(bus.offer(&portal));
    const QPalette original = QApplication::palette();
    if (qtDark) QApplication::setPalette(style::darkPalette());
    {
      ColorSchemeWatcher watcher(style::darkPalette(), bus.app);
      QSignalSpy read(&watcher, &ColorSchemeWatcher::initialReadDone);
      QVERIFY(read.wait());
      QCOMPARE(style::isDark(QApplication::palette()), expectDark);
    }
    QCOMPARE(style::isDark(QApplication::palette()), qtDark);  // Qt's palette back
    QApplication::setPalette(original);
  }

  void followsColorSchemeChangesWhileOpen() {
    PrivateBus bus;
    FakePortal portal;
    portal.answer = wrapped(QVariant(0u));
    QVERIFY(bus.offer(&portal));
    PanelHarness h;
    h.showWithRates();
    ColorSchemeWatcher watcher(style::darkPalette(), bus.app);
    QSignalSpy read(&watcher, &ColorSchemeWatcher::initialReadDone);
    QVERIFY(read.wait());
    const auto resultText = [&h] { return h.resultLabel()->palette().color(QPalette::WindowText); };
    QVERIFY(!style::isDark(QApplication::palette()));
    const QColor light = resultText();

    // The widgets take a palette change a few event-loop turns after the application does (more
    // of them on newer Qt), so what is waited for is the label's own colour.
    bus.announce("color-scheme", 1);
    QVERIFY(QTest::qWaitFor([&] { return resultText().lightness() > light.lightness(); }));
    QVERIFY(style::isDark(QApplication::palette()));
    bus.announce("color-scheme", 0);
    QVERIFY(QTest::qWaitFor([&] { return resultText() == light; }));
    QVERIFY(!style::isDark(QApplication::palette()));
  }

  void smallTextsReadOnBothAppearances_data() {
    QTest::addColumn<QPalette>("palette");
    QPalette light = QApplication::palette();
    light.setColor(QPalette::Window, QColor(239, 239, 239));
    light.setColor(QPalette::WindowText, Qt::black);
    light.setColor(QPalette::Base, Qt::white);
    QTest::newRow("light") << light;
    QTest::newRow("dark") << style::darkPalette();
  }

  // Each footer line and "Copied!" at 4.5:1 at least on what is behind it; the accents stay
  // apart from the panel's tone.
  void smallTextsReadOnBothAppearances() {
    QFETCH(QPalette, palette);
    PanelHarness h;
    h.panel->setPalette(palette);
    h.showWithRates();
    h.type("2.5 cr");
    QTest::mouseClick(h.widget("resultArea"), Qt::LeftButton);
    const QColor window = palette.color(QPalette::Window);
    const QColor card = style::controlBackground(palette);
    const std::vector<std::pair<const char*, QColor>> texts = {{"rateLabel", window},
                                                               {"lastUpdatedLabel", window},
                                                               {"creditLabel", window},
                                                               {"creditLink", window},
                                                               {"resultLabel", card}};
    for (const auto& [name, background] : texts) {
      const QColor ink = h.find<QWidget>(name)->palette().color(QPalette::WindowText);
      QVERIFY2(style::contrast(ink, background) >= 4.5,
               qPrintable(QString("%1: %2").arg(name).arg(style::contrast(ink, background))));
    }
    for (const QColor& accent : {style::green(palette), style::blue(palette)}) {
      QVERIFY2(qAbs(accent.lightness() - window.lightness()) > 60, qPrintable(accent.name()));
    }
  }
};

QTEST_MAIN(PanelChromeTest)
#include "panel_chrome_test.moc"
