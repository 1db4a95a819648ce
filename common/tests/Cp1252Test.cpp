// The Windows-1252 codec against the code page's own table and against broken UTF-8 and UTF-16.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "Cp1252.h"

namespace base {
namespace {

std::string Bytes(std::u8string_view utf8) {
    return std::string(utf8.begin(), utf8.end());
}

std::string Hex(std::string_view bytes) {
    std::string out;
    char digits[4];
    for (const char b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", static_cast<unsigned char>(b));
        out += digits;
    }
    return out;
}

TEST(Cp1252Test, EveryByteSurvivesUtf8AndUtf16) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        all += one;
        std::string back = "untouched";
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one), back), Utf8Conversion::OK) << b;
        EXPECT_EQ(back, one) << b;
        bool lossless = false;
        EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(one), &lossless), one) << b;
        EXPECT_TRUE(lossless) << b;
        EXPECT_EQ(Cp1252Byte(Cp1252Char(static_cast<unsigned char>(b))), b) << b;
    }
    std::string back;
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all), back), Utf8Conversion::OK);
    EXPECT_EQ(back, all);
    EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(all)), all);
    EXPECT_EQ(Cp1252ToUtf16(all).size(), 256u);  // one unit for each byte
}

TEST(Cp1252Test, TheBytes80To9FAreTheCodePagesCharacters) {
    struct Case {
        unsigned char byte;
        char32_t c;
        const char8_t* utf8;
    };
    const Case cases[] = {
        {0x80, U'\u20AC', u8"\u20AC"},  // the euro sign
        {0x82, U'\u201A', u8"\u201A"}, {0x83, U'\u0192', u8"\u0192"}, {0x84, U'\u201E', u8"\u201E"},
        {0x85, U'\u2026', u8"\u2026"}, {0x86, U'\u2020', u8"\u2020"}, {0x87, U'\u2021', u8"\u2021"},
        {0x88, U'\u02C6', u8"\u02C6"}, {0x89, U'\u2030', u8"\u2030"}, {0x8A, U'\u0160', u8"\u0160"},
        {0x8B, U'\u2039', u8"\u2039"}, {0x8C, U'\u0152', u8"\u0152"}, {0x8E, U'\u017D', u8"\u017D"},
        {0x91, U'\u2018', u8"\u2018"}, {0x92, U'\u2019', u8"\u2019"}, {0x93, U'\u201C', u8"\u201C"},
        {0x94, U'\u201D', u8"\u201D"}, {0x95, U'\u2022', u8"\u2022"}, {0x96, U'\u2013', u8"\u2013"},
        {0x97, U'\u2014', u8"\u2014"}, {0x98, U'\u02DC', u8"\u02DC"}, {0x99, U'\u2122', u8"\u2122"},
        {0x9A, U'\u0161', u8"\u0161"}, {0x9B, U'\u203A', u8"\u203A"}, {0x9C, U'\u0153', u8"\u0153"},
        {0x9E, U'\u017E', u8"\u017E"}, {0x9F, U'\u0178', u8"\u0178"},
    };
    static_assert(std::size(cases) == 27);
    std::set<unsigned char> defined;
    for (const Case& c : cases) {
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(Cp1252Char(c.byte), c.c) << Hex(byte);
        EXPECT_EQ(Cp1252Byte(c.c), c.byte) << Hex(byte);
        EXPECT_EQ(Cp1252ToUtf8(byte), Bytes(c.utf8)) << Hex(byte);
        EXPECT_EQ(Cp1252ToUtf16(byte), std::u16string(1, static_cast<char16_t>(c.c)));
        defined.insert(c.byte);
    }
    // The five the code page leaves undefined stand for the control characters of their value,
    // and the control characters that the others replace have no byte.
    for (int b = 0x80; b < 0xA0; ++b) {
        if (defined.count(static_cast<unsigned char>(b))) {
            EXPECT_EQ(Cp1252Byte(static_cast<char32_t>(b)), -1) << b;
        } else {
            EXPECT_EQ(Cp1252Char(static_cast<unsigned char>(b)), static_cast<char32_t>(b)) << b;
        }
    }
    EXPECT_EQ(defined.size() + 5, 32u);
}

TEST(Cp1252Test, BrokenUtf8IsNotUtf8AndLeavesTheOutputAlone) {
    struct Case {
        const char* name;
        std::string utf8;
    };
    const Case cases[] = {
        {"OverlongSlash2", "\xC0\xAF"},
        {"OverlongSlash3", "\xE0\x80\xAF"},
        {"OverlongSlash4", "\xF0\x80\x80\xAF"},
        {"OverlongLargest2", "\xC1\xBF"},
        {"OverlongNul", std::string("\xC0\x80")},
        {"LoneContinuation", "\x80"},
        {"ContinuationInText",
         "ab\xBF"
         "cd"},
        {"HighSurrogate", "\xED\xA0\x80"},
        {"LowSurrogate", "\xED\xBF\xBF"},
        {"SurrogatePair", "\xED\xA0\xBD\xED\xB8\x80"},
        {"Truncated2", "caf\xC3"},
        {"Truncated3", "\xE2\x82"},
        {"Truncated4", "\xF0\x9F\x98"},
        {"TruncatedBeforeAscii", "\xE2\x82x"},
        {"PastLastCharacter", "\xF4\x90\x80\x80"},
        {"FiveBytes", "\xF8\x88\x80\x80\x80"},
        {"ByteFF", "\xFF"},
        {"Latin1Text", "Caf\xE9"},
    };
    for (const Case& c : cases) {
        std::string bytes = "untouched";
        EXPECT_EQ(Utf8ToCp1252(c.utf8, bytes), Utf8Conversion::NOT_UTF8) << c.name;
        EXPECT_EQ(bytes, "untouched") << c.name;
    }
}

