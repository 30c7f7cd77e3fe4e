#pragma once
// Shift-JIS (code page 932, with its extension rows) for the puzzle file, the
// settings file and the error log. The program keeps text as UTF-8 and converts
// only at these borders.

#include <string>
#include <string_view>

namespace tessaro {

// Characters code page 932 has no code for become "?"; broken UTF-8 bytes too.
std::string utf8ToCp932(std::string_view utf8);

// Byte sequences that are not code page 932 become U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

// True when b starts a double-byte character.
constexpr bool isCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The longest prefix of a code page 932 text that fits in `width` bytes
// without splitting a double-byte character.
std::string_view cutCp932(std::string_view cp932, size_t width);

// A fixed-width field: cut as above, then padded with spaces to `width`.
std::string cp932Field(std::string_view cp932, size_t width);

// Removes leading and trailing ASCII spaces (0x20) only, the record's padding;
// tabs and full-width spaces stay.
std::string_view trimSpaces(std::string_view s);

// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view s);

}  // namespace tessaro
