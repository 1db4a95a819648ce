#include "HostText.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdio>
#endif
#include <cstdlib>

namespace base {
namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The code at `i` (advancing `i`), or -1 for a bad, overlong or out-of-range sequence.
long NextCode(std::string_view text, std::size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return -1;
    }
    if (text.size() - i < static_cast<std::size_t>(length)) return -1;
    for (int k = 1; k < length; ++k) {
        const unsigned char byte = static_cast<unsigned char>(text[i + k]);
        if (!IsContinuation(byte)) return -1;
        code = code << 6 | (byte & 0x3F);
    }
    if (code < least || code > 0x10FFFF) return -1;
    i += static_cast<std::size_t>(length);
    return static_cast<long>(code);
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool Utf8ToUtf16(std::string_view utf8, std::u16string& text) {
    std::u16string out;
    out.reserve(utf8.size());
    bool afterHigh = false;  // the last code was a lone high surrogate
    for (std::size_t i = 0; i < utf8.size();) {
        const long code = NextCode(utf8, i);
        if (code < 0) return false;
        const char32_t c = static_cast<char32_t>(code);
        // A high half followed by a low half would be a pair: it must be spelt as one code.
        if (afterHigh && c >= 0xDC00 && c <= 0xDFFF) return false;
        afterHigh = c >= 0xD800 && c <= 0xDBFF;
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    text = std::move(out);
    return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        AppendUtf8(out, c);  // a lone surrogate as its own three bytes
    }
    return out;
}

#ifdef _WIN32
std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return arguments;
    for (int i = 1; i < count; ++i) {
        const std::u16string_view word(reinterpret_cast<const char16_t*>(wide[i]));
        arguments.push_back(Utf16ToUtf8(word));
    }
    ::LocalFree(wide);
    return arguments;
}

std::string EnvironmentVariable(const char* name) {
    std::u16string wideName;
    if (!Utf8ToUtf16(name, wideName)) return {};
    const wchar_t* value = ::_wgetenv(reinterpret_cast<const wchar_t*>(wideName.c_str()));
    return value ? Utf16ToUtf8(reinterpret_cast<const char16_t*>(value)) : std::string();
}

namespace {

UINT consoleCodePage = 0;  // the console's own, while the program writes UTF-8 to it

void RestoreConsole() {
    std::fflush(stdout);
    std::fflush(stderr);
    ::SetConsoleOutputCP(consoleCodePage);
}

}  // namespace

void WriteUtf8Output() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    DWORD mode = 0;
    const bool console = ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
                         ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode);
    if (!console || consoleCodePage != 0) return;
    consoleCodePage = ::GetConsoleOutputCP();
    if (consoleCodePage == CP_UTF8 || !::SetConsoleOutputCP(CP_UTF8)) return;
    std::atexit(RestoreConsole);
}
#else
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void WriteUtf8Output() {}  // the bytes go out as written, in the terminal's encoding
#endif

}  // namespace base
