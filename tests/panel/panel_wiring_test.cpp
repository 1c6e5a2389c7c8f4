// How the panel turns user actions into converter state and back into what it shows.
#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "panel/all_conversions_view.h"
#include "panel/currency_picker.h"
#include "panel/panel_style.h"
#include "panel/rounded_card.h"
#include "panel/symbol_button.h"
#include "panel_harness.h"

using namespace ovantic;
using namespace ovantic::panel_testing;

namespace {

QAction* menuItem(CurrencyPicker* picker, const QString& code) {
  for (QAction* action : picker->menu()->actions()) {
    if (action->data().toString() == code) return action;
  }
  return nullptr;
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

    menuItem(chosen, code)->trigger();

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

    menuItem(h.find<CurrencyPicker>(picker.toLatin1().constData()), code)->trigger();

    QCOMPARE(h.model->resultText, std::string("untouched"));
    QCOMPARE(h.model->rateText, std::string("untouched rate"));
    QCOMPARE(h.model->fromCurrency, std::string("USD"));
    QCOMPARE(h.model->toCurrency, std::string("INR"));
  }

  void menuListsEveryCurrencyInOrderUnmarked() {
    PanelHarness h;
    const auto& codes = CurrencyConverterView::currencies();
    for (const char* name : {"fromCurrencyPicker", "toCurrencyPicker"}) {
      const QList<QAction*> actions = h.find<CurrencyPicker>(name)->menu()->actions();
      QCOMPARE(static_cast<std::size_t>(actions.size()), codes.size());
      for (std::size_t i = 0; i < codes.size(); ++i) {
        const QAction* action = actions[static_cast<qsizetype>(i)];
        QCOMPARE(action->text(), qs(codes[i]));
        QVERIFY(!action->icon().isNull());  // the flag
        QVERIFY(!action->isCheckable());
        QVERIFY(action->isEnabled());
      }
    }
    QCOMPARE(h.find<CurrencyPicker>("fromCurrencyPicker")->popupMode(), QToolButton::InstantPopup);
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
    QVERIFY(h.find<QLabel>("lastUpdatedLabel")->text().startsWith("Rates updated "));
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
