#pragma once

#include <unicode/unistr.h>

#include <string>
#include <string_view>

namespace ovantic {

// Trims the blanks typed amounts may carry: the tab and every Unicode space separator. Line
// breaks are deliberately not among them.
void trimBlanks(icu::UnicodeString& text);
std::string trimBlanks(std::string_view utf8);

// False for malformed UTF-8 (overlong forms, surrogates, truncated sequences, stray bytes).
bool isValidUtf8(std::string_view text);

// Removes every occurrence of `what` from `text`, ignoring case; an empty `what` removes nothing.
void removeAllIgnoringCase(icu::UnicodeString& text, const icu::UnicodeString& what);

}  // namespace ovantic
