#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ovantic {

// The currencies the converter offers, in picker order, with their flags and signs. The feed
// itself keeps every code the service lists; this is only what is offered and how it is shown.
const std::vector<std::string>& catalogueCodes();
const std::map<std::string, std::string>& catalogueFlags();
const std::map<std::string, std::string>& catalogueSymbols();
// The code's flag, or the empty text for a code outside the catalogue.
std::string flagFor(std::string_view code);
// The code's sign, or the code itself for one outside the catalogue.
std::string symbolFor(std::string_view code);

}  // namespace ovantic
