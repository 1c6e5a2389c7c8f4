// How long the panel takes to answer a keystroke with a repainted result, and to build.
// Both should fit in one 60 Hz frame (16 ms). Runs on the offscreen platform unless told otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "converter/currency_converter_view.h"
#include "doubles.h"
#include "panel/converter_panel.h"

namespace {

using namespace ovantic;

std::shared_ptr<CurrencyConverterView> makeConverter() {
  auto model = CurrencyConverterView::create(ConverterServices{
      std::make_shared<fakes::ClockedMainQueue>(), std::make_shared<fakes::ManualHttpClient>(),
      std::make_shared<fakes::RecordingClipboard>(), "en_IN"});
  model->exchangeRates = {{"USD", 1.0},   {"INR", 83.2}, {"EUR", 0.92}, {"GBP", 0.79},
                          {"JPY", 151.0}, {"AUD", 1.52}, {"CAD", 1.36}, {"CNY", 7.2},
                          {"AED", 3.67},  {"SGD", 1.34}};
  return model;
}

// From a key press in the amount field to the panel painted with the new result: the edit, the
// conversion, the badge, the list rebuild when units change, and a synchronous repaint.
void BM_KeystrokeToRepaintedResult(benchmark::State& state) {
  ConverterPanel panel(makeConverter());
  panel.show();
  auto* field = panel.findChild<QLineEdit*>(QStringLiteral("amountField"));
  field->selectAll();
  QTest::keyClicks(field, QStringLiteral("2.5 cr"));
  QApplication::processEvents();
  bool append = true;
  for (auto _ : state) {
    // Alternating a digit in and out moves the result across units, so the list rebuilds too.
    if (append) {
      QTest::keyClick(field, Qt::Key_0);
    } else {
      QTest::keyClick(field, Qt::Key_Backspace);
    }
    append = !append;
    panel.repaint();
  }
  benchmark::DoNotOptimize(panel.findChild<QLabel*>(QStringLiteral("resultLabel"))->text());
}
BENCHMARK(BM_KeystrokeToRepaintedResult)->Unit(benchmark::kMillisecond);

// A new panel as the shell builds one on each opening: construction, first layout and paint.
void BM_BuildPanel(benchmark::State& state) {
  for (auto _ : state) {
    auto panel = std::make_unique<ConverterPanel>(makeConverter());
    panel->show();
    panel->repaint();
    state.PauseTiming();
    panel.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BuildPanel)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
