#pragma once

namespace ovantic {

// The public service the shipped program asks for units of every currency per one US dollar.
inline constexpr const char* defaultRatesUrl = "https://api.exchangerate-api.com/v4/latest/USD";

}  // namespace ovantic
