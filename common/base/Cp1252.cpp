#include "Cp1252.h"

#include <array>

namespace base {
namespace {

// Characters of the bytes 0x80-0x9F; the undefined 0x81, 0x8D, 0x8F, 0x90 and 0x9D stand for
// themselves.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr std::array<unsigned char, 256> MakeLowerTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<unsigned char>(b);
    for (int b = 'A'; b <= 'Z'; ++b)
        table[b] = static_cast<unsigned char>(b + 32);
    for (int b = 0xC0; b <= 0xDE; ++b) {
        if (b != 0xD7) table[b] = static_cast<unsigned char>(b + 32);
    }
    table[0x8A] = 0x9A;  // Š
    table[0x8C] = 0x9C;  // Œ
    table[0x8E] = 0x9E;  // Ž
    table[0x9F] = 0xFF;  // Ÿ
    return table;
}
constexpr std::array<unsigned char, 256> kLower = MakeLowerTable();

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The next character of UTF-8 text at `i`, or -1 when the bytes there are no valid UTF-8
// (overlong forms, surrogates and values past U+10FFFF included).
long NextUtf8(std::string_view text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, c = b0 & 0x1F, least = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, c = b0 & 0x0F, least = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, c = b0 & 0x07, least = 0x10000;
    } else {
        return -1;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) return -1;
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) return -1;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
    i += static_cast<std::size_t>(length);
    return static_cast<long>(c);
}

}  // namespace

char32_t Cp1252Char(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : char32_t{byte};
}

int Cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[static_cast<std::size_t>(i)] == c) return 0x80 + i;
    }
    return -1;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char b : bytes)
        AppendUtf8(out, Cp1252Char(static_cast<unsigned char>(b)));
    return out;
}

Utf8Conversion Utf8ToCp1252(std::string_view utf8, std::string& bytes) {
    std::string out;
    out.reserve(utf8.size());
    Utf8Conversion result = Utf8Conversion::OK;
    for (std::size_t i = 0; i < utf8.size();) {
        const long c = NextUtf8(utf8, i);
        if (c < 0) return Utf8Conversion::NOT_UTF8;
        const int b = Cp1252Byte(static_cast<char32_t>(c));
        if (b < 0) {
            result = Utf8Conversion::UNMAPPABLE;
            out.push_back('?');
        } else {
            out.push_back(static_cast<char>(b));
        }
    }
    bytes = std::move(out);
    return result;
}

std::u16string Cp1252ToUtf16(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        text[i] = static_cast<char16_t>(Cp1252Char(static_cast<unsigned char>(bytes[i])));
    return text;
}

std::string Utf16ToCp1252(std::u16string_view text, bool* lossless) {
    std::string bytes;
    bytes.reserve(text.size());
    bool all = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        // A pair of surrogates is one character, and none the code page has.
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
        const int b = c >= 0xD800 && c <= 0xDFFF ? -1 : Cp1252Byte(c);
        if (b < 0) all = false;
        bytes.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    if (lossless) *lossless = all;
    return bytes;
}

unsigned char Cp1252Lower(unsigned char byte) {
    return kLower[byte];
}

std::string Cp1252FoldCase(std::string_view bytes) {
    std::string folded(bytes);
    for (char& c : folded)
        c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
    return folded;
}

}  // namespace base
