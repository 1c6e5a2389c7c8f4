#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "notation/amount_expression.h"
#include "notation/unit_type.h"
#include "platform/clipboard.h"
#include "platform/http_client.h"
#include "platform/main_queue.h"
#include "platform/preferences.h"
#include "platform/rate_store.h"
#include "rates/currency_details.h"
#include "rates/rate_feed.h"
#include "rates/rate_table.h"
#include "rates/rates_age.h"
#include "rates/rates_service.h"

namespace ovantic {

class NumberFormats;

// One row of the all-units table; `value` is already expressed in `unit`.
struct ConversionEntry {
  UnitType unit;
  double value;
  std::string label;

  friend bool operator==(const ConversionEntry&, const ConversionEntry&) = default;
};

struct ConverterServices {
  std::shared_ptr<MainQueue> mainQueue;
  std::shared_ptr<HttpClient> http;
  std::shared_ptr<Clipboard> clipboard;
  std::string locale;  // ICU locale id such as "en_IN"; empty: the user's
  std::string ratesUrl = defaultRatesUrl;
  // Where the chosen pair is kept between openings and runs; none: every opening starts at
  // USD to INR.
  std::shared_ptr<Preferences> preferences = nullptr;
  // Asked in turn when the first service fails in any way.
  std::vector<std::string> fallbackRatesUrls{defaultFallbackRatesUrl, defaultFallbackMirrorUrl};
  // The last good table, read at creation and replaced by each good fetch; none: nothing kept.
  std::shared_ptr<RateStore> rateStore = nullptr;
  // The wall clock the footer's ages are told by; empty: the system's.
  std::function<std::chrono::system_clock::time_point()> clock = nullptr;
};

// The one model behind a panel: all of its state, and the operations the panel calls.
// Owned through shared_ptr so that a rate reply arriving after the panel closed can find out.
class CurrencyConverterView : public std::enable_shared_from_this<CurrencyConverterView> {
 public:
  static std::shared_ptr<CurrencyConverterView> create(ConverterServices services);
  ~CurrencyConverterView();

  CurrencyConverterView(const CurrencyConverterView&) = delete;
  CurrencyConverterView& operator=(const CurrencyConverterView&) = delete;

  std::string fromCurrency = "USD";
  std::string toCurrency = "INR";
  std::string amountText = "1";
  std::string resultText = "---";
  std::string rateText = "Loading rates...";
  std::string lastUpdatedText;
  bool isLoading = false;
  UnitType detectedFromUnit = UnitType::none;
  std::vector<ConversionEntry> allConversions;
  // The converted amount in full digits with the target's sign (₹10,26,17,209.04), the first
  // line of All Units; empty while there is no conversion.
  std::string exactText;
  std::optional<UnitType> copiedUnit;
  bool showCopiedForMain = false;
  bool showCopiedForExact = false;
  RateTable exchangeRates;
  // Currencies chosen lately outside the ten, most recent first; offered right after the ten.
  std::vector<std::string> recentCurrencies;

  // Called after asynchronous work (a rate reply) changed state, so a view can redraw.
  std::function<void()> onStateChange;

  // The catalogue and the rate table live in rates/; these are the converter's names for them.
  static const std::vector<std::string>& currencies();
  static const std::map<std::string, std::string>& currencyFlags();
  static const std::map<std::string, std::string>& currencySymbols();
  // The code's flag, or the empty text for a code outside the catalogue.
  static std::string currencyFlag(std::string_view code);
  std::string getCurrencySymbol(std::string_view code) const;
  // What the pickers offer: the ten, the recent ones, then every other ISO currency of the rate
  // table by name; the shown pair always among them.
  std::vector<std::string> offeredCurrencies() const;
  // English name, flag and countries of a code, from ICU.
  static const CurrencyDetails& describeCurrency(std::string_view code);
  // The codes among `codes` whose code, name or country has every word of `query`.
  static std::vector<std::string> findCurrencies(const std::vector<std::string>& codes,
                                                 std::string_view query);

  std::optional<double> getRate(std::string_view code) const;
  void convert();
  std::vector<ConversionEntry> generateAllConversions(double amount,
                                                      std::string_view currency) const;
  std::string formatConversionValue(double value, UnitType unit) const;
  std::string formatValueWithCurrency(double value, UnitType unit, std::string_view currency) const;
  std::string extractNumericValue(std::string_view text) const;
  std::string extractValueWithCurrency(std::string_view text) const;
  // An amount as a listener follows it: the number as shown, the unit as a word and the target
  // currency's name ("207.8 crore Indian rupees"). A result without a number ("---", "Invalid")
  // comes back as it is.
  std::string spokenResult(std::string_view text) const;
  std::string spokenAmount(double value, UnitType unit) const;
  // Swaps the pair; the amount becomes the shown result, number and unit, as typed text. Ends
  // with the change handlers, like the edits below.
  void swapCurrencies();
  void copyToClipboard(std::string_view text);
  void fetchRates();

