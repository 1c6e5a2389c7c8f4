#include "notation/amount_expression.h"

#include <unicode/uchar.h>
#include <unicode/ucurr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "notation/number_reading.h"

namespace ovantic {
namespace {

// Parentheses deeper than this are no amount anyone types; the cap keeps the reader's own
// recursion bounded whatever the text.
constexpr int kMaxDepth = 32;

struct ScaleWord {
  std::u32string_view word;  // lower case
  double multiplier;
  UnitType unit;  // what the badge shows for it
};

constexpr ScaleWord kScaleWords[] = {
    {U"lakh", 1e5, UnitType::lakh},
    {U"lakhs", 1e5, UnitType::lakh},
    {U"lac", 1e5, UnitType::lakh},
    {U"lacs", 1e5, UnitType::lakh},
    {U"l", 1e5, UnitType::lakh},
    {U"\u0932\u093E\u0916", 1e5, UnitType::lakh},  // लाख
    {U"crore", 1e7, UnitType::crore},
    {U"crores", 1e7, UnitType::crore},
    {U"cr", 1e7, UnitType::crore},
    {U"crs", 1e7, UnitType::crore},
    // करोड़, with the nukta apart or precomposed, and as often typed without it.
    {U"\u0915\u0930\u094B\u0921\u093C", 1e7, UnitType::crore},
    {U"\u0915\u0930\u094B\u095C", 1e7, UnitType::crore},
    {U"\u0915\u0930\u094B\u0921", 1e7, UnitType::crore},
    {U"thousand", 1e3, UnitType::thousand},
    {U"thousands", 1e3, UnitType::thousand},
    {U"k", 1e3, UnitType::thousand},
    // हज़ार (both nukta forms) and हजार.
    {U"\u0939\u091C\u093C\u093E\u0930", 1e3, UnitType::thousand},
    {U"\u0939\u095B\u093E\u0930", 1e3, UnitType::thousand},
    {U"\u0939\u091C\u093E\u0930", 1e3, UnitType::thousand},
    {U"million", 1e6, UnitType::million},
    {U"millions", 1e6, UnitType::million},
    {U"mn", 1e6, UnitType::million},
    {U"m", 1e6, UnitType::million},
    {U"billion", 1e9, UnitType::billion},
    {U"billions", 1e9, UnitType::billion},
    {U"bn", 1e9, UnitType::billion},
    {U"b", 1e9, UnitType::billion},
    {U"mio", 1e6, UnitType::million},  // German
    {U"mrd", 1e9, UnitType::billion},
    {U"arab", 1e9, UnitType::billion},                // a hundred crore
    {U"\u0905\u0930\u092C", 1e9, UnitType::billion},  // अरब
};

const ScaleWord* scaleWord(std::u32string_view lower) {
  for (const ScaleWord& word : kScaleWords) {
    if (word.word == lower) return &word;
  }
  return nullptr;
}

// "la", "lak", "cro": still being typed towards a scale word, so never a currency (LAK is the
// Lao kip, and "45 lak" is a lakh half typed).
bool beginsScaleWord(std::u32string_view lower) {
  return std::any_of(std::begin(kScaleWords), std::end(kScaleWords), [lower](const ScaleWord& w) {
    return w.word.size() > lower.size() && w.word.starts_with(lower);
  });
}

bool isDigit(char32_t c) {
  return c >= U'0' && c <= U'9';
}
bool isHexDigit(char32_t c) {
  return isDigit(c) || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
}
bool isBlank(char32_t c) {
  return c == U'\t' || u_charType(static_cast<UChar32>(c)) == U_SPACE_SEPARATOR;
}
bool isSign(char32_t c) {
  return u_charType(static_cast<UChar32>(c)) == U_CURRENCY_SYMBOL;
}
bool isWordStart(char32_t c) {
  return u_isalpha(static_cast<UChar32>(c)) != 0;
}
bool isWordPart(char32_t c) {
  // Devanagari words carry vowel signs, viramas and nuktas, which are marks, not letters.
  return isWordStart(c) || (U_GET_GC_MASK(static_cast<UChar32>(c)) & U_GC_M_MASK) != 0;
}
// What locales put between groups of digits besides the comma and the point: the no-break and
// thin spaces of French and others, the apostrophes of Swiss German.
bool isGroupMark(char32_t c) {
  return c == U'\u00A0' || c == U'\u202F' || c == U'\u2009' || c == U'\u2007' || c == U'\'' ||
         c == U'\u2019';
}

// Digits of every script (Devanagari, Arabic-Indic, Bengali, ...), and the signs that stand for
// ASCII ones.
char32_t plainForm(char32_t c) {
  const auto point = static_cast<UChar32>(c);
  if (c > 0x7F && u_charType(point) == U_DECIMAL_DIGIT_NUMBER) {
    return U'0' + static_cast<char32_t>(u_charDigitValue(point));
  }
  switch (c) {
    case U'\u066B':  // Arabic decimal sign
      return U'.';
    case U'\u066C':  // Arabic thousands separator
    case U'\u2E41':  // Adlam's reversed comma
    case U'\u060C':  // Arabic comma, N'Ko's group separator from ICU 76 on
      return U',';
    case U'\u2212':  // minus sign
      return U'-';
    case U'\u00D7':
      return U'*';
    case U'\u00F7':
      return U'/';
    default:
      return c;
  }
}

std::string toUtf8(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) {
    const auto byte = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (c < 0x80) {
      byte(c);
    } else if (c < 0x800) {
      byte(0xC0 | (c >> 6));
      byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      byte(0xE0 | (c >> 12));
      byte(0x80 | ((c >> 6) & 0x3F));
      byte(0x80 | (c & 0x3F));
    } else {
      byte(0xF0 | (c >> 18));
      byte(0x80 | ((c >> 12) & 0x3F));
      byte(0x80 | ((c >> 6) & 0x3F));
      byte(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Decodes valid UTF-8 into plain forms; absent for malformed bytes, which are never part of an
// amount.
std::optional<std::u32string> plainCodePoints(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(INT32_MAX)) return std::nullopt;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  std::u32string out;
  out.reserve(text.size());
  int32_t index = 0;
  while (index < length) {
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    if (c < 0) return std::nullopt;
    out.push_back(plainForm(static_cast<char32_t>(c)));
  }
  return out;
}

// Whether the integer part's groups are a grouping: Western (1,234,567) or Indian (12,34,567).
// Between no-break blanks ICU also writes pairs all along (1 02 61 72 09 in Toki Pona from ICU 76
// on): what Ovantic copies in such a locale must read back, and nobody types those blanks.
bool wellGrouped(const std::vector<std::size_t>& sizes, bool leadingZero, bool byMarks) {
  if (sizes.size() == 1) return true;
  if (leadingZero || sizes.front() < 1 || sizes.front() > 3) return false;
  const auto all = [&](std::size_t first, std::size_t last, std::size_t size) {
    return std::all_of(sizes.begin() + static_cast<std::ptrdiff_t>(first),
                       sizes.begin() + static_cast<std::ptrdiff_t>(last),
                       [size](std::size_t s) { return s == size; });
  };
  if (byMarks && sizes.front() <= 2 && all(1, sizes.size(), 2)) return true;
  if (sizes.back() != 3) return false;
  return all(1, sizes.size(), 3) || (sizes.front() <= 2 && all(1, sizes.size() - 1, 2));
}

// One number's digits and separators read with `decimalSign`; the other of point and comma, and
// the blanks and marks of isGroupMark, may only group the integer part. Absent when the
// separators cannot mean that.
std::optional<std::u32string> plainNumber(std::u32string_view run, char32_t decimalSign) {
  const std::size_t decimal = run.find(decimalSign);
  if (decimal != std::u32string_view::npos &&
      run.find(decimalSign, decimal + 1) != std::u32string_view::npos) {
    return std::nullopt;
  }
  const std::u32string_view whole = run.substr(0, decimal);
  const std::u32string_view fraction =
      decimal == std::u32string_view::npos ? U"" : run.substr(decimal + 1);
  if (!std::all_of(fraction.begin(), fraction.end(), isDigit)) return std::nullopt;
  std::u32string out;
  std::vector<std::size_t> sizes{0};
  bool byMarks = true;
  for (const char32_t c : whole) {
    if (isDigit(c)) {
      ++sizes.back();
      out.push_back(c);
    } else if (c == decimalSign) {
      return std::nullopt;
    } else {
      byMarks = byMarks && isGroupMark(c);
      sizes.push_back(0);
    }
  }
  if (!wellGrouped(sizes, !whole.empty() && whole.front() == U'0', byMarks)) return std::nullopt;
  if (out.empty() && fraction.empty()) return std::nullopt;
  if (decimal != std::u32string_view::npos) out += U'.' + std::u32string(fraction);
  return out;
}

// Rewrites every number with a point as its only decimal sign and no grouping. A number is read
// in the user's convention, or else in the other one when its separators can only mean that
// ("1.234,56" under a decimal point, "2.5" under a decimal comma); one that neither reads is
// left broken, so the amount is Invalid rather than a thousandfold slip.
std::u32string withPlainNumbers(const std::u32string& in, bool decimalComma) {
  std::u32string out;
  out.reserve(in.size());
  const auto between = [&in](std::size_t i) {
    return i > 0 && i + 1 < in.size() && isDigit(in[i - 1]) && isDigit(in[i + 1]);
  };
  std::size_t i = 0;
  while (i < in.size()) {
    const char32_t c = in[i];
    // "Rs.500", "Cr.": a point after a letter ends an abbreviation.
    const bool starts = isDigit(c) || c == U',' || (c == U'.' && !(i > 0 && isWordPart(in[i - 1])));
    if (!starts) {
      out.push_back(c);
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < in.size() && (isDigit(in[end]) || in[end] == U'.' || in[end] == U',' ||
                               ((in[end] == U' ' || isGroupMark(in[end])) && between(end)))) {
      ++end;
    }
    const std::u32string_view run(in.data() + i, end - i);
    i = end;
    if (std::none_of(run.begin(), run.end(), isDigit)) {
      // Commas outside numbers were always dropped; a lone point is left to fail.
      for (const char32_t r : run)
        if (r == U'.') out.push_back(r);
      continue;
    }
    auto plain = plainNumber(run, decimalComma ? U',' : U'.');
    if (!plain) plain = plainNumber(run, decimalComma ? U'.' : U',');
    if (!plain) {
      out.push_back(U'#');  // no number at all
      continue;
    }
    out += *plain;
  }
  return out;
}

enum class Kind { number, scale, plus, minus, times, divide, open, close, percent };

struct Token {
  Kind kind;
  double value = 0;                // the number, or the scale's multiplier
  UnitType unit = UnitType::none;  // the scale's badge
};

// The length of the C-library number (decimal or hexadecimal, with exponent) at `i`; 0 if none.
std::size_t numberLength(const std::u32string& s, std::size_t i) {
  const std::size_t n = s.size();
  std::size_t j = i;
  const bool hex = s[i] == U'0' && i + 1 < n && (s[i + 1] == U'x' || s[i + 1] == U'X');
  const auto digit = hex ? isHexDigit : isDigit;
  if (hex) j += 2;
  std::size_t digits = 0;
  while (j < n && digit(s[j])) ++j, ++digits;
  if (j < n && s[j] == U'.') {
    ++j;
    while (j < n && digit(s[j])) ++j, ++digits;
  }
  if (digits == 0) return hex ? 1 : 0;  // "0x" alone is the number 0 followed by a word
  const char32_t mark = hex ? U'p' : U'e';
  if (j < n && (s[j] == mark || s[j] == mark - 32)) {
    std::size_t k = j + 1;
    if (k < n && (s[k] == U'+' || s[k] == U'-')) ++k;
    const std::size_t exponentStart = k;
    while (k < n && isDigit(s[k])) ++k;
    if (k > exponentStart) j = k;
  }
  return j - i;
}

bool defaultNamesCurrency(std::u32string_view typed) {
  if (isSign(typed.back())) return true;  // "₹", "US$"
  std::string lower;
  for (const char32_t c : typed) {
    if (c > 0x7F) return false;
    lower.push_back(static_cast<char>(std::tolower(static_cast<int>(c))));
  }
  if (lower == "rs") return true;
  if (lower.size() != 3) return false;
  const char16_t code[4] = {static_cast<char16_t>(std::toupper(lower[0])),
                            static_cast<char16_t>(std::toupper(lower[1])),
                            static_cast<char16_t>(std::toupper(lower[2])), 0};
  UErrorCode status = U_ZERO_ERROR;
  return ucurr_isAvailable(code, U_DATE_MIN, U_DATE_MAX, &status) && U_SUCCESS(status);
}

struct Tokens {
  std::vector<Token> list;
  std::string currency;  // as first typed
  std::u32string currencyKey;
  // "100 usd to eur": after "to" or "in" comes the target currency and nothing else.
  enum class Target { none, wanted, named } targetState = Target::none;
  std::string target;
};

bool addCurrency(Tokens& tokens, std::u32string_view typed, const AmountSyntax& syntax) {
  const std::string text = toUtf8(typed);
  if (!(syntax.namesCurrency ? syntax.namesCurrency(text) : defaultNamesCurrency(typed))) {
    return false;
  }
  if (tokens.targetState == Tokens::Target::wanted) {
    tokens.target = text;
    tokens.targetState = Tokens::Target::named;
    return true;
  }
  std::u32string key;
  for (const char32_t c : typed)
    key.push_back(static_cast<char32_t>(u_tolower(static_cast<UChar32>(c))));
  if (tokens.currency.empty()) {
    tokens.currency = text;
    tokens.currencyKey = std::move(key);
    return true;
  }
  // One amount is in one currency.
  return key == tokens.currencyKey;
}

std::optional<Tokens> tokenize(const std::u32string& s, const AmountSyntax& syntax) {
  Tokens tokens;
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    const char32_t c = s[i];
    if (isBlank(c)) {
      ++i;
      continue;
    }
    if (tokens.targetState == Tokens::Target::named ||
        (tokens.targetState == Tokens::Target::wanted && !isSign(c) && !isWordStart(c))) {
      return std::nullopt;
    }
    if (isDigit(c) || c == U'.') {
      const std::size_t length = numberLength(s, i);
      if (length == 0) return std::nullopt;
      std::string ascii;
      ascii.reserve(length);
      for (std::size_t k = i; k < i + length; ++k) ascii.push_back(static_cast<char>(s[k]));
      const std::optional<double> value = readNumber(ascii);
      if (!value || !std::isfinite(*value)) return std::nullopt;
      tokens.list.push_back({Kind::number, *value});
      i += length;
    } else if (std::u32string_view(U"+-*/()%").find(c) != std::u32string_view::npos) {
      constexpr Kind kinds[] = {Kind::plus, Kind::minus, Kind::times,  Kind::divide,
                                Kind::open, Kind::close, Kind::percent};
      tokens.list.push_back({kinds[std::u32string_view(U"+-*/()%").find(c)]});
      ++i;
    } else if (isSign(c)) {
      if (!addCurrency(tokens, s.substr(i, 1), syntax)) return std::nullopt;
      ++i;
    } else if (isWordStart(c)) {
      std::size_t end = i + 1;
      while (end < n && isWordPart(s[end])) ++end;
      std::u32string lower;
      for (std::size_t k = i; k < end; ++k) {
        lower.push_back(static_cast<char32_t>(u_tolower(static_cast<UChar32>(s[k]))));
      }
      const std::u32string_view typed(s.data() + i, end - i);
      const bool wanted = tokens.targetState == Tokens::Target::wanted;
      const ScaleWord* word = wanted ? nullptr : scaleWord(lower);
      if ((lower == U"to" || lower == U"in") && !wanted && !tokens.list.empty()) {
        tokens.targetState = Tokens::Target::wanted;
      } else if (word) {
        tokens.list.push_back({Kind::scale, word->multiplier, word->unit});
        // "3 Cr." — the abbreviation's point, unless it starts a fraction.
        if (end < n && s[end] == U'.' && !(end + 1 < n && isDigit(s[end + 1]))) ++end;
      } else if (end < n && isSign(s[end]) && end - i <= 3) {
        if (!addCurrency(tokens, s.substr(i, end - i + 1), syntax)) return std::nullopt;
        ++end;  // "US$"
      } else {
        if (end == n && !wanted && beginsScaleWord(lower)) return std::nullopt;
        if (!addCurrency(tokens, typed, syntax)) return std::nullopt;
        if (end < n && s[end] == U'.') ++end;  // "Rs.500"
      }
      i = end;
    } else {
      return std::nullopt;
    }
  }
  if (tokens.targetState == Tokens::Target::wanted) return std::nullopt;
  return tokens;
}

// Recursive descent over the tokens: sums of products of signed factors, where a factor is a
// parenthesised expression or an amount with its scales. Every step must stay finite.
class Evaluator {
 public:
  explicit Evaluator(const std::vector<Token>& tokens) : t_(tokens) {}

  std::optional<double> whole() {
    const auto value = sum(0);
    if (!value || i_ != t_.size()) return std::nullopt;
    return value;
  }
  UnitType largest() const { return largest_; }

 private:
  bool at(Kind kind) const { return i_ < t_.size() && t_[i_].kind == kind; }

  // An underflow is as far out of range as an overflow: a value too small to keep a double's
  // full precision could not be re-expressed in a unit and read back the same.
  static std::optional<double> finite(double value) {
    if (!std::isfinite(value) || std::fpclassify(value) == FP_SUBNORMAL) return std::nullopt;
    return value;
  }

  std::optional<double> sum(int depth) {
    auto value = product(depth);
    while (value && (at(Kind::plus) || at(Kind::minus))) {
      const bool plus = t_[i_++].kind == Kind::plus;
      auto next = product(depth);
      if (!next) return std::nullopt;
      // "12.5 lakh + 18%": a percentage on its own after + or - is of what it is added to.
      if (percent_) next = finite(*value * *next);
      if (!next) return std::nullopt;
      value = finite(plus ? *value + *next : *value - *next);
    }
    return value;
  }

  std::optional<double> product(int depth) {
    auto value = factor(depth);
    bool lonePercent = percent_;
    while (value && (at(Kind::times) || at(Kind::divide))) {
      lonePercent = false;
      const bool times = t_[i_++].kind == Kind::times;
      const auto next = factor(depth);
      if (!next || (!times && *next == 0)) return std::nullopt;
      value = finite(times ? *value * *next : *value / *next);
    }
    percent_ = lonePercent;
    return value;
  }

  std::optional<double> factor(int depth) {
    bool negative = false;
    while (at(Kind::plus) || at(Kind::minus)) negative ^= t_[i_++].kind == Kind::minus;
    std::optional<double> value;
    if (at(Kind::open)) {
      if (depth >= kMaxDepth) return std::nullopt;
      ++i_;
      value = sum(depth + 1);
      if (!value || !at(Kind::close)) return std::nullopt;
      ++i_;
    } else {
      value = compound();
    }
    if (value && negative) *value = -*value;
    percent_ = value && at(Kind::percent);
    if (percent_) {
      ++i_;
      value = finite(*value / 100);
    }
    return value;
  }

  // Quantities said one after the other, each with a smaller scale than the one before:
  // "2 crore 50 lakh", "1 lakh 20 thousand".
  std::optional<double> compound() {
    double scale = 0;
    auto total = quantity(scale);
    double previousScale = scale;
    while (total && (at(Kind::number) || at(Kind::scale))) {
      if (previousScale == 1) return std::nullopt;  // "5 5", "2cr5"
      const auto next = quantity(scale);
      if (!next || scale == 1 || scale >= previousScale) return std::nullopt;
      total = finite(*total + *next);
      previousScale = scale;
    }
    return total;
  }

  // A number with its scales: "l 5" (a scale before it may be repeated after it: "k5K"), or
  // "1.5 lakh crore" (scales after it multiply).
  std::optional<double> quantity(double& scale) {
    scale = 1;
    if (at(Kind::scale)) {
      const Token& before = t_[i_++];
      if (!at(Kind::number)) return std::nullopt;
      const double number = t_[i_++].value;
      if (at(Kind::scale) && t_[i_].value == before.value && t_[i_].unit == before.unit) ++i_;
      note(before.unit);
      scale = before.value;
      return finite(number * scale);
    }
    if (!at(Kind::number)) return std::nullopt;
    double value = t_[i_++].value;
    while (at(Kind::scale)) {
      note(t_[i_].unit);
      scale *= t_[i_].value;
      value *= t_[i_].value;
      ++i_;
    }
    if (!std::isfinite(scale)) return std::nullopt;
    return finite(value);
  }

  void note(UnitType unit) {
    if (unit.multiplier() > largest_.multiplier()) largest_ = unit;
  }

  const std::vector<Token>& t_;
  std::size_t i_ = 0;
  UnitType largest_ = UnitType::none;
  bool percent_ = false;  // the factor or product just read was a lone percentage
};

}  // namespace

std::optional<AmountReading> readAmount(std::string_view text, const AmountSyntax& syntax) {
  std::optional<std::u32string> plain = plainCodePoints(text);
  if (!plain) return std::nullopt;
  // "Rs 12,34,567.89/-": the dash that closes amounts on Indian bills and cheques.
  std::size_t end = plain->size();
  while (end > 0 && isBlank((*plain)[end - 1])) --end;
  if (std::u32string_view(*plain).substr(0, end).ends_with(U"/-")) plain->resize(end - 2);
  const std::optional<Tokens> tokens =
      tokenize(withPlainNumbers(*plain, syntax.decimalComma), syntax);
  if (!tokens || tokens->list.empty()) return std::nullopt;
  Evaluator evaluator(tokens->list);
  const std::optional<double> amount = evaluator.whole();
  if (!amount || std::fabs(*amount) >= kLargestAmount) return std::nullopt;
  return AmountReading{*amount, evaluator.largest(), tokens->currency, tokens->target};
}

}  // namespace ovantic
