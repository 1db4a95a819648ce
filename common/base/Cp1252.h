// The game's 8-bit texts are in the Windows-1252 code page: table cells, member names in packs,
// the settings file. Every byte decodes to one character and back to the same byte (the five
// bytes the code page leaves undefined, 0x81, 0x8D, 0x8F, 0x90 and 0x9D, stand for the control
// characters of the same value), so a text survives a round trip through any of these.
#pragma once

#include <string>
#include <string_view>

namespace base {

// The character of one byte.
char32_t Cp1252Char(unsigned char byte);
// The byte of a character, or -1 when the code page has none.
int Cp1252Byte(char32_t c);

// 8-bit text as UTF-8, and back.
std::string Cp1252ToUtf8(std::string_view bytes);
enum class Utf8Conversion {
    OK,
    NOT_UTF8,     // the text is not valid UTF-8 (it may already be 8-bit text)
    UNMAPPABLE,   // a character has no byte in the code page
};
Utf8Conversion Utf8ToCp1252(std::string_view utf8, std::string& bytes);

// 8-bit text as UTF-16, and back; characters the code page cannot hold become "?", as the
// platform writes them, and clear `lossless` when it is given.
std::u16string Cp1252ToUtf16(std::string_view bytes);
std::string Utf16ToCp1252(std::u16string_view text, bool* lossless = nullptr);

// Letter case folded the way the platform lowers the game's 8-bit texts: A-Z, the accented
// capitals of 0xC0-0xDE (but the multiplication sign 0xD7), and 0x8A, 0x8C, 0x8E, 0x9F
// (Š, Œ, Ž, Ÿ) become their small letters; every other byte stays as it is.
unsigned char Cp1252Lower(unsigned char byte);
std::string Cp1252FoldCase(std::string_view bytes);

}  // namespace base
