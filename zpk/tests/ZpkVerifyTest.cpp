// zpk verify's strict checks on packs damaged in ways the checksum cannot see, zpk list's names in
// the terminal's encoding, and the member streams zpk pack writes.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "PackTestFiles.h"
#include "Status.h"
#include "ZpkRun.h"

namespace {

using brisko::test::SetU32At;
using brisko::test::Tree;
using brisko::test::U32At;
using zpk::test::Result;
using zpk::test::Zpk;

// Listed in this order: a.csv, b.txt, c.csv, d.bmp.
const Tree kScenario = {
    {"a.csv", "1,2,3\r\n4,5,6\r\n"},
    {"b.txt", "Hold the causeway until the tide turns.\r\n"},
    {"c.csv", brisko::test::GameTable(60, 7, 3)},
    {"d.bmp", std::string("BM\0\0\x10\xff", 6) + std::string(400, '\x42')},
};

// Where a member of the intact pack lies.
struct Member {
    std::size_t record;  // offset of its directory record
    std::uint32_t size;  // compressed
    std::uint32_t offset;
};

struct Layout {
    std::string bytes;
    std::vector<Member> members;
    std::uint32_t trailer = 0;
};

Layout PackScenario(const brisko::test::TempDir& dir) {
    brisko::test::MakeTree(dir.File("scen"), kScenario);
    const Result packed = Zpk(dir, {"pack", dir.File("scen"), dir.File("scen.zpk")});
    EXPECT_EQ(packed.status, 0) << packed.err;
    Layout layout;
    layout.bytes = brisko::test::ReadFile(dir.File("scen.zpk"));
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t record = 16 + 272 * i;
        layout.members.push_back(
            {record, U32At(layout.bytes, record + 260), U32At(layout.bytes, record + 264)});
    }
    layout.trailer = U32At(layout.bytes, 12);
    return layout;
}

// A damage done to the intact pack, and what zpk verify prints about it (%1 the pack).
struct DamageCase {
    const char* name;
    std::function<std::vector<std::string>(Layout&)> damage;  // gives the problem lines
    const char* outcome;       // the checksum line of the strict verify
    const char* checksumOnly;  // the line of --checksum-only
    int checksumOnlyStatus;
};

// Test names and failures show the case by its name.
void PrintTo(const DamageCase& c, std::ostream* out) {
    *out << c.name;
}

class DamagedPacks : public testing::TestWithParam<DamageCase> {};

std::string N(std::uint64_t n) {
    return std::to_string(n);
}

TEST_P(DamagedPacks, AreFoundLineByLine) {
    const DamageCase& c = GetParam();
    brisko::test::TempDir dir;
    Layout layout = PackScenario(dir);
    const std::vector<std::string> lines = c.damage(layout);
    const std::string pack = dir.File("bad.zpk");
    brisko::test::WriteFile(pack, layout.bytes);
    std::string expected;
    for (const std::string& line : lines)
        expected += base::Format(line.c_str(), pack) + "\n";
    const Result strict = Zpk(dir, {"verify", pack});
    EXPECT_EQ(strict.out, expected + c.outcome + "\n");
    EXPECT_EQ(strict.err, "");
    EXPECT_EQ(strict.status, 1);
    const Result old = Zpk(dir, {"verify", pack, "--checksum-only"});
    EXPECT_EQ(old.out, std::string(c.checksumOnly) + "\n");
    EXPECT_EQ(old.status, c.checksumOnlyStatus);
}

const char kBoth[] = "Check matched file and passed in value.";
const char kFailed[] = "Check failed all.";