  // What each edit leads to. Every field the user can change is watched: after any change of the
  // amount or a currency, `applyChanges` converts once per changed field and, for the amount,
  // reads the scale badge from the text as typed. The edits below end with it; a view that wrote
  // a field itself calls it before drawing.
  void applyChanges();
  void editAmount(std::string text);
  void selectFromCurrency(std::string code);
  void selectToCurrency(std::string code);
  // Copies the result (or one all-units line) in its copy form and shows "Copied!" for two
  // seconds; without a main queue nothing could end "Copied!", so it is not shown.
  void copyResult();
  void copyConversion(const ConversionEntry& entry);
  void copyExact();
  // Reads a typed amount in this converter's locale. The currencies the amount names (its own
  // and a target after "to" or "in") come back as codes; an amount naming a currency this
  // converter does not know is no amount.
  std::optional<AmountReading> readAmountText(std::string_view text) const;
  // The code a currency word or sign names here ("usd", "Rs", "$", "rupees"); a sign or name
  // several currencies share is the chosen source currency when that is one of them, otherwise
  // the best known of them (`$` the dollar, "dirham" the UAE's).
  std::optional<std::string> currencyNamedBy(std::string_view typed) const;
  // Uses what a rate request came to; `fetchRates` calls it on the main queue once the last
  // service it asked has answered.
  void applyRates(const RateFeedResult& result);
  // Rewrites the footer's age of the rates from the clock; how long until it next reads
  // differently, or nothing when there are no rates to age.
  void refreshRatesAge();
  std::optional<std::chrono::milliseconds> ratesAgeChangesIn() const;
  // The amount a swap carries over for a shown result: the number read in this converter's
  // locale, written with a point and no grouping, followed by its unit; a result that holds no
  // such number falls back to `extractNumericValue`.
  std::string amountFromResult(std::string_view text) const;

  const ConverterServices& services() const { return services_; }

  // What resultText and rateText say, for a panel that words them in the user's language
  // (the English texts above derive from these).
  enum class ResultState { none, invalid, amount };
  enum class RateLineState { rate, fetching, loading, noRate, notLoaded, notJson, wrongShape };
  ResultState resultState() const { return resultState_; }
  RateLineState rateLineState() const { return rateLineState_; }
  // The currency whose rate is missing, while the rate line says so.
  const std::string& currencyWithoutRate() const;
  // How old the rates in use are; empty until a table came, fetched or kept.
  std::optional<RatesAge> ratesAge() const;

  // The ICU locale id every localised text of this converter uses.
  const std::string& localeId() const { return localeId_; }

 private:
  explicit CurrencyConverterView(ConverterServices services);
  // Takes the pair and the recent currencies from the preferences, where they hold codes.
  void restoreRememberedPair();
  // Keeps the pair and notes a newly chosen currency as recent.
  void rememberPair(bool fromChanged, bool toChanged);
  // The pair's rate line, or nothing while a rate is unknown.
  std::optional<std::string> rateLine() const;
  // What the rate line says while a rate of the pair is unknown; sets the typed state too.
  std::string missingRateText();
  // Asks the service at `index` and, when it fails, the ones after it; the first service's failure
  // is what the footer shows when all of them fail.
  void fetchFrom(std::size_t index, RatesFailure firstFailure);
  // Turns a table that lacks a currency of the pair into that service's failure.
  void refuseWithoutPair(RateFeedResult& result) const;
  void useKeptRates();
  std::chrono::system_clock::time_point now() const;
  // Queues `reset` for when "Copied!" ends; false when there is no queue to put it on.
  bool scheduleCopiedReset(std::function<void(CurrencyConverterView&)> reset);
  // The number and unit a result text shows, read in this converter's locale.
  std::optional<std::pair<double, UnitType>> numberInResult(std::string_view text) const;
  // The shown pair for an amount: the one the user chose, except where the amount names a
  // currency (it is the source; naming the target turns the pair round) or a target.
  void followNamedCurrencies(const std::optional<AmountReading>& reading);

  // A text with the exact amount behind it: the result as shown, and the swap's rounded amount,
  // so that swapping back and forth never loses what the rounding hid.
  struct ExactAmount {
    std::string text;
    double amount;
  };
  std::optional<ExactAmount> shownResult_;
  std::optional<ExactAmount> carriedAmount_;

  ConverterServices services_;
  std::string localeId_;
  std::shared_ptr<const NumberFormats> formats_;
  // The pair the user picked (or swapped to), which a currency named in the amount only covers
  // while the amount names it; the one remembered between openings.
  std::string chosenFrom_ = fromCurrency;
  std::string chosenTo_ = toCurrency;
  // The watched fields as `applyChanges` last saw them.
  std::string seenFrom_ = fromCurrency;
  std::string seenTo_ = toCurrency;
  std::string seenAmount_ = amountText;
  // Where the table in use came from; no time while there is no table.
  std::string ratesDate_;
  std::string ratesSource_;
  std::optional<std::chrono::system_clock::time_point> ratesFetchedAt_;
  // Why the last fetch failed; none once a fetch succeeds.
  RatesFailure lastFailure_ = RatesFailure::none;
  RateLineState rateLineState_ = RateLineState::loading;
  ResultState resultState_ = ResultState::none;
};

}  // namespace ovantic
