#pragma once

#include <string>
#include <string_view>

namespace ovantic {

// Trims the blanks typed amounts may carry: the tab and every Unicode space separator. Line
// breaks are deliberately not among them.
std::string trimBlanks(std::string_view utf8);

}  // namespace ovantic
