// What one keystroke costs the engine: detecting the unit for the badge, reading the amount,
// and a full conversion with the all-units table under the Indian locale.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>

#include "converter/currency_converter_view.h"
#include "notation/unit_type.h"
#include "rates/currency_catalogue.h"

namespace {

using ovantic::CurrencyConverterView;
using ovantic::UnitType;

void BM_Detect(benchmark::State& state) {
  const char* texts[] = {"2.5 cr", "45 lakh", "750", "1.5 mil"};
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(UnitType::detect(texts[i++ % 4]));
}
BENCHMARK(BM_Detect);

void BM_ParseAmount(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(UnitType::parseAmount("2.5 cr"));
}
BENCHMARK(BM_ParseAmount);

// The amounts people write: spellings, compounds, arithmetic, a currency, other digits; each
// must read in a few microseconds.
void BM_ReadWrittenAmount(benchmark::State& state) {
  const char* texts[] = {"1.5 lakh crore",    "2 crore 50 lakh",
                         "(1 cr - 20 l) / 2", "1.5 lakh * 12",
                         "Rs. 5 lakh",        "\u20B9 207.8 Cr",
                         "10k/4 + 3 cr 40 l", "\u0968.\u096B \u0915\u0930\u094B\u0921\u093C"};
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(UnitType::parseAmount(texts[i++ % 8]));
}
BENCHMARK(BM_ReadWrittenAmount);

// The converter's own reading: locale decimal sign and the currencies it knows.
void BM_ReadAmountInConverter(benchmark::State& state) {
  auto view = CurrencyConverterView::create(ovantic::ConverterServices{{}, {}, {}, "de_DE"});
  view->exchangeRates = {{"INR", 83.12}, {"EUR", 0.92}};
  for (auto _ : state) benchmark::DoNotOptimize(view->readAmountText("\u20B9 2,5 cr + 50 l"));
}
BENCHMARK(BM_ReadAmountInConverter);

// Every currency a full table offers, as a real reply brings them.
ovantic::RateTable fullTable() {
  ovantic::RateTable rates;
  for (const std::string& code : ovantic::commonCurrencies()) rates[code] = 1.5;
  return rates;
}

// The forms people type, read by the converter against a full table: a percentage, a target,
// the closing "/-", currency names, grouping spaces and the other decimal convention.
void BM_ReadTypedForms(benchmark::State& state) {
  auto view = CurrencyConverterView::create(ovantic::ConverterServices{{}, {}, {}, "en_IN"});
  view->exchangeRates = fullTable();
  const char* texts[] = {"12.5 lakh + 18%",  "100 usd to eur", "Rs 12,34,567.89/-",
                         "2.5 crore rupees", "100 dirhams",    "1 23 456",
                         "1.234,56",         "45 lak"};
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(view->readAmountText(texts[i++ % 8]));
}
BENCHMARK(BM_ReadTypedForms);

// One search of the picker over every currency a full table offers.
void BM_SearchAllCurrencies(benchmark::State& state) {
  const std::vector<std::string> codes = ovantic::offeredCodes(fullTable(), {}, {});
  const char* queries[] = {"dirham", "india", "franc", "s", "united states", "zzz"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ovantic::searchCurrencies(codes, queries[i++ % 6]));
  }
  state.counters["currencies"] = static_cast<double>(codes.size());
}
BENCHMARK(BM_SearchAllCurrencies)->Unit(benchmark::kMicrosecond);

std::shared_ptr<CurrencyConverterView> indianConverter() {
  auto view = CurrencyConverterView::create(ovantic::ConverterServices{{}, {}, {}, "en_IN"});
  view->exchangeRates = {{"INR", 83.12}, {"EUR", 0.92}};
  view->amountText = "2.5 cr";
  return view;
}

void BM_Convert(benchmark::State& state) {
  auto view = indianConverter();
  for (auto _ : state) {
    view->convert();
    benchmark::DoNotOptimize(view->resultText.data());
  }
}
BENCHMARK(BM_Convert);

long residentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Memory must not grow with use: a panel left open converts on every keystroke all day.
void BM_MillionConversionsResidentGrowth(benchmark::State& state) {
  auto view = indianConverter();
  for (int i = 0; i < 1000; ++i) view->convert();  // warm caches first
  for (auto _ : state) {
    const long before = residentKiB();
    for (int i = 0; i < 1'000'000; ++i) {
      view->amountText = (i % 2) ? "2.5 cr" : "45 lakh";
      view->convert();
    }
    state.counters["rss_growth_kib"] = static_cast<double>(residentKiB() - before);
  }
}
BENCHMARK(BM_MillionConversionsResidentGrowth)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
