#include "ZpkText.h"

#ifndef _WIN32
#include <iconv.h>
#include <langinfo.h>
#endif

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

#ifdef _WIN32
// zpk writes UTF-8 on Windows (see main.cpp): no other encoding to convert to.
using Converter = void*;

Converter OpenConverter(const std::string&) {
    return nullptr;
}

bool Convert(Converter, unsigned char, std::string&) {
    return false;
}

void CloseConverter(Converter) {}
#else
using Converter = iconv_t;

// A converter from Windows-1252 to `encoding`, or null when iconv has none.
Converter OpenConverter(const std::string& encoding) {
    const iconv_t converter = iconv_open(encoding.c_str(), "WINDOWS-1252");
    return converter == reinterpret_cast<iconv_t>(-1) ? nullptr : converter;
}

void CloseConverter(Converter converter) {
    if (converter) iconv_close(converter);
}

// Converts one Windows-1252 byte with iconv; false when the encoding cannot show it.
bool Convert(Converter converter, unsigned char byte, std::string& out) {
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
#endif

}  // namespace

std::string SafeLine(std::string_view line) {
    std::string text;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x20 || byte == 0x7F ? Escaped(byte) : std::string(1, c);
    }
    return text;
}

#ifdef _WIN32
std::string TerminalEncoding() {
    return "UTF-8";
}
#else
std::string TerminalEncoding() {
    std::setlocale(LC_CTYPE, "");
    return nl_langinfo(CODESET);
}
#endif

std::string TerminalText(std::string_view name, const std::string& encoding) {
    const bool utf8 = IsUtf8(encoding);
    const Converter converter = utf8 ? nullptr : OpenConverter(encoding);
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
        } else if (!converter || !Convert(converter, byte, text)) {
            text += Escaped(byte);
        }
    }
    CloseConverter(converter);
    return text;
}

}  // namespace zpk
