#pragma once

#include <string>
#include <string_view>

namespace ovantic {

// The ICU locale id for shown numbers and dates: `configured` when it is set, otherwise the
// numeric locale the C library would pick from the environment (LC_ALL, then LC_NUMERIC, then
// LANG). ICU's own default looks at LC_MESSAGES first, which would format numbers in the
// language of the messages rather than the user's number conventions.
std::string resolveLocaleId(std::string_view configured);

// A POSIX locale name ("de_DE.UTF-8@euro", "C", "") as an ICU id; C, POSIX and nothing give
// en_US, since ICU's en_US_POSIX would drop the digit grouping users expect.
std::string icuLocaleIdFromPosix(std::string_view posix);

}  // namespace ovantic
