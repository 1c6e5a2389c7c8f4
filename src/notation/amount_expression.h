#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "notation/unit_type.h"

namespace ovantic {

// What the reader of typed amounts needs to know about the user and the currencies in play.
struct AmountSyntax {
  // The user's numbers write a comma as decimal sign: a comma followed by one or two digits that
  // end the number is that sign, and points before it in the same number are grouping.
  bool decimalComma = false;
  // Whether a word or sign, as typed, names a currency. Unset: any ISO 4217 code, "Rs" and every
  // currency sign character.
  std::function<bool(std::string_view)> namesCurrency;
};

struct AmountReading {
  double amount;  // always finite
  // The largest scale the amount names (Cr for "2 crore 50 lakh"), none for a plain number; it
  // is what the badge shows.
  UnitType unit;
  // The currency word or sign as typed ("₹", "Rs", "usd"), empty when the amount names none.
  std::string currency;
};

// Reads an amount as people write it: a number with scale words before or after it ("2.5 cr",
// "l 5", "7 lacs", "1.5 lakh crore"), compounds said aloud ("2 crore 50 lakh"), arithmetic with
// + - * / × ÷ and parentheses, a currency sign or code, and Devanagari or Arabic-Indic digits.
// Absent for anything else, and for a result that is not finite. Linear in the text's length.
std::optional<AmountReading> readAmount(std::string_view text, const AmountSyntax& syntax = {});

}  // namespace ovantic