TEST(Cp1252Test, CharactersOutsideTheCodePageAreUnmappable) {
    struct Case {
        const char* name;
        const char8_t* utf8;
        Utf8Conversion result;
        std::string bytes;
    };
    const Case cases[] = {
        {"Alpha", u8"\u03B1", Utf8Conversion::UNMAPPABLE, "?"},
        {"EuroAndAlpha", u8"\u20AC\u03B1x", Utf8Conversion::UNMAPPABLE, "\x80?x"},
        {"FourByteCharacter", u8"a\U0001F600b", Utf8Conversion::UNMAPPABLE, "a?b"},
        {"C1Control80", u8"\u0080", Utf8Conversion::UNMAPPABLE, "?"},  // 0x80 is the euro
        {"Undefined81", u8"\u0081", Utf8Conversion::OK, "\x81"},
        {"TradeMark", u8"\u2122", Utf8Conversion::OK, "\x99"},
        {"Largest", u8"\U0010FFFF", Utf8Conversion::UNMAPPABLE, "?"},
        {"Empty", u8"", Utf8Conversion::OK, ""},
    };
    for (const Case& c : cases) {
        std::string bytes = "untouched";
        EXPECT_EQ(Utf8ToCp1252(Bytes(c.utf8), bytes), c.result) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
    }
}

TEST(Cp1252Test, Utf16OutsideTheCodePageBecomesOneQuestionMarkEach) {
    struct Case {
        const char* name;
        std::u16string text;
        std::string bytes;
        bool lossless;
    };
    const Case cases[] = {
        {"SurrogatePair", u"a\U0001F600b", "a?b", false},
        {"TwoPairs", u"\U0001F600\U0001F601", "??", false},
        {"LoneHigh", u"\xD800", "?", false},
        {"HighThenText", std::u16string{0xD800, u'x'}, "?x", false},
        {"LoneLow", std::u16string{0xDC00, u'x'}, "?x", false},
        {"LowThenHigh", std::u16string{0xDC00, 0xD800}, "??", false},
        {"Alpha", u"\u03B1", "?", false},
        {"C1Control80", u"\u0080", "?", false},
        {"Euro", u"\u20AC", "\x80", true},
        {"Latin1", u"Caf\u00E9", "Caf\xE9", true},
        {"Empty", u"", "", true},
    };
    for (const Case& c : cases) {
        bool lossless = !c.lossless;
        EXPECT_EQ(Utf16ToCp1252(c.text, &lossless), c.bytes) << c.name;
        EXPECT_EQ(lossless, c.lossless) << c.name;
        EXPECT_EQ(Utf16ToCp1252(c.text), c.bytes) << c.name;  // without asking
    }
}

TEST(Cp1252Test, CaseFoldsTheCapitalsOfTheCodePageOnly) {
    struct Case {
        const char* name;
        unsigned char from;
        unsigned char to;
    };
    const Case cases[] = {
        {"A", 'A', 'a'},
        {"Z", 'Z', 'z'},
        {"AGrave", 0xC0, 0xE0},
        {"EAcute", 0xC9, 0xE9},
        {"Thorn", 0xDE, 0xFE},
        {"SCaron", 0x8A, 0x9A},
        {"OE", 0x8C, 0x9C},
        {"ZCaron", 0x8E, 0x9E},
        {"YDiaeresis", 0x9F, 0xFF},
        // Unchanged: the multiplication sign, sharp s, small letters, digits and signs.
        {"Times", 0xD7, 0xD7},
        {"SharpS", 0xDF, 0xDF},
        {"SmallYDiaeresis", 0xFF, 0xFF},
        {"SmallA", 'a', 'a'},
        {"SmallAGrave", 0xE0, 0xE0},
        {"SmallSCaron", 0x9A, 0x9A},
        {"Digit", '7', '7'},
        {"At", '@', '@'},
        {"Bracket", '[', '['},
        {"Micro", 0xB5, 0xB5},
        {"Euro", 0x80, 0x80},
        {"InvertedQuestion", 0xBF, 0xBF},
        {"Divide", 0xF7, 0xF7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cp1252Lower(c.from), c.to) << c.name;

    // 26 + 30 + 4 capitals change, each to a distinct small letter that itself stays.
    std::set<unsigned char> smalls;
    for (int b = 0; b < 256; ++b) {
        const unsigned char lower = Cp1252Lower(static_cast<unsigned char>(b));
        if (lower == b) continue;
        EXPECT_EQ(Cp1252Lower(lower), lower) << b;
        smalls.insert(lower);
    }
    EXPECT_EQ(smalls.size(), 60u);
    EXPECT_EQ(Cp1252FoldCase("\xC0"
                             "B\xD7\x8A\xDF"
                             "1z\x9F"),
              "\xE0"
              "b\xD7\x9A\xDF"
              "1z\xFF");
    EXPECT_EQ(Cp1252FoldCase(""), "");
}

}  // namespace
}  // namespace base
