#include "Cp1252.h"

#include <array>

namespace tavrel {
namespace {

// Characters of the bytes 0x80-0x9F; the undefined 0x81, 0x8D, 0x8F, 0x90 and 0x9D stand for
// themselves.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// The byte of a character, or -1 when the code page has none.
int ByteOf(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[static_cast<std::size_t>(i)] == c) return 0x80 + i;
    }
    return -1;
}

}  // namespace

QString FromCp1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t{b});
    }
    return text;
}

std::string ToCp1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
        const int b = c.isSurrogate() ? -1 : ByteOf(c.unicode());
        bytes.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return bytes;
}

bool FitsCp1252(const QString& text) {
    for (const QChar c : text) {
        if (c.isSurrogate() || ByteOf(c.unicode()) < 0) return false;
    }
    return true;
}

}  // namespace tavrel
