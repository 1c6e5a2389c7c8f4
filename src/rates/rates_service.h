#pragma once

namespace ovantic {

// The public service the shipped program asks for units of every currency per one US dollar.
inline constexpr const char* defaultRatesUrl = "https://api.exchangerate-api.com/v4/latest/USD";

// Asked when the first fails in any way: the daily rates published as an npm package, from its
// CDN and then its mirror. Independent of the first service in host, publisher and format.
inline constexpr const char* defaultFallbackRatesUrl =
    "https://cdn.jsdelivr.net/npm/@fawazahmed0/currency-api@latest/v1/currencies/usd.min.json";
inline constexpr const char* defaultFallbackMirrorUrl =
    "https://latest.currency-api.pages.dev/v1/currencies/usd.min.json";

}  // namespace ovantic
