#pragma once

#include <unicode/unistr.h>

#include <string>
#include <string_view>

namespace ovantic {

// The blanks typed amounts are trimmed of: the tab and every Unicode space separator. Line
// breaks are deliberately not among them.
bool isTrimmedBlank(UChar32 c);

void trimBlanks(icu::UnicodeString& text);
std::string trimBlanks(std::string_view utf8);

// False for malformed UTF-8 (overlong forms, surrogates, truncated sequences, stray bytes).
bool isValidUtf8(std::string_view text);

// Removes every occurrence of `what` from `text`, ignoring case; an empty `what` removes nothing.
void removeAllIgnoringCase(icu::UnicodeString& text, const icu::UnicodeString& what);

}  // namespace ovantic
