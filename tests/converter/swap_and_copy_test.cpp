#include <gtest/gtest.h>
#include <unicode/locid.h>

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
  }
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
