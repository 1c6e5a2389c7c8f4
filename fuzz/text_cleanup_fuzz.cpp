// Whatever stands in the result row, swapping and copying must produce sane texts: the bare
// number never keeps a grouping comma, a number the swap reads back is one the amount field
// reads too, and the copy text always starts with the sign.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "converter/currency_converter_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto view = ovantic::CurrencyConverterView::create({});
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string numeric = view->extractNumericValue(text);
  if (numeric.find(',') != std::string::npos) std::abort();
  const std::string copy = view->extractValueWithCurrency(text);
  if (copy.rfind("\u20B9 ", 0) != 0) std::abort();
  // The swap feeds what it read back in as the amount.
  const std::string amount = view->amountFromResult(text);
  if (amount.find(',') != std::string::npos) std::abort();
  if (amount != numeric && !ovantic::UnitType::parseAmount(amount)) std::abort();
  view->amountText = amount;
  view->convert();
  return 0;
}
