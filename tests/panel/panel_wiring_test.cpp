// How the panel turns user actions into converter state and back into what it shows.
#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "panel/all_conversions_view.h"
#include "panel/currency_picker.h"
#include "panel/currency_popup.h"
#include "panel/panel_style.h"
#include "panel/rounded_card.h"
#include "panel/symbol_button.h"
#include "panel_harness.h"

using namespace ovantic;
using namespace ovantic::panel_testing;

namespace {

// Opens the picker with a click, as a user would, types `keys` into its search field and sends
// the final key.
CurrencyPopup* searchAndPress(CurrencyPicker* picker, const QString& keys, Qt::Key last) {
  QTest::mouseClick(picker, Qt::LeftButton);
  CurrencyPopup* popup = picker->popup();
  QTest::keyClicks(popup->searchField(), keys);
  QTest::keyClick(popup->searchField(), last);
  return popup;
}

void pick(CurrencyPicker* picker, const QString& code) {
  searchAndPress(picker, code, Qt::Key_Return);
}

}  // namespace

class PanelWiringTest : public QObject {
  Q_OBJECT

 private slots:
  void showingFetchesOnceAndConvertsNothing() {
    PanelHarness h;
    h.model->exchangeRates = kRates;
    h.panel->show();
    h.panel->hide();
    h.panel->show();
    QCOMPARE(h.http->requests.size(), 1u);
    QCOMPARE(h.model->resultText, std::string("---"));
    QCOMPARE(h.resultLabel()->text(), QString("---"));
    QCOMPARE(h.find<QLabel>("rateLabel")->text(), QString("Fetching rates..."));
  }

  void typingScaleWordShowsBadgeAndConverts() {
    PanelHarness h;
    h.showWithRates();
    auto* badge = h.widget("unitBadge");
    QVERIFY(!badge->isVisible());

    h.type("2.5 cr");  // replaces the selected "1"

    QCOMPARE(h.model->amountText, std::string("2.5 cr"));
    QVERIFY(badge->isVisible());
    QCOMPARE(h.find<QLabel>("unitBadgeLabel")->text(), QString("Cr"));
    QCOMPARE(h.model->resultText, kIndiaFlag + " 207.5 Cr");
    QCOMPARE(h.resultLabel()->text(), qs(h.model->resultText));

    for (int i = 0; i < 3; ++i) QTest::keyClick(h.amountField(), Qt::Key_Backspace);
    QCOMPARE(h.model->amountText, std::string("2.5"));
    QVERIFY(!badge->isVisible());
    QCOMPARE(h.model->detectedFromUnit, UnitType(UnitType::none));
  }

  void badgeReadsTheTextAsTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("badge");  // empty: hidden
    QTest::newRow("lakh word") << "45 lakh"
                               << "L";
    QTest::newRow("unit before number") << "k 12"
                                        << "K";
    QTest::newRow("grouping commas keep the unit") << "25,000 k"
                                                   << "K";
    QTest::newRow("largest scale of a compound") << "2 cr + 50 l"
                                                 << "Cr";
    QTest::newRow("plain number") << "1234"
                                  << "";
    QTest::newRow("not an amount") << "abc"
                                   << "";
  }

  void badgeReadsTheTextAsTyped() {
    QFETCH(QString, typed);
    QFETCH(QString, badge);
    PanelHarness h;
    h.showWithRates();
    h.type(typed);
    QCOMPARE(h.widget("unitBadge")->isVisible(), !badge.isEmpty());
    if (!badge.isEmpty()) QCOMPARE(h.find<QLabel>("unitBadgeLabel")->text(), badge);
  }

  void commaGroupedAmountStillConverts() {
    PanelHarness h;
    h.showWithRates();
    h.type("25,000 k");
    // 25,000 thousand dollars at 83 rupees each.
    QCOMPARE(h.model->resultText, kIndiaFlag + " 207.5 Cr");
  }

  void clearedFieldShowsPlaceholderAndHidesList() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    auto* list = h.widget("allConversionsView");
    QVERIFY(list->isVisible());
    QVERIFY(h.widget("allUnitsHeading")->isVisible());

    h.replaceAmount("");

    QCOMPARE(h.resultLabel()->text(), QString("---"));
    QVERIFY(!list->isVisible());
    QVERIFY(!h.widget("allUnitsHeading")->isVisible());
    QCOMPARE(h.amountField()->placeholderText(), QString("0"));
  }

  void noListBeforeTheFirstConversion() {
    PanelHarness h;
    h.panel->show();
    QVERIFY(h.model->allConversions.empty());
    QVERIFY(!h.widget("allConversionsView")->isVisible());
    QVERIFY(!h.widget("allUnitsHeading")->isVisible());
  }

  void listShowsOneLinePerEntryInOrder() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    auto* list = h.find<AllConversionsView>("allConversionsView");
    QCOMPARE(static_cast<std::size_t>(list->lineCount()), h.model->allConversions.size());
    for (int i = 0; i < list->lineCount(); ++i) {
      const auto& entry = h.model->allConversions[static_cast<std::size_t>(i)];
      QCOMPARE(list->valueLabel(i)->text(),
               qs(h.model->formatConversionValue(entry.value, entry.unit)));
      // The flag shows as a picture before the words of the label.
      const QLabel* flag = list->line(i)->findChild<QLabel*>("conversionFlag");
      // At least as tall as the capitals of the line's letters.
      QVERIFY(flag->pixmap().deviceIndependentSize().height() >=
              QFontMetrics(style::systemFont(11, QFont::Medium)).capHeight());
      QCOMPARE(flag->property("flag").toString() + " " +
                   list->line(i)->findChild<QLabel*>("conversionLabel")->text(),
               qs(entry.label));
    }
  }

  void pickersWriteOnlyTheirOwnField_data() {
    QTest::addColumn<QString>("picker");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("source") << "fromCurrencyPicker"
                            << "EUR"
                            << "EUR"
                            << "INR";
    QTest::newRow("target") << "toCurrencyPicker"
                            << "GBP"
                            << "USD"
                            << "GBP";
    QTest::newRow("same code in both rows") << "toCurrencyPicker"
                                            << "USD"
                                            << "USD"
                                            << "USD";
  }

  void pickersWriteOnlyTheirOwnField() {
    QFETCH(QString, picker);
    QFETCH(QString, code);
    QFETCH(QString, from);
    QFETCH(QString, to);
    PanelHarness h;
    h.showWithRates();
    h.type("100");
    const std::string before = h.model->resultText;
    auto* chosen = h.find<CurrencyPicker>(picker.toLatin1().constData());

    pick(chosen, code);

    QCOMPARE(qs(h.model->fromCurrency), from);
    QCOMPARE(qs(h.model->toCurrency), to);
    QCOMPARE(chosen->currency(), code);
    QVERIFY(h.model->resultText != before);
    QCOMPARE(h.resultLabel()->text(), qs(h.model->resultText));
  }

  void pickingTheShownCurrencyConvertsNothing_data() {
    QTest::addColumn<QString>("picker");
    QTest::addColumn<QString>("code");
    QTest::newRow("source") << "fromCurrencyPicker"
                            << "USD";
    QTest::newRow("target") << "toCurrencyPicker"
                            << "INR";
  }

  void pickingTheShownCurrencyConvertsNothing() {
    QFETCH(QString, picker);
    QFETCH(QString, code);
    PanelHarness h;
    h.showWithRates();
    // A result no conversion would write: any convert() would overwrite it.
    h.model->resultText = "untouched";
    h.model->rateText = "untouched rate";

    pick(h.find<CurrencyPicker>(picker.toLatin1().constData()), code);

    QCOMPARE(h.model->resultText, std::string("untouched"));
    QCOMPARE(h.model->rateText, std::string("untouched rate"));
    QCOMPARE(h.model->fromCurrency, std::string("USD"));
    QCOMPARE(h.model->toCurrency, std::string("INR"));
  }

  void pickerListsTheOfferedCurrenciesNamedWithTheCurrentMarked() {
    PanelHarness h;
    h.showWithRates();
    h.model->exchangeRates.insert({{"AED", 3.67}, {"NPR", 133.0}, {"XAF", 600.0}});
    auto* picker = h.find<CurrencyPicker>("toCurrencyPicker");
    QTest::mouseClick(picker, Qt::LeftButton);
    CurrencyPopup* popup = picker->popup();
    QVERIFY(popup->isVisible());
    QStringList offered;
    for (const std::string& code : h.model->offeredCurrencies()) offered << qs(code);
    QCOMPARE(popup->shownCodes(), offered);
    QCOMPARE(popup->highlightedCode(), QString("INR"));

    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(popup->list());
    QVERIFY(list);
    int checked = 0;
    for (int i = 0; i < list->childCount(); ++i) {
      QAccessibleInterface* entry = list->child(i);
      const QString name = entry->text(QAccessible::Name);
      if (name.startsWith("AED")) QCOMPARE(name, QString("AED, United Arab Emirates Dirham"));
      if (entry->state().checked) {
        ++checked;
        QCOMPARE(name, QString("INR, Indian Rupee, current"));
      }
    }
    QCOMPARE(checked, 1);
    QVERIFY(!popup->list()->grab().isNull());  // paints rows with flags and without (XAF)
  }

  void searchAndKeysPickOrLeaveTheChoice_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("downs");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("from");  // after the keys
    QTest::addColumn<bool>("open");     // the list still open
    QTest::newRow("name") << "dirham" << 0 << int(Qt::Key_Return) << "AED" << false;
    QTest::newRow("code in any case") << "aED" << 0 << int(Qt::Key_Enter) << "AED" << false;
    QTest::newRow("country") << "emirates" << 0 << int(Qt::Key_Return) << "AED" << false;
    QTest::newRow("down to the second rupee")
        << "rupee" << 1 << int(Qt::Key_Return) << "NPR" << false;
    QTest::newRow("down stops at the last")
        << "rupee" << 9 << int(Qt::Key_Return) << "LKR" << false;
    QTest::newRow("up stops at the first")
        << "rupee" << -3 << int(Qt::Key_Return) << "INR" << false;
    QTest::newRow("escape leaves the choice")
        << "dirham" << 1 << int(Qt::Key_Escape) << "USD" << false;
    QTest::newRow("nothing matches") << "zzz" << 0 << int(Qt::Key_Return) << "USD" << true;
  }

  void searchAndKeysPickOrLeaveTheChoice() {
    QFETCH(QString, keys);
    QFETCH(int, downs);
    QFETCH(int, last);
    QFETCH(QString, from);
    QFETCH(bool, open);
    PanelHarness h;
    h.showWithRates();
    h.model->exchangeRates.insert({{"AED", 3.67}, {"NPR", 133.0}, {"LKR", 300.0}});
    QSignalSpy closing(h.panel.get(), &ConverterPanel::closeRequested);
    auto* picker = h.find<CurrencyPicker>("fromCurrencyPicker");
    QTest::mouseClick(picker, Qt::LeftButton);
    QLineEdit* search = picker->popup()->searchField();
    QTest::keyClicks(search, keys);
    for (int i = 0; i < std::abs(downs); ++i) {
      QTest::keyClick(search, downs > 0 ? Qt::Key_Down : Qt::Key_Up);
    }
    QTest::keyClick(search, static_cast<Qt::Key>(last));

    QCOMPARE(qs(h.model->fromCurrency), from);
    QCOMPARE(picker->currency(), from);
    QCOMPARE(picker->popup()->isVisible(), open);
    if (open) QVERIFY(picker->popup()->findChild<QWidget*>("nothingFound")->isVisible());
    QCOMPARE(closing.count(), 0);  // Escape takes the list away, not the panel
  }

  void reopenedListIsFreshWithTheRecentAfterTheTen() {
    PanelHarness h;
    h.showWithRates();
    h.model->exchangeRates.insert({{"AED", 3.67}, {"BHD", 0.38}});
    auto* picker = h.find<CurrencyPicker>("fromCurrencyPicker");
    pick(picker, "bahrain");
    QCOMPARE(h.model->fromCurrency, std::string("BHD"));
    QTest::mouseClick(picker, Qt::LeftButton);
    CurrencyPopup* popup = picker->popup();
    QCOMPARE(popup->searchField()->text(), QString());
    const QRect panel(h.panel->mapToGlobal(QPoint(0, 0)), h.panel->size());
    QVERIFY(panel.left() < popup->x() && popup->geometry().right() < panel.right());
    QCOMPARE(popup->shownCodes().at(10), QString("BHD"));
    QCOMPARE(popup->highlightedCode(), QString("BHD"));
    // The search text starts in line with the flags of the rows, not against the field's edge.
    const QLineEdit* search = popup->searchField();
    const int caretX =
        search->mapTo(popup, search->inputMethodQuery(Qt::ImCursorRectangle).toRect().center()).x();
    const QRect firstRow = popup->list()->visualRect(popup->list()->model()->index(0, 0));
    const int flagX = popup->list()->viewport()->mapTo(popup, firstRow.topLeft()).x() + 8;
    QVERIFY2(std::abs(caretX - flagX) <= 2,
             qPrintable(QStringLiteral("caret %1 flag %2").arg(caretX).arg(flagX)));
    QTest::keyClick(popup->searchField(), Qt::Key_Escape);
  }

  void swapExchangesCurrenciesAndCarriesTheResult() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    const std::string result = h.model->resultText;

    QTest::mouseClick(h.widget("swapButton"), Qt::LeftButton);

    QCOMPARE(h.model->fromCurrency, std::string("INR"));
    QCOMPARE(h.model->toCurrency, std::string("USD"));
    QCOMPARE(h.find<CurrencyPicker>("fromCurrencyPicker")->currency(), QString("INR"));
    QCOMPARE(h.find<CurrencyPicker>("toCurrencyPicker")->currency(), QString("USD"));
    // The field shows the amount the swap wrote, and the badge follows it as if it were typed.
    QVERIFY(h.model->amountText != "2.5 cr");
    QCOMPARE(h.amountField()->text(), qs(h.model->amountText));
    const auto detected = UnitType::detect(h.model->amountText);
    const UnitType expected = detected ? detected->unit : UnitType(UnitType::none);
    QCOMPARE(h.model->detectedFromUnit, expected);
    QCOMPARE(h.widget("unitBadge")->isVisible(), expected != UnitType::none);
    QVERIFY(h.model->resultText != result);
    QCOMPARE(h.resultLabel()->text(), qs(h.model->resultText));
  }

  void typingKeepsTheCursorInTheField() {
    PanelHarness h;
    h.showWithRates();
    h.type("12");
    QTest::keyClick(h.amountField(), Qt::Key_Left);
    h.type("3");
    QCOMPARE(h.amountField()->text(), QString("132"));
    QCOMPARE(h.model->amountText, std::string("132"));
    QCOMPARE(h.amountField()->cursorPosition(), 2);
  }

  void refreshIsDisabledWhileFetching_data() {
    QTest::addColumn<bool>("hasBody");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("transportError");
    QTest::addColumn<QString>("rateText");
    QTest::newRow("rates") << true << QString(kGoodReply) << false << "";
    QTest::newRow("transport failure") << false << "" << true << "Failed to load rates";
    QTest::newRow("no body") << false << "" << false << "Failed to load rates";
    QTest::newRow("not JSON") << true << "<html>" << false << "Error loading rates";
    QTest::newRow("wrong shape") << true << R"({"rates":[1,2]})" << false
                                 << "Failed to parse rates";
  }

  void refreshIsDisabledWhileFetching() {
    QFETCH(bool, hasBody);
    QFETCH(QString, body);
    QFETCH(bool, transportError);
    QFETCH(QString, rateText);
    PanelHarness h;
    auto* refresh = h.find<SymbolButton>("refreshButton");
    QVERIFY(refresh->isEnabled());
    h.panel->show();
    QVERIFY(!refresh->isEnabled());
    // A click on the disabled button starts nothing.
    QTest::mouseClick(refresh, Qt::LeftButton);
    QCOMPARE(h.http->requests.size(), 1u);

    HttpClient::Reply reply;
    if (hasBody) reply.body = body.toStdString();
    if (transportError) reply.error = "connection refused";
    h.http->answer(0, reply);
    QVERIFY(!refresh->isEnabled());  // The outcome is applied on the main queue.
    h.queue->drain();

    QVERIFY(refresh->isEnabled());
    if (!rateText.isEmpty()) QCOMPARE(h.find<QLabel>("rateLabel")->text(), rateText);
    QCOMPARE(h.find<QLabel>("rateLabel")->text(), qs(h.model->rateText));
    QCOMPARE(h.find<QLabel>("lastUpdatedLabel")->text(), qs(h.model->lastUpdatedText));

    QTest::mouseClick(refresh, Qt::LeftButton);
    QCOMPARE(h.http->requests.size(), 2u);
    QVERIFY(!refresh->isEnabled());
  }

  // F5 and Ctrl+R refresh from wherever the keyboard is, leave it there, and start nothing while
  // a fetch runs.
  void refreshKeysKeepTheFocus() {
    PanelHarness h;
    h.showWithRates();
    QVERIFY(QTest::qWaitForWindowActive(h.panel.get()));
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)}) {
      const std::size_t before = h.http->requests.size();
      QTest::keySequence(h.amountField(), keys);
      QTest::keySequence(h.amountField(), keys);
      QCOMPARE(h.http->requests.size(), before + 1);
      QCOMPARE(QApplication::focusWidget(), h.amountField());
      h.http->answer(h.http->requests.size() - 1, HttpClient::Reply{std::string(kGoodReply), {}});
      h.queue->drain();
    }
    // The refresh button itself, pressed from the keyboard, hands its focus to the field, not on
    // to the next control.
    auto* refresh = h.widget("refreshButton");
    refresh->setFocus(Qt::TabFocusReason);
    QTest::keyClick(refresh, Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), h.amountField());
  }

  void rateReplyRedrawsWithoutAnyUserAction() {
    PanelHarness h;
    h.panel->show();
    QCOMPARE(h.resultLabel()->text(), QString("---"));
    h.http->answer(0, HttpClient::Reply{std::string(kGoodReply), {}});
    h.queue->drain();
    QCOMPARE(h.model->resultText, kIndiaFlag + " 83");
    QCOMPARE(h.resultLabel()->text(), qs(h.model->resultText));
    QVERIFY(h.widget("allConversionsView")->isVisible());
    QCOMPARE(h.find<QLabel>("lastUpdatedLabel")->text(), QString("Rates fetched just now"));
  }

  // The age turns over on its own while the panel shows, and no timer is left once it hides.
  void footerAgesWhileShownAndSleepsWhenHidden() {
    const auto start = std::chrono::steady_clock::now();
    ConverterServices services = PanelHarness::services(
        std::make_shared<ClockedMainQueue>(), std::make_shared<ManualHttpClient>(), nullptr);
    const auto fetched = std::chrono::system_clock::time_point(std::chrono::hours(500000));
    auto skip = std::make_shared<std::chrono::milliseconds>(0);
    services.clock = [start, fetched, skip] {
      return fetched + *skip + (std::chrono::steady_clock::now() - start);
    };
    auto model = CurrencyConverterView::create(services);
    model->applyRates(RateFeedResult{kRates, {}, "2026-09-29", "test", {}});
    // The panel opens 80 ms before the rates are a minute old.
    *skip = std::chrono::milliseconds(59920);
    ConverterPanel panel(model);
    auto* label = panel.findChild<QLabel*>(QStringLiteral("lastUpdatedLabel"));
    panel.show();
    QCOMPARE(label->text(), QString("Rates of Sep 29, 2026, fetched just now"));
    // Not QTRY_*: from Qt 6.8 they narrow a std::chrono count to int here (-Werror=conversion).
    const QString aMinuteOld("Rates of Sep 29, 2026, fetched 1 minute ago");
    QVERIFY(QTest::qWaitFor([&] { return label->text() == aMinuteOld; }));
    auto* ageing = panel.findChild<QTimer*>(QStringLiteral("footerAgeing"));
    QVERIFY(ageing && ageing->isActive());
    QVERIFY(ageing->remainingTime() > 55000);
    panel.hide();
    QVERIFY(!ageing->isActive());
  }

  void replyAfterThePanelClosedTouchesNothing() {
    PanelHarness h;
    h.panel->show();
    h.panel.reset();
    QVERIFY(!h.model->onStateChange);
    h.http->answer(0, HttpClient::Reply{std::string(kGoodReply), {}});
    h.queue->drain();
    QCOMPARE(h.model->resultText, kIndiaFlag + " 83");
  }
};

QTEST_MAIN(PanelWiringTest)
#include "panel_wiring_test.moc"
