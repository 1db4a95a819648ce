// The pack checksum: cutting table text into lines and fields, the weighted sum, its halves, the
// verification outcomes, and the per-member form used when members are summed on threads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Checksum.h"
#include "PackStamp.h"
#include "PackTestFiles.h"

namespace brisko {
namespace {

using namespace std::string_literals;

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::string_view line;
    while (ReadMemLine(text, line) >= 0)
        lines.emplace_back(line);
    return lines;
}

TEST(ReadMemLineTest, CutsAtLfWithAnOptionalCrBeforeIt) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\r\n", {"a", "b"}},
        {"\n\r\n", {"", ""}},
        {"a\rb\n", {"a\rb"}},  // a CR not before LF stays in the line
        {"a\r\r\n", {"a\r"}},  // only the one CR before LF is part of the line end
        {"a\r", {"a\r"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lines(c.text), c.lines) << c.text;
}

TEST(ReadMemLineTest, ReturnsTheLengthAndMinusOneAtTheEnd) {
    std::string_view source = "ab\r\n\n";
    std::string_view line;
    EXPECT_EQ(ReadMemLine(source, line), 2);
    EXPECT_EQ(ReadMemLine(source, line), 0);
    EXPECT_EQ(ReadMemLine(source, line), -1);
}

std::vector<std::int32_t> Fields(std::string_view line) {
    std::vector<std::int32_t> values;
    while (!line.empty()) {
        std::int32_t value = -99;
        const std::int32_t returned = TakeIntField(line, ',', value);
        EXPECT_EQ(returned, value);
        values.push_back(value);
    }
    return values;
}

TEST(TakeIntFieldTest, TakesTheLeadingIntegerOfEachField) {
    struct Case {
        const char* line;
        std::vector<std::int32_t> values;
    };
    const Case cases[] = {
        {"12,word,,7,", {12, 0, 0, 7}},  // words and empty fields count as 0
        {",", {0}},
        {"1,2", {1, 2}},
        {" \t-5,+6, 7x,x7", {-5, 6, 7, 0}},
        {"+-3,--3", {0, 0}},
        {"4294967297", {1}},  // wraps in 32 bits
        {"2147483648", {INT32_MIN}},
        {"-2147483649", {INT32_MAX}},
        {"12 34,5", {12, 5}},
        {"\r7,", {7}},
        {"9,,", {9, 0}},  // a field then an empty field; the last comma adds none
    };
    for (const Case& c : cases)
        EXPECT_EQ(Fields(c.line), c.values) << c.line;
}

std::uint64_t Sum(const std::vector<std::string>& tables, std::uint64_t created) {
    ChecksumState state = StartChecksum(created);
    for (const std::string& table : tables)
        TableSum(table, state);
    return state.accumulator;
}

TEST(TableSumTest, WeighsEachFieldByItsRunningIndex) {
    // 27 fields over two lines and two tables: the index runs on and wraps after 24.
    std::string first = "1,2,3\r\n";
    for (int i = 4; i <= 20; ++i)
        first += std::to_string(i) + ",";
    const std::string second = "21,22,23,24,25,26,27\n";
    std::uint64_t expected = ChecksumSeed(1000);
    for (int k = 0; k < 27; ++k)
        expected += std::uint64_t(ChecksumWeights[k % 25]) * (k + 1);
    EXPECT_EQ(Sum({first, second}, 1000), expected);
    EXPECT_EQ(Sum({first, second}, 1000), test::ReferenceChecksum({first, second}, 1000));
}

TEST(TableSumTest, SecondMemberStartsWhereTheFirstEnded) {
    const std::string first = "1,2,3\n4,5\n";  // 5 fields
    ChecksumState state = StartChecksum(0);
    TableSum(first, state);
    EXPECT_EQ(state.weightIndex, 5);
    const std::uint64_t before = state.accumulator;
    TableSum("10", state);
    EXPECT_EQ(state.accumulator - before, std::uint64_t(ChecksumWeights[5]) * 10);
}

TEST(TableSumTest, AnInsertedEmptyFieldShiftsTheLaterWeights) {
    EXPECT_NE(Sum({"1,2,3\n"}, 0), Sum({"1,,2,3\n"}, 0));
    EXPECT_EQ(Sum({"1,0,2,3\n"}, 0), Sum({"1,,2,3\n"}, 0));
    EXPECT_EQ(Sum({"1,x,2,3\n"}, 0), Sum({"1,,2,3\n"}, 0));
}

TEST(TableSumTest, CrLfAndLfGiveTheSameSum) {
    EXPECT_EQ(Sum({"1,2,\r\n3,4,\r\n"}, 5), Sum({"1,2,\n3,4,\n"}, 5));
}

TEST(TableSumTest, ProductsWrapInThirtyTwoBitsAndAreSignExtended) {
    // 2147483647 x 101 leaves 0x7FFFFF9B... in the low 32 bits: negative after the cut.
    const std::int32_t value = INT32_MAX;
    const std::uint32_t low = std::uint32_t(ChecksumWeights[0]) * std::uint32_t(value);
    EXPECT_EQ(Sum({"2147483647"}, 0) - ChecksumSeed(0),
              std::uint64_t(std::int64_t(std::int32_t(low))));
    EXPECT_EQ(Sum({"-1"}, 0) - ChecksumSeed(0), std::uint64_t(-std::int64_t(ChecksumWeights[0])));
}

TEST(TableSumTest, NoTablesLeaveTheSeed) {
    EXPECT_EQ(Sum({}, 42), 42 + SeedOffset);
}

TEST(ChecksumHalvesTest, HighHalfIsSignedAndLowHalfUnsigned) {
    PackStampRecord stamp;
    stamp.SetChecksum(0x80000001FFFFFFFEull);
    EXPECT_EQ(stamp.checksumLow, 4294967294u);
    EXPECT_EQ(stamp.checksumHigh, -2147483647);
    EXPECT_EQ(stamp.Checksum(), 0x80000001FFFFFFFEull);
    EXPECT_EQ(JoinHalves(4294967294u, -2147483647), 0x80000001FFFFFFFEull);
}

TEST(CompareChecksumsTest, GivesTheFourOutcomes) {
    struct Case {
        std::uint64_t computed, stored, expected;
        ChecksumResult result;
    };
    const Case cases[] = {
        {7, 7, 7, CHECK_MATCHED_BOTH},
        {6, 7, 7, CHECK_FAILED_ALL},  // stored = expected, members
                                      // changed
        {7, 7, 9, CHECK_MATCHED_FILE},
        {9, 7, 9, CHECK_MATCHED_VALUE},
        {5, 7, 9, CHECK_FAILED_ALL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareChecksums(c.computed, c.stored, c.expected), c.result)
            << c.computed << " " << c.stored << " " << c.expected;
    }
    EXPECT_STREQ(ChecksumResultText(CHECK_MATCHED_BOTH), "Check matched file and passed in value.");
    EXPECT_STREQ(ChecksumResultText(CHECK_MATCHED_FILE),
                 "Check matched file, but not passed in value.");
    EXPECT_STREQ(ChecksumResultText(CHECK_MATCHED_VALUE),
                 "Check matched passed in value, but not file.");
    EXPECT_STREQ(ChecksumResultText(CHECK_FAILED_ALL), "Check failed all.");
    EXPECT_STREQ(ChecksumResultText(17), "Check failed all.");
}

TEST(IsTableNameTest, LooksForCsvAnywhereInAnyCase) {
    EXPECT_TRUE(IsTableName("units.csv"));
    EXPECT_TRUE(IsTableName("Data Files\\UNITS.CSV"));
    EXPECT_TRUE(IsTableName("notes.csv.bak"));
    EXPECT_TRUE(IsTableName("a.CsV"));
    EXPECT_FALSE(IsTableName("units.cs"));
    EXPECT_FALSE(IsTableName("unitscsv"));
    EXPECT_FALSE(IsTableName("map.bmp"));
}

// The per-member form, applied in member order from any start, gives what TableSum gives.
TEST(TableContributionTest, AppliedInOrderEqualsTableSum) {
    std::vector<std::string> tables = {
        test::GameTable(40, 7, 1),
        "",
        "1,2,3",
        "2147483647,-2147483648,4294967297,x,",
        test::GameTable(3, 26, 2),
        "\r\n\n,,\r\n-2153945,2153945,2153946,-2153946\r",
        "no numbers at all\n",
        // Digits read eight at a time: runs of every length, next to the bytes around '0'-'9'.
        "1/2:3,12:5,34;6,12345678,123456789,1234567890,12345678901,00000000123,-87654321/,\r\n"
        "9\xb9,8\xb0,7\x7f,6\x80,5\x00,+4\xff,99999999999999999999,4294967296\r\n"s,
        "end without a line end: 1234567",
        "87654321",
    };
    for (std::uint64_t created : {0ull, 116444736000000000ull, ~0ull}) {
        ChecksumState plain = StartChecksum(created);
        ChecksumState parts = StartChecksum(created);
        for (const std::string& table : tables) {
            TableSum(table, plain);
            TableContribution contribution;
            // Fed in two pieces cut at a line end, as a reader might.
            const std::size_t cut = table.find('\n');
            if (cut == std::string::npos) {
                contribution.Add(table);
            } else {
                contribution.Add(std::string_view(table).substr(0, cut + 1));
                contribution.Add(std::string_view(table).substr(cut + 1));
            }
            contribution.ApplyTo(parts);
            ASSERT_EQ(parts.accumulator, plain.accumulator) << table.substr(0, 40);
            ASSERT_EQ(parts.weightIndex, plain.weightIndex);
        }
    }
}

// Random texts made of the bytes that matter to the cutting (digits, signs, blanks, commas, CR,
// LF, a letter, bytes around '0'-'9'), so that every way of cutting lines and fields is met.
TEST(TableContributionTest, AgreesWithTableSumOnRandomTexts) {
    const std::string alphabet = "0123456789999,,,,\n\r\r -+\tx/:\x80";
    std::uint64_t state = 12345;
    const auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::size_t>(state >> 33);
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text(next() % 120, ' ');
        for (char& c : text)
            c = alphabet[next() % alphabet.size()];
        ChecksumState plain = StartChecksum(round);
        plain.weightIndex = static_cast<int>(next() % kWeightCount);
        ChecksumState parts = plain;
        TableSum(text, plain);
        TableContribution contribution;
        contribution.Add(text);
        contribution.ApplyTo(parts);
        ASSERT_EQ(parts.accumulator, plain.accumulator) << testing::PrintToString(text);
        ASSERT_EQ(parts.weightIndex, plain.weightIndex) << testing::PrintToString(text);
    }
}

}  // namespace
}  // namespace brisko
