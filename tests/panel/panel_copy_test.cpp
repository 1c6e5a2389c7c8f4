// Copying the result and the all-units lines, and the two seconds of "Copied!" after each click.
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <chrono>

#include "panel/all_conversions_view.h"
#include "panel/currency_picker.h"
#include "panel/rounded_card.h"
#include "panel_harness.h"

using namespace ovantic;
using namespace ovantic::panel_testing;
using namespace std::chrono_literals;

namespace {

int lineIndex(AllConversionsView* list, const std::vector<ConversionEntry>& entries,
              UnitType unit) {
  for (int i = 0; i < list->lineCount(); ++i) {
    if (entries[static_cast<std::size_t>(i)].unit == unit) return i;
  }
  return -1;
}

}  // namespace

class PanelCopyTest : public QObject {
  Q_OBJECT

 private slots:
  void resultClickCopiesAndShowsCopiedUntilTheReset() {
    PanelHarness h;
    h.showWithRates();
    h.model->resultText = kIndiaFlag + " 2.5 Cr";
    h.stateChanged();
    QWidget* area = h.widget("resultArea");

    QTest::mouseClick(area, Qt::LeftButton);

    QCOMPARE(h.clipboard->texts, std::vector<std::string>{kRupee + " 2.5 Cr"});
    // The copied amount stays in view beside the word.
    QCOMPARE(h.resultLabel()->text(), qs("Copied! " + kRupee + " 2.5 Cr"));
    QVERIFY(h.model->showCopiedForMain);

    // "Copied!" takes no clicks: nothing is copied and no second reset is scheduled.
    const std::size_t pending = h.queue->pending();
    QTest::mouseClick(area, Qt::LeftButton);
    QCOMPARE(h.clipboard->texts.size(), 1u);
    QCOMPARE(h.queue->pending(), pending);

    h.queue->advance(1999ms);
    QVERIFY(h.resultLabel()->text().startsWith("Copied!"));
    h.queue->advance(1ms);
    QVERIFY(!h.model->showCopiedForMain);
    QCOMPARE(h.resultLabel()->text(), qs(h.model->resultText));

    // The row's padding above the result copies too.
    QWidget* row = h.widget("toUnitRow");
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(area->geometry().right(), 2));
    QCOMPARE(h.clipboard->texts.size(), 2u);
  }

  void resultChangedUnderCopiedShowsAfterTheReset() {
    PanelHarness h;
    h.showWithRates();
    QTest::mouseClick(h.widget("resultArea"), Qt::LeftButton);
    h.type("5");  // the field's "1" is selected: the amount becomes 5
    QVERIFY(h.resultLabel()->text().startsWith("Copied!"));
    h.queue->advance(2000ms);
    QCOMPARE(h.model->resultText, kIndiaFlag + " 415");
    QCOMPARE(h.resultLabel()->text(), qs(h.model->resultText));
  }

  void placeholderResultIsNeverCopied() {
    PanelHarness h;
    h.panel->show();  // no rates, no conversion: the result is still "---"
    QTest::mouseClick(h.widget("resultArea"), Qt::LeftButton);
    QVERIFY(h.clipboard->texts.empty());
    QCOMPARE(h.resultLabel()->text(), QString("---"));
  }

  void exactLineLeadsTheListAndCopies() {
    PanelHarness h;
    h.showWithRates();
    // Pasted, as the rupee sign has no key here; it names the target: the pair turns round.
    const QString pasted = QStringLiteral("\u20B9 207.8 Cr");
    h.amountField()->setText(pasted);
    Q_EMIT h.amountField()->textEdited(pasted);
    QCOMPARE(h.find<CurrencyPicker>("fromCurrencyPicker")->currency(), QString("INR"));
    auto* list = h.find<AllConversionsView>("allConversionsView");
    QVERIFY(list->exactLine()->isVisible());
    QVERIFY(list->exactLine()->y() < list->line(0)->y());
    QTest::mouseClick(list->exactLine(), Qt::LeftButton);
    QCOMPARE(h.clipboard->texts, std::vector<std::string>{h.model->exactText});
    QCOMPARE(list->exactValueLabel()->text(), "Copied! " + qs(h.model->exactText));
  }

  void keysCopyTheResult_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("copies");
    QTest::newRow("enter on the result")
        << "resultArea" << QKeySequence(Qt::Key_Return) << false << true;
    QTest::newRow("space on the result")
        << "resultArea" << QKeySequence(Qt::Key_Space) << false << true;
    QTest::newRow("enter in the field")
        << "amountField" << QKeySequence(Qt::Key_Return) << true << true;
    QTest::newRow("ctrl+c, nothing selected")
        << "amountField" << QKeySequence(QKeySequence::Copy) << false << true;
    // With a selection Ctrl+C copies that, as in any field.
    QTest::newRow("ctrl+c on a selection")
        << "amountField" << QKeySequence(QKeySequence::Copy) << true << false;
  }

  void keysCopyTheResult() {
    QFETCH(QString, target);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, selected);
    QFETCH(bool, copies);
    PanelHarness h;
    h.showWithRates();
    if (!selected) h.amountField()->deselect();
    QTest::keySequence(h.widget(qPrintable(target)), keys);
    QCOMPARE(h.clipboard->texts.size(), copies ? 1u : 0u);
    QCOMPARE(h.resultLabel()->text().startsWith("Copied!"), copies);
  }

  void lineClickCopiesWithTheTargetSymbol() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    auto* list = h.find<AllConversionsView>("allConversionsView");
    const auto entries = h.model->allConversions;
    const int crore = lineIndex(list, entries, UnitType::crore);
    QVERIFY(crore >= 0);
    const auto& entry = entries[static_cast<std::size_t>(crore)];

    QTest::mouseClick(list->line(crore), Qt::LeftButton);

    QCOMPARE(h.clipboard->texts, std::vector<std::string>{h.model->formatValueWithCurrency(
                                     entry.value, entry.unit, "INR")});
    QVERIFY(h.clipboard->texts[0].rfind(kRupee + " ", 0) == 0);
    QCOMPARE(list->valueLabel(crore)->text(),
             "Copied! " + qs(h.model->formatConversionValue(entry.value, entry.unit)));
    QCOMPARE(h.model->copiedUnit, std::optional<UnitType>(UnitType::crore));
    // The result row keeps its own feedback.
    QCOMPARE(h.resultLabel()->text(), qs(h.model->resultText));

    h.queue->advance(2000ms);
    QVERIFY(!h.model->copiedUnit);
    QCOMPARE(list->valueLabel(crore)->text(),
             qs(h.model->formatConversionValue(entry.value, entry.unit)));
  }

  void secondLineClickEndsAtTheFirstClicksReset() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    auto* list = h.find<AllConversionsView>("allConversionsView");
    QVERIFY(list->lineCount() >= 2);
    const auto entries = h.model->allConversions;

    QTest::mouseClick(list->line(0), Qt::LeftButton);
    h.queue->advance(1500ms);
    QTest::mouseClick(list->line(1), Qt::LeftButton);

    QCOMPARE(list->valueLabel(0)->text(),
             qs(h.model->formatConversionValue(entries[0].value, entries[0].unit)));
    QVERIFY(list->valueLabel(1)->text().startsWith("Copied!"));
    QCOMPARE(h.clipboard->texts.size(), 2u);

    h.queue->advance(499ms);
    QVERIFY(list->valueLabel(1)->text().startsWith("Copied!"));
    h.queue->advance(1ms);  // two seconds after the first click
    QVERIFY(!h.model->copiedUnit);
    QCOMPARE(list->valueLabel(1)->text(),
             qs(h.model->formatConversionValue(entries[1].value, entries[1].unit)));
  }

  void copiedStaysWithItsUnitAcrossANewConversion() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    auto* list = h.find<AllConversionsView>("allConversionsView");
    const int crore = lineIndex(list, h.model->allConversions, UnitType::crore);
    QTest::mouseClick(list->line(crore), Qt::LeftButton);

    h.replaceAmount("3 cr");
    const int after = lineIndex(list, h.model->allConversions, UnitType::crore);
    QVERIFY(after >= 0);
    QVERIFY(list->valueLabel(after)->text().startsWith("Copied!"));
    for (int i = 0; i < list->lineCount(); ++i) {
      if (i != after) QVERIFY(!list->valueLabel(i)->text().startsWith("Copied!"));
    }
  }

  void feedbackUpdatesTheLinesInPlace() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    auto* list = h.find<AllConversionsView>("allConversionsView");
    const QPointer<QWidget> first = list->line(0);
    QTest::mouseClick(list->line(1), Qt::LeftButton);
    h.queue->advance(2000ms);
    // Clicks and resets change only texts; a keystroke that leaves the entries alike keeps the
    // widgets (and keyboard focus on them) too.
    QVERIFY(first);
    QCOMPARE(list->line(0), first.data());
    h.stateChanged();
    QCOMPARE(list->line(0), first.data());
    h.type(" ");
    QCOMPARE(list->line(0), first.data());
  }

  void copiedTextUsesTheTargetAtClickTime() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    h.model->toCurrency = "EUR";  // as a picker would leave it
    h.stateChanged();
    auto* list = h.find<AllConversionsView>("allConversionsView");
    QTest::mouseClick(list->line(0), Qt::LeftButton);
    const auto& entry = h.model->allConversions[0];
    QCOMPARE(h.clipboard->texts.back(),
             h.model->formatValueWithCurrency(entry.value, entry.unit, "EUR"));
  }

  void resetAfterThePanelClosedIsHarmless() {
    PanelHarness h;
    h.showWithRates();
    h.type("2.5 cr");
    QTest::mouseClick(h.widget("resultArea"), Qt::LeftButton);
    QTest::mouseClick(h.find<AllConversionsView>("allConversionsView")->line(0), Qt::LeftButton);
    h.panel.reset();
    h.queue->advance(2000ms);
    QVERIFY(!h.model->showCopiedForMain);
    QVERIFY(!h.model->copiedUnit);
  }

  void resetAfterTheConverterIsGoneIsHarmless() {
    PanelHarness h;
    h.showWithRates();
    QTest::mouseClick(h.widget("resultArea"), Qt::LeftButton);
    std::weak_ptr<CurrencyConverterView> weak = h.model;
    h.panel.reset();
    h.model.reset();
    QVERIFY(weak.expired());
    h.queue->advance(2000ms);
    QCOMPARE(h.queue->pending(), 0u);
  }

  void withoutAMainQueueCopiesButShowsNoFeedback() {
    auto clipboard = std::make_shared<RecordingClipboard>();
    auto model =
        CurrencyConverterView::create(ConverterServices{nullptr, nullptr, clipboard, "en_US"});
    model->exchangeRates = kRates;
    ConverterPanel panel(model);
    panel.show();
    auto* field = panel.findChild<QLineEdit*>("amountField");
    field->selectAll();
    QTest::keyClicks(field, "2.5 cr");
    QTest::mouseClick(panel.findChild<QWidget*>("resultArea"), Qt::LeftButton);
    auto* list = panel.findChild<AllConversionsView*>("allConversionsView");
    QTest::mouseClick(list->line(0), Qt::LeftButton);

    QCOMPARE(clipboard->texts.size(), 2u);
    // "Copied!" could never be taken back without a queue for its reset.
    QCOMPARE(panel.findChild<QLabel*>("resultLabel")->text(), qs(model->resultText));
    QVERIFY(!list->valueLabel(0)->text().startsWith("Copied!"));
  }
};

QTEST_MAIN(PanelCopyTest)
#include "panel_copy_test.moc"
