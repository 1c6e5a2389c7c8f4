#include "notation/unit_type.h"

#include <unicode/locid.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <memory>

#include "notation/number_reading.h"
#include "notation/unicode_text.h"

namespace ovantic {
namespace {

struct UnitPattern {
  const char16_t* pattern;
  UnitType unit;
};

// Tried in this order; the first row whose remainder reads as a number wins. The full word only
// counts at the very end of the text (\z: a trailing line break does not count as the end), the
// abbreviation wherever a word ends.
constexpr UnitPattern kUnitPatterns[] = {
    {u"crore\\z|cr\\b", UnitType::crore},      {u"lakh\\z|l\\b", UnitType::lakh},
    {u"billion\\z|b\\b", UnitType::billion},   {u"million\\z|m\\b", UnitType::million},
    {u"thousand\\z|k\\b", UnitType::thousand},
};
constexpr std::size_t kPatternCount = std::size(kUnitPatterns);

// Compiling is the expensive part of a search; the patterns never change, so each thread keeps
// one matcher per row and only resets it onto the next text.
class UnitMatchers {
 public:
  UnitMatchers() {
    for (std::size_t i = 0; i < kPatternCount; ++i) {
      UErrorCode status = U_ZERO_ERROR;
      matchers_[i].reset(new icu::RegexMatcher(icu::UnicodeString(kUnitPatterns[i].pattern),
                                               UREGEX_CASE_INSENSITIVE, status));
      if (U_FAILURE(status)) matchers_[i].reset();
    }
  }

  // Null for a row whose pattern did not compile: that row is skipped.
  icu::RegexMatcher* operator[](std::size_t i) { return matchers_[i].get(); }

 private:
  std::unique_ptr<icu::RegexMatcher> matchers_[kPatternCount];
};

std::optional<double> readUnicodeNumber(const icu::UnicodeString& text) {
  std::string utf8;
  text.toUTF8String(utf8);
  return readNumber(utf8);
}

}  // namespace

std::string_view UnitType::rawValue() const {
  switch (case_) {
    case none:
      return "";
    case thousand:
      return "thousand";
    case million:
      return "million";
    case billion:
      return "billion";
    case lakh:
      return "lakh";
    case crore:
      return "crore";
  }
  return "";
}

double UnitType::multiplier() const {
  switch (case_) {
    case none:
      return 1.0;
    case thousand:
      return 1'000.0;
    case million:
      return 1'000'000.0;
    case billion:
      return 1'000'000'000.0;
    case lakh:
      return 100'000.0;
    case crore:
      return 10'000'000.0;
  }
  return 1.0;
}

std::string_view UnitType::shortForm() const {
  switch (case_) {
    case none:
      return "";
    case thousand:
      return "K";
    case million:
      return "M";
    case billion:
      return "B";
    case lakh:
      return "L";
    case crore:
      return "Cr";
  }
  return "";
}

const std::array<UnitType, 6>& UnitType::allCases() {
  static constexpr std::array<UnitType, 6> cases{none, thousand, million, billion, lakh, crore};
  return cases;
}

std::optional<UnitType> UnitType::fromRawValue(std::string_view raw) {
  for (UnitType unit : allCases()) {
    if (unit.rawValue() == raw) return unit;
  }
  return std::nullopt;
}

std::optional<UnitDetection> UnitType::detect(std::string_view text) {
  // Malformed bytes cannot be part of a number, and letting ICU substitute U+FFFD for them
  // could make a scrambled text look like an amount.
  if (text.size() > static_cast<std::size_t>(INT32_MAX) || !isValidUtf8(text)) {
    return std::nullopt;
  }
  icu::UnicodeString t = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  // The root locale keeps "MILLION" reading as million under a Turkish user locale.
  t.toLower(icu::Locale::getRoot());
  trimBlanks(t);
  if (t.isEmpty()) return std::nullopt;

  thread_local UnitMatchers matchers;
  static const icu::UnicodeString kNothing;
  for (std::size_t row = 0; row < kPatternCount; ++row) {
    icu::RegexMatcher* matcher = matchers[row];
    if (matcher == nullptr) continue;
    matcher->reset(t);
    UErrorCode status = U_ZERO_ERROR;
    const bool found = matcher->find(status);
    const int32_t start = found ? matcher->start(status) : 0;
    const int32_t end = found ? matcher->end(status) : 0;
    // A matcher refers to its text; it must not outlive `t` pointing at it.
    matcher->reset(kNothing);
    if (U_FAILURE(status) || !found) continue;

    icu::UnicodeString rest(t);
    removeAllIgnoringCase(rest, icu::UnicodeString(t, start, end - start));
    trimBlanks(rest);
    if (const auto value = readUnicodeNumber(rest))
      return UnitDetection{*value, kUnitPatterns[row].unit};
  }
  if (const auto value = readUnicodeNumber(t)) return UnitDetection{*value, none};
  return std::nullopt;
}

std::optional<double> UnitType::parseAmount(std::string_view text) {
  const auto detection = detect(text);
  if (!detection) return std::nullopt;
  return detection->value * detection->unit.multiplier();
}

UnitFormatting UnitType::formatValue(double value, std::string_view currency) {
  UnitType unit = none;
  if (currency == "INR") {
    if (value >= 10'000'000.0) {
      unit = crore;
    } else if (value >= 100'000.0) {
      unit = lakh;
    }
  } else if (value >= 1'000'000'000.0) {
    unit = billion;
  } else if (value >= 1'000'000.0) {
    unit = million;
  }
  return UnitFormatting{formatFixed(value / unit.multiplier(), 2), unit};
}

}  // namespace ovantic
