#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <cmath>

#include "fakes.h"

namespace ovantic {
namespace {

using fakes::ConverterUnderTest;
using fakes::kIndia;
using fakes::kUnitedStates;

class Swap : public testing::Test {
 protected:
  void SetUp() override { c.view->exchangeRates = {{"INR", 83.12}, {"EUR", 0.92}}; }
  CurrencyConverterView& view() { return *c.view; }
  ConverterUnderTest c;
};

TEST_F(Swap, CarriesTheShownNumberBack) {
  view().convert();
  ASSERT_EQ(view().resultText, kIndia + " 83.12");
  view().swapCurrencies();
  EXPECT_EQ(view().fromCurrency, "INR");
  EXPECT_EQ(view().toCurrency, "USD");
  EXPECT_EQ(view().amountText, "83.12");
  EXPECT_EQ(view().resultText, kUnitedStates + " 1");
  EXPECT_EQ(view().rateText, "INR 1 = USD 0.0120");
}

TEST_F(Swap, DropsGroupingAndKeepsTheScale) {
  view().amountText = "100";
  view().fromCurrency = "EUR";
  view().convert();
  view().swapCurrencies();
  EXPECT_EQ(view().amountText, "9034.78");

  view().amountText = "2.5 cr";
  view().fromCurrency = "USD";
  view().toCurrency = "INR";
  view().convert();
  ASSERT_EQ(view().resultText, kIndia + " 207.8 Cr");
  view().swapCurrencies();
  EXPECT_EQ(view().amountText, "207.8 Cr");
  EXPECT_EQ(view().detectedFromUnit, UnitType::crore);
  EXPECT_EQ(view().resultText, kUnitedStates + " 25 M") << "207.8 crore, not 207.8 units";
  view().swapCurrencies();
  EXPECT_EQ(view().amountText, "25 M");
  EXPECT_EQ(view().resultText, kIndia + " 207.8 Cr");
}

// Whatever grouping, decimal mark and digits the locale shows, the swap reads the number back.
TEST(SwapInEveryLocale, CarriesTheShownNumberAndUnit) {
  int32_t count = 0;
  const icu::Locale* locales = icu::Locale::getAvailableLocales(count);
  ASSERT_GT(count, 100);
  for (int32_t i = 0; i < count; ++i) {
    SCOPED_TRACE(locales[i].getName());
    ConverterUnderTest c(locales[i].getName());
    CurrencyConverterView& view = *c.view;
    view.exchangeRates = {{"INR", 83.12}, {"EUR", 0.92}};
    view.amountText = "100";
    view.fromCurrency = "EUR";
    view.convert();
    view.swapCurrencies();
    EXPECT_EQ(view.amountText, "9034.78") << "shown as " << view.resultText;
    view.amountText = "2.5 cr";
    view.fromCurrency = "USD";
    view.toCurrency = "INR";
    view.convert();
    view.swapCurrencies();
    EXPECT_EQ(view.amountText, "207.8 Cr");

    // Every text Ovantic copies reads back as the amount it shows, in the currency it names.
    view.fromCurrency = "USD";
    view.toCurrency = "INR";
    view.amountText = "1234567";
    view.convert();
    std::vector<std::pair<std::string, double>> copies{
        {view.extractValueWithCurrency(view.resultText), 10.26e7}, {view.exactText, 102617209.04}};
    for (const ConversionEntry& entry : view.allConversions) {
      copies.emplace_back(view.formatValueWithCurrency(entry.value, entry.unit, "INR"),
                          std::round(entry.value * 100) / 100 * entry.unit.multiplier());
    }
    for (const auto& [copy, amount] : copies) {
      const auto reading = view.readAmountText(copy);
      if (!reading) {
        ADD_FAILURE() << copy;
        continue;
      }
      EXPECT_NEAR(reading->amount, amount, amount * 1e-12) << copy;
      EXPECT_EQ(reading->currency, "INR") << copy;
    }
  }
}

TEST(SwapExactly, AnyNumberOfSwapsGivesBackTheFirstAmount) {
  ConverterUnderTest c("en_IN");
  CurrencyConverterView& view = *c.view;
  view.exchangeRates = {{"INR", 83.12}};
  view.editAmount("1,234,567");
  EXPECT_EQ(view.resultText, kIndia + " 10.26 Cr");
  EXPECT_EQ(view.exactText, "\u20B910,26,17,209.04");
  for (int i = 0; i < 10; ++i) view.swapCurrencies();
  EXPECT_EQ(view.amountText, "1.23 M") << "the field shows the rounded result";
  EXPECT_EQ(view.exactText, "\u20B910,26,17,209.04");
  view.swapCurrencies();
  EXPECT_EQ(view.exactText, "$12,34,567.00");
  view.swapCurrencies();
  view.editAmount("1.23M");  // typed, it is what it says
  EXPECT_EQ(view.exactText, "\u20B910,22,37,600.00");
}

TEST_F(Swap, PlaceholderResultsBecomeTheAmount) {
  view().swapCurrencies();  // nothing converted yet
  EXPECT_EQ(view().amountText, "---");
  EXPECT_EQ(view().resultText, "Invalid");
  view().swapCurrencies();
  EXPECT_EQ(view().amountText, "Invalid");
  EXPECT_EQ(view().resultText, "Invalid");
  EXPECT_EQ(view().fromCurrency, "USD");
}

TEST_F(Swap, EqualCurrenciesOnlyReplaceTheAmount) {
  view().fromCurrency = "INR";
  view().amountText = "2,50,000";
  view().convert();
  view().swapCurrencies();
  EXPECT_EQ(view().fromCurrency, "INR");
  EXPECT_EQ(view().toCurrency, "INR");
  EXPECT_EQ(view().amountText, "2.5 L");
}

// One whole edit as the panel drives it, without any widget: type, badge and result, a change of
// currency, swap, and both kinds of copy with their "Copied!" ending two seconds later.
TEST(Edit, TypeSwapAndCopyWithoutWidgets) {
  auto queue = std::make_shared<fakes::ClockedMainQueue>();
  auto clipboard = std::make_shared<fakes::RecordingClipboard>();
  auto view = CurrencyConverterView::create(ConverterServices{queue, nullptr, clipboard, "en_US"});
  int redraws = 0;
  view->onStateChange = [&] { ++redraws; };
  view->exchangeRates = {{"INR", 83.12}, {"EUR", 0.92}};

  view->editAmount("2.5 cr");
  EXPECT_EQ(view->detectedFromUnit, UnitType::crore);
  EXPECT_EQ(view->resultText, kIndia + " 207.8 Cr");
  view->selectFromCurrency("EUR");
  EXPECT_EQ(view->rateText, "EUR 1 = INR 90.3478");
  view->selectFromCurrency("USD");
  view->editAmount("2.5");
  EXPECT_EQ(view->detectedFromUnit, UnitType::none);
  view->editAmount("2.5 cr");

  view->swapCurrencies();
  EXPECT_EQ(view->amountText, "207.8 Cr");
  EXPECT_EQ(view->detectedFromUnit, UnitType::crore);
  EXPECT_EQ(view->resultText, kUnitedStates + " 25 M");

  view->copyResult();
  view->copyResult();  // "Copied!" takes no clicks
  EXPECT_TRUE(view->showCopiedForMain);
  ASSERT_EQ(view->allConversions.size(), 2u);
  view->copyConversion(view->allConversions[1]);
  EXPECT_EQ(view->copiedUnit, UnitType::million);
  EXPECT_EQ(clipboard->texts, (std::vector<std::string>{"$ 25 M", "$ 25.00 M"}));
  queue->advance(std::chrono::milliseconds(1999));
  EXPECT_TRUE(view->showCopiedForMain);
  EXPECT_EQ(redraws, 0);
  queue->advance(std::chrono::milliseconds(1));
  EXPECT_FALSE(view->showCopiedForMain);
  EXPECT_FALSE(view->copiedUnit.has_value());
  EXPECT_EQ(redraws, 2);
}

TEST(Copy, WithoutAQueueCopiesButNeverShowsCopied) {
  ConverterUnderTest c;  // no main queue: nothing could end "Copied!"
  c.view->resultText = kIndia + " 2.5 Cr";
  c.view->copyResult();
  c.view->copyConversion(ConversionEntry{UnitType::lakh, 250, ""});
  EXPECT_FALSE(c.view->showCopiedForMain);
  EXPECT_FALSE(c.view->copiedUnit.has_value());
  EXPECT_EQ(c.clipboard->texts, (std::vector<std::string>{"\u20B9 2.5 Cr", "\u20B9 250.00 L"}));
}

TEST(Copy, OnlyNumbersReachTheClipboard) {
  auto queue = std::make_shared<fakes::ClockedMainQueue>();
  auto clipboard = std::make_shared<fakes::RecordingClipboard>();
  auto view = CurrencyConverterView::create(ConverterServices{queue, nullptr, clipboard, "en_IN"});
  for (const char* result : {"---", "Invalid", "\U0001F1EE\U0001F1F3 --"}) {
    view->resultText = result;
    view->copyResult();
    view->copyExact();
    EXPECT_FALSE(view->showCopiedForMain || view->showCopiedForExact) << result;
  }
  EXPECT_TRUE(clipboard->texts.empty());
  view->exchangeRates = {{"INR", 83.12}};
  view->editAmount("1 + 1");
  view->copyExact();
  EXPECT_TRUE(view->showCopiedForExact);
  EXPECT_EQ(clipboard->texts, std::vector<std::string>{"\u20B9166.24"});
}

// A currency named in the amount moves the picker through the engine while the amount names it;
// naming the target turns the pair round; a sign or name shared by several currencies means the
// source's when it writes it.
TEST(CurrencyInTheAmount, SelectsTheSourceWhileNamed) {
  ConverterUnderTest c;
  CurrencyConverterView& view = *c.view;
  view.exchangeRates = fakes::fullRateTable();
  view.editAmount("\u20B9 207.8 Cr");
  EXPECT_EQ(view.fromCurrency, "INR");
  EXPECT_EQ(view.toCurrency, "USD");
  EXPECT_EQ(view.resultText, kUnitedStates + " 21.63 M");  // at 96.0853 rupees to the dollar
  EXPECT_EQ(view.detectedFromUnit, UnitType::crore);
  view.editAmount("10 euros");
  EXPECT_EQ(view.fromCurrency, "EUR");
  EXPECT_EQ(view.toCurrency, "INR") << "the chosen target is back";
  view.editAmount("5 SEK");
  EXPECT_EQ(view.fromCurrency, "SEK");
  view.editAmount("5");
  EXPECT_EQ(view.fromCurrency, "USD") << "no currency named: the chosen pair";
  view.selectFromCurrency("CAD");
  view.editAmount("5 dollars");
  EXPECT_EQ(view.fromCurrency, "CAD");
  view.selectToCurrency("USD");
  view.selectFromCurrency("INR");
  view.editAmount("$ 5");
  EXPECT_EQ(view.fromCurrency, "USD");
  EXPECT_EQ(view.toCurrency, "INR") << "the dollar was the target";
  view.editAmount("100 dirhams in eur");  // the UAE's, not Morocco's
  EXPECT_EQ(view.fromCurrency + view.toCurrency, "AEDEUR");
  view.editAmount("100 to inr");
  EXPECT_EQ(view.fromCurrency + view.toCurrency, "USDINR") << "the target was the source";
  view.editAmount("10 XAU");  // a code nobody here knows
  EXPECT_EQ(view.resultText, "Invalid");
  EXPECT_EQ(view.fromCurrency + view.toCurrency, "INRUSD");
}

TEST(Copy, HandsTheExactTextToTheClipboard) {
  ConverterUnderTest c;
  c.view->copyToClipboard("\u20B9 2.5 Cr");
  c.view->copyToClipboard("");
  EXPECT_EQ(c.clipboard->texts, (std::vector<std::string>{"\u20B9 2.5 Cr", ""}));
}

TEST(Copy, WithoutAClipboardNothingHappens) {
  auto view = CurrencyConverterView::create(ConverterServices{});
  view->copyToClipboard("x");  // must not crash
  SUCCEED();
}

}  // namespace
}  // namespace ovantic