INSTANTIATE_TEST_SUITE_P(
    Verify, DamagedPacks,
    testing::Values(
        // a.csv and b.txt point at each other's data: each extracts with the other's bytes.
        DamageCase{"SwappedRecords",
                   [](Layout& l) {
                       const Member a = l.members[0];
                       const Member b = l.members[1];
                       const std::string tail = l.bytes.substr(a.record + 260, 12);
                       l.bytes.replace(a.record + 260, 12, l.bytes, b.record + 260, 12);
                       l.bytes.replace(b.record + 260, 12, tail);
                       return std::vector<std::string>{
                           "The member a.csv of %1 is out of place: its data starts at " +
                               N(b.offset) + " in the data area instead of at 0.",
                           "The member b.txt of %1 is out of place: its data starts at 0 in the "
                           "data area instead of right behind the member before it (at " +
                               N(b.offset + b.size) + ")."};
                   },
                   kFailed, kFailed, 1},
        DamageCase{"Gap",
                   [](Layout& l) {
                       const Member c = l.members[2];
                       l.bytes.insert(20 + 272 * 4 + c.offset, "gap!!");
                       for (std::size_t i = 2; i < 4; ++i) {
                           SetU32At(l.bytes, l.members[i].record + 264, l.members[i].offset + 5);
                       }
                       SetU32At(l.bytes, 12, l.trailer + 5);
                       return std::vector<std::string>{
                           "The member c.csv of %1 is out of place: its data starts at " +
                               N(c.offset + 5) +
                               " in the data area instead of right behind the member before it "
                               "(at " +
                               N(c.offset) + ").",
                           "%1 is damaged: its trailer offset is " + N(l.trailer + 5) +
                               ", but its members end at " + N(l.trailer) + "."};
                   },
                   kBoth, kBoth, 0},
        DamageCase{"AppendedBytes",
                   [](Layout& l) {
                       l.bytes += "tail";
                       return std::vector<std::string>{
                           "%1 is damaged: 4 bytes follow its trailer."};
                   },
                   kBoth, kBoth, 0},
        DamageCase{"MemberThatDoesNotInflate",
                   [](Layout& l) {
                       const std::size_t first = 20 + 272 * 4 + l.members[3].offset;
                       l.bytes[first] = static_cast<char>(l.bytes[first] ^ 0x55);
                       return std::vector<std::string>{
                           "The member d.bmp of %1 is damaged: its data does not inflate."};
                   },
                   kBoth, kBoth, 0},
        DamageCase{"ZeroCompressedSize",
                   [](Layout& l) {
                       const Member c = l.members[2];
                       SetU32At(l.bytes, c.record + 260, 0);
                       return std::vector<std::string>{
                           "The member c.csv of %1 holds no data: its compression failed when "
                           "the pack was written.",
                           "The member d.bmp of %1 is out of place: its data starts at " +
                               N(l.members[3].offset) +
                               " in the data area instead of right behind the member before it "
                               "(at " +
                               N(c.offset) + ").",
                           "%1 is damaged: its trailer offset is " + N(l.trailer) +
                               ", but its members end at " + N(l.trailer - c.size) + "."};
                   },
                   kFailed, kFailed, 1}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

// A hostile name cannot break a problem's line or reach the terminal as a sequence.
TEST(ZpkVerifyTest, ProblemLinesEscapeControlCharacters) {
    brisko::test::TempDir dir;
    Layout layout = PackScenario(dir);
    const std::string name = std::string("x\ny\x1B[2J.bmp") + '\0';
    layout.bytes.replace(layout.members[3].record, name.size(), name);
    const std::size_t first = 20 + 272 * 4 + layout.members[3].offset;
    layout.bytes[first] = static_cast<char>(layout.bytes[first] ^ 0x55);
    brisko::test::WriteFile(dir.File("bad.zpk"), layout.bytes);
    const Result result = Zpk(dir, {"verify", dir.File("bad.zpk")});
    EXPECT_EQ(result.out, "The member x\\x0Ay\\x1B[2J.bmp of " + dir.File("bad.zpk") +
                              " is damaged: its data does not inflate.\n" + kBoth + "\n");
    EXPECT_EQ(result.status, 1);
}

TEST(ZpkVerifyTest, SoundPackHasNoProblem) {
    brisko::test::TempDir dir;
    PackScenario(dir);
    const Result result = Zpk(dir, {"verify", dir.File("scen.zpk")});
    EXPECT_EQ(result.out, std::string(kBoth) + "\n");
    EXPECT_EQ(result.status, 0);
}

// A member without data does not stop an extraction: the others are written, it is named, and
// the command fails at the end.
TEST(ZpkExtractTest, MemberWithoutDataIsNamedAndTheOthersWritten) {
    brisko::test::TempDir dir;
    Layout layout = PackScenario(dir);
    SetU32At(layout.bytes, layout.members[1].record + 260, 0);
    brisko::test::WriteFile(dir.File("bad.zpk"), layout.bytes);
    const Result result = Zpk(dir, {"extract", dir.File("bad.zpk"), dir.File("out")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "zpk: The member b.txt of " + dir.File("bad.zpk") +
                              " holds no data: its compression failed when the pack was "
                              "written.\n");
    Tree expected = kScenario;
    expected.erase("b.txt");
    EXPECT_EQ(brisko::test::ReadTree(dir.File("out")), expected);
}

// Default streams inflate with zlib to the files' bytes; --zlib streams are compress2's at level 9.
TEST(ZpkPackTest, StreamsOfBothKinds) {
    brisko::test::TempDir dir;
    brisko::test::MakeTree(dir.File("scen"), kScenario);
    ASSERT_EQ(Zpk(dir, {"pack", dir.File("scen"), dir.File("fast.zpk")}).status, 0);
    ASSERT_EQ(Zpk(dir, {"pack", dir.File("scen"), dir.File("zlib.zpk"), "--zlib"}).status, 0);
    const auto fast = brisko::test::MemberStreams(brisko::test::ReadFile(dir.File("fast.zpk")));
    const auto zlib = brisko::test::MemberStreams(brisko::test::ReadFile(dir.File("zlib.zpk")));
    ASSERT_EQ(fast.size(), kScenario.size());
    ASSERT_EQ(zlib.size(), kScenario.size());
    std::size_t i = 0;
    for (const auto& [name, bytes] : kScenario) {
        EXPECT_EQ(brisko::test::InflateWithZlib(fast[i], bytes.size()), bytes) << name;
        EXPECT_EQ(zlib[i], brisko::test::Compress9(bytes)) << name;
        ++i;
    }
}

// Names in the terminal's encoding; control characters, and what the encoding cannot show, as
// \xNN: no name can break a line or reach the terminal as a sequence.
TEST(ZpkListTest, ShowsNamesSafelyInTheTerminalsEncoding) {
    brisko::test::TempDir dir;
#ifdef _WIN32
    // Windows holds no such file names (and no name that is no text): the pack is made as zpk
    // would make it of them.
    brisko::test::WriteFile(dir.File("p.zpk"),
                            brisko::test::ReferencePack({{"\x1B[31mred.txt", "1"},
                                                         {"caf\xE9.csv", "2"},
                                                         {"x\ny\tz.csv", "3"},
                                                         {"\x81.txt", "4"},
                                                         {"\x80uro.txt", "5"}},
                                                        1));
#else
    // Host names (UTF-8 where they can be); listed in byte order of these.
    brisko::test::MakeTree(dir.File("scen"), {{"\x1B[31mred.txt", "1"},
                                              {"caf\xC3\xA9.csv", "2"},
                                              {"x\ny\tz.csv", "3"},
                                              {"\x81.txt", "4"},
                                              {"\xE2\x82\xAC"
                                               "uro.txt",
                                               "5"}});
    ASSERT_EQ(Zpk(dir, {"pack", dir.File("scen"), dir.File("p.zpk")}).status, 0);
#endif
    struct Case {
        const char* locale;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"LC_ALL=C.UTF-8",
         {"\\x1B[31mred.txt", "caf\xC3\xA9.csv", "x\\x0Ay\\x09z.csv", "\\x81.txt",
          "\xE2\x82\xAC"
          "uro.txt"}},
#ifndef _WIN32  // zpk writes UTF-8 there whatever the locale
        {"LC_ALL=C",
         {"\\x1B[31mred.txt", "caf\\xE9.csv", "x\\x0Ay\\x09z.csv", "\\x81.txt", "\\x80uro.txt"}},
#endif
    };
    for (const Case& c : cases) {
        const Result result = Zpk(dir, {"list", dir.File("p.zpk")}, c.locale);
        EXPECT_EQ(result.status, 0);
        std::vector<std::string> names;
        std::size_t start = 0;
        for (std::size_t end; (end = result.out.find('\n', start)) != std::string::npos;
             start = end + 1) {
            const std::string line = result.out.substr(start, end - start);
            EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;
            names.push_back(line.substr(0, line.find('\t')));
        }
        EXPECT_EQ(names, c.names) << c.locale;
    }
}

}  // namespace
