#include "ZpkText.h"

#include <iconv.h>
#include <langinfo.h>

#include <clocale>
#include <cstdio>

#include "Cp1252.h"

namespace zpk {
namespace {

bool IsControl(char32_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

std::string Escaped(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

bool IsUtf8(const std::string& encoding) {
    return encoding == "UTF-8" || encoding == "utf-8" || encoding == "UTF8" || encoding == "utf8";
}

// Converts one Windows-1252 byte with iconv; false when the encoding cannot show it.
bool Convert(iconv_t converter, unsigned char byte, std::string& out) {
    char in = static_cast<char>(byte);
    char buffer[16];
    char* from = &in;
    char* to = buffer;
    std::size_t left = 1;
    std::size_t room = sizeof buffer;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &from, &left, &to, &room) == static_cast<std::size_t>(-1)) return false;
    out.append(buffer, static_cast<std::size_t>(to - buffer));
    return true;
}

}  // namespace

std::string SafeLine(std::string_view line) {
    std::string text;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x20 || byte == 0x7F ? Escaped(byte) : std::string(1, c);
    }
    return text;
}

std::string TerminalEncoding() {
    std::setlocale(LC_CTYPE, "");
    return nl_langinfo(CODESET);
}

std::string TerminalText(std::string_view name, const std::string& encoding) {
    const bool utf8 = IsUtf8(encoding);
    iconv_t converter =
        utf8 ? reinterpret_cast<iconv_t>(-1) : iconv_open(encoding.c_str(), "WINDOWS-1252");
    std::string text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const char32_t character = base::Cp1252Char(byte);
        if (IsControl(character)) {
            text += Escaped(byte);
        } else if (byte < 0x80) {
            text += c;
        } else if (utf8) {
            text += base::Cp1252ToUtf8(std::string_view(&c, 1));
        } else if (converter == reinterpret_cast<iconv_t>(-1) || !Convert(converter, byte, text)) {
            text += Escaped(byte);
        }
    }
    if (converter != reinterpret_cast<iconv_t>(-1)) iconv_close(converter);
    return text;
}

}  // namespace zpk
