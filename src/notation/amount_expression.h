#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "notation/unit_type.h"

namespace ovantic {

// What the reader of typed amounts needs to know about the user and the currencies in play.
struct AmountSyntax {
  // The user's numbers write a comma as decimal sign and group with points. A number whose
  // separators cannot mean that in this convention is read in the other one.
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
  // The currency after "to" or "in" ("100 usd to eur"), as typed; empty when there is none.
  std::string target;
};

// Amounts and results are doubles shown to two decimals: from here on a double no longer holds
// every digit to the paisa (fifteen significant digits), so a larger amount is no amount.
inline constexpr double kLargestAmount = 1e13;

// Reads an amount as people write it: a number with scale words before or after it ("2.5 cr",
// "l 5", "7 lacs", "1.5 lakh crore", "3,5 Mio"), compounds said aloud ("2 crore 50 lakh"),
// arithmetic with + - * / × ÷ and parentheses, a percentage added or taken off ("+ 18%"), a
// currency sign, code or name, a target ("to eur", "in inr"), a closing "/-", digits grouped by
// commas, points or spaces, and Devanagari or Arabic-Indic digits. Absent for anything else, and
// for a result that is not finite or not below kLargestAmount. Linear in the text's length.
std::optional<AmountReading> readAmount(std::string_view text, const AmountSyntax& syntax = {});

}  // namespace ovantic
