#pragma once

#include <string>
#include <string_view>

namespace tw::text {

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Windows-1251 bytes to UTF-8. Bytes the code page leaves undefined become U+FFFD.
std::string cp1251ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1251; characters the code page lacks become '?'.
std::string utf8ToCp1251(std::string_view text);

// A line read from a text file: taken as is when it is valid UTF-8, otherwise decoded
// from Windows-1251.
std::string decodeLine(std::string_view bytes);

} // namespace tw::text
