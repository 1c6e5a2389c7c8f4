#include "rates/currency_details.h"

#include <unicode/ucurr.h>
#include <unicode/uenum.h>
#include <unicode/uloc.h>
#include <unicode/upluralrules.h>
#include <unicode/ures.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "rates/currency_catalogue.h"

namespace ovantic {
namespace {

constexpr const char* kLanguage = "en";

bool isUpperCode(std::string_view code, std::size_t length) {
  return code.size() == length &&
         std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

std::string utf8(const UChar* text, int32_t length) {
  std::string out(static_cast<std::size_t>(length) * 3 + 1, '\0');
  int32_t written = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &written, text, length, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(written));
  return out;
}

struct ResourceCloser {
  void operator()(UResourceBundle* bundle) const { ures_close(bundle); }
};
using Resource = std::unique_ptr<UResourceBundle, ResourceCloser>;

// ICU keeps which region pays in which currency, and since when, in its currency data; only the
// entries still running today (no end date, not marked as no tender) count.
std::map<std::string, std::vector<std::string>> loadRegionsByCurrency() {
  std::map<std::string, std::vector<std::string>> regions;
  UErrorCode status = U_ZERO_ERROR;
  const Resource data(ures_openDirect(U_ICUDATA_NAME "-curr", "supplementalData", &status));
  const Resource map(ures_getByKey(data.get(), "CurrencyMap", nullptr, &status));
  if (U_FAILURE(status)) return regions;
  Resource region;
  while (ures_hasNext(map.get())) {
    region.reset(ures_getNextResource(map.get(), region.release(), &status));
    if (U_FAILURE(status)) break;
    const std::string regionCode = ures_getKey(region.get());
    Resource entry;
    while (ures_hasNext(region.get())) {
      entry.reset(ures_getNextResource(region.get(), entry.release(), &status));
      if (U_FAILURE(status)) return regions;
      UErrorCode lookup = U_ZERO_ERROR;
      int32_t length = 0;
      const UChar* id = ures_getStringByKey(entry.get(), "id", &length, &lookup);
      if (U_FAILURE(lookup)) continue;
      const std::string code = utf8(id, length);
      UErrorCode ended = U_ZERO_ERROR;
      Resource to(ures_getByKey(entry.get(), "to", nullptr, &ended));
      if (U_SUCCESS(ended)) continue;
      UErrorCode tenderLookup = U_ZERO_ERROR;
      const UChar* tender = ures_getStringByKey(entry.get(), "tender", &length, &tenderLookup);
      if (U_SUCCESS(tenderLookup) && utf8(tender, length) == "false") continue;
      regions[code].push_back(regionCode);
    }
  }
  for (auto& [code, list] : regions) std::sort(list.begin(), list.end());
  return regions;
}

const std::map<std::string, std::vector<std::string>>& regionsByCurrency() {
  static const auto regions = loadRegionsByCurrency();
  return regions;
}

// ISO 4217 codes of the kinds in `types` (a mask of ICU's UCurrCurrencyType).
std::set<std::string, std::less<>> isoCodes(uint32_t types) {
  std::set<std::string, std::less<>> codes;
  UErrorCode status = U_ZERO_ERROR;
  UEnumeration* all = ucurr_openISOCurrencies(types, &status);
  if (U_FAILURE(status)) return codes;
  while (const char* code = uenum_next(all, nullptr, &status)) {
    if (U_FAILURE(status)) break;
    codes.emplace(code);
  }
  uenum_close(all);
  return codes;
}

// What ICU says of a three-letter code, asked through `lookup(isoCode, isChoiceFormat, length,
// status)`: the text, or nothing where ICU falls back to the code.
template <typename Lookup>
std::string icuTextFor(std::string_view code, Lookup lookup) {
  if (!isUpperCode(code, 3)) return {};
  UChar isoCode[4];
  u_charsToUChars(code.data(), isoCode, 3);
  isoCode[3] = 0;
  UErrorCode status = U_ZERO_ERROR;
  UBool isChoiceFormat = false;
  int32_t length = 0;
  const UChar* text = lookup(isoCode, &isChoiceFormat, &length, &status);
  if (U_FAILURE(status) || status == U_USING_DEFAULT_WARNING || text == nullptr) return {};
  return utf8(text, length);
}

// `kind` is one of ICU's UCurrNameStyle.
std::string icuCurrencyText(std::string_view code, UCurrNameStyle kind) {
  return icuTextFor(code,
                    [kind](const UChar* iso, UBool* choice, int32_t* length, UErrorCode* status) {
                      return ucurr_getName(iso, kLanguage, kind, choice, length, status);
                    });
}

std::string icuPluralName(std::string_view code, const char* count) {
  return icuTextFor(code,
                    [count](const UChar* iso, UBool* choice, int32_t* length, UErrorCode* status) {
                      return ucurr_getPluralName(iso, kLanguage, choice, count, length, status);
                    });
}

std::string countryName(const std::string& region) {
  const std::string locale = "und_" + region;
  UChar name[128];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = uloc_getDisplayCountry(locale.c_str(), kLanguage, name, 128, &status);
  if (U_FAILURE(status) || status == U_USING_DEFAULT_WARNING) return {};
  return utf8(name, length);
}

}  // namespace

bool isIsoCurrency(std::string_view code) {
  static const auto codes = isoCodes(UCURR_ALL);
  return codes.contains(code);
}

bool isCommonCurrency(std::string_view code) {
  static const auto codes = isoCodes(UCURR_COMMON | UCURR_NON_DEPRECATED);
  return codes.contains(code);
}

std::string currencyName(std::string_view code) {
  return icuCurrencyText(code, UCURR_LONG_NAME);
}

std::string currencyNameForOne(std::string_view code) {
  return icuPluralName(code, "one");
}

std::string currencyNameForMany(std::string_view code) {
  return icuPluralName(code, "other");
}

const std::vector<std::string>& commonCurrencies() {
  static const std::vector<std::string> codes = [] {
    const auto set = isoCodes(UCURR_COMMON | UCURR_NON_DEPRECATED);
    return std::vector<std::string>(set.begin(), set.end());
  }();
  return codes;
}

std::string currencyPluralName(std::string_view code, double count) {
  if (!isUpperCode(code, 3)) return std::string(code);
  // English plural rules: the names are English too.
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<UPluralRules, decltype(&uplrules_close)> rules(
      uplrules_open(kLanguage, &status), &uplrules_close);
  UChar keyword[16];
  int32_t keywordLength =
      U_SUCCESS(status) ? uplrules_select(rules.get(), count, keyword, 16, &status) : 0;
  char plural[16] = "other";
  if (U_SUCCESS(status) && keywordLength > 0 && keywordLength < 16) {
    u_UCharsToChars(keyword, plural, keywordLength);
    plural[keywordLength] = 0;
  }
  const std::string name = icuPluralName(code, plural);
  return name.empty() ? std::string(code) : name;
}

std::string currencySign(std::string_view code) {
  std::string sign = icuCurrencyText(code, UCURR_SYMBOL_NAME);
  return sign.empty() ? std::string(code) : sign;
}

const std::vector<std::string>& currencyRegions(std::string_view code) {
  static const std::vector<std::string> none;
  const auto& regions = regionsByCurrency();
  const auto found = regions.find(std::string(code));
  return found == regions.end() ? none : found->second;
}

std::string currencyRegion(std::string_view code) {
  if (!isUpperCode(code, 3)) return {};
  const std::vector<std::string>& regions = currencyRegions(code);
  // ISO 4217 codes start with their country's code: CHF is Switzerland's though Liechtenstein
  // pays in it too, INR India's though Bhutan does, EUR the European Union's. The X codes of
  // shared currencies (XAF, XCD) start with no region, so they get none.
  const std::string own(code.substr(0, 2));
  if (std::find(regions.begin(), regions.end(), own) != regions.end()) return own;
  return regions.size() == 1 ? regions.front() : std::string();
}

std::string regionFlag(std::string_view region) {
  if (!isUpperCode(region, 2)) return {};
  std::string flag;
  for (const char letter : region) {
    // Regional indicator symbols start at U+1F1E6; in UTF-8 all of them begin F0 9F 87.
    const auto low = static_cast<char>(0xA6 + (letter - 'A'));
    flag += "\xF0\x9F\x87";
    flag += low;
  }
  return flag;
}

const CurrencyDetails& currencyDetails(std::string_view code) {
  static std::mutex guard;
  static std::map<std::string, CurrencyDetails, std::less<>> known;
  const std::lock_guard lock(guard);
  if (const auto found = known.find(code); found != known.end()) return found->second;
  CurrencyDetails details;
  details.code = std::string(code);
  details.name = currencyName(code);
  if (details.name.empty()) details.name = details.code;
  details.flag = flagFor(code);
  for (const std::string& region : currencyRegions(code)) {
    std::string country = countryName(region);
    if (!country.empty()) details.countries.push_back(std::move(country));
  }
  return known.emplace(details.code, std::move(details)).first->second;
}

}  // namespace ovantic
