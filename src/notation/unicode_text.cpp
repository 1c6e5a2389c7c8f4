#include "notation/unicode_text.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>

namespace ovantic {

namespace {

bool isTrimmedBlank(UChar32 c) {
  return c == u'\t' || u_charType(c) == U_SPACE_SEPARATOR;
}

// Walks UTF-8 one code point at a time; malformed bytes come back as negative code points, which
// are never blanks.
struct Utf8Cursor {
  const uint8_t* bytes;
  int32_t length;

  UChar32 at(int32_t& index) const {
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    return c;
  }
};

}  // namespace

std::string trimBlanks(std::string_view utf8) {
  // Texts here are short UI strings, far below INT32_MAX; longer ones are left as they are.
  if (utf8.size() > static_cast<std::size_t>(INT32_MAX)) return std::string(utf8);
  const Utf8Cursor cursor{reinterpret_cast<const uint8_t*>(utf8.data()),
                          static_cast<int32_t>(utf8.size())};
  int32_t start = 0;
  while (start < cursor.length) {
    int32_t next = start;
    if (!isTrimmedBlank(cursor.at(next))) break;
    start = next;
  }
  int32_t end = start;
  int32_t index = start;
  while (index < cursor.length) {
    const UChar32 c = cursor.at(index);
    if (!isTrimmedBlank(c)) end = index;
  }
  return std::string(
      utf8.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
}

}  // namespace ovantic
