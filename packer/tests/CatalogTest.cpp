// "catalog.txt" byte for byte, read back slot by slot, written atomically; and the fixed tables of
// the game's scenario packs and common tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <ostream>
#include <regex>
#include <set>
#include <string>

#include "Catalog.h"
#include "HostPath.h"
#include "PackStamp.h"
#include "PackTestFiles.h"
#include "ScenarioBatch.h"

namespace brisko {
namespace {

// Slots with the edge values first, then values of every sign.
CatalogSlots KnownSlots() {
    CatalogSlots slots;
    slots[0] = {0, 0};
    slots[1] = {4294967295u, -1};
    slots[2] = {1, -2147483647 - 1};
    slots[3] = {2147483648u, 2147483647};
    for (int i = 4; i < SCEN_COUNT; ++i) {
        slots[static_cast<std::size_t>(i)] = {static_cast<std::uint32_t>(i) * 81234567u,
                                              (i % 2 ? -1 : 1) * i * 40000000};
    }
    return slots;
}

TEST(CatalogTest, TextIsExactByteForByte) {
    const CatalogSlots slots = KnownSlots();
    std::string expected =
        "const unsigned long TableLowPart[ SCEN_COUNT ] = \r\n{\r\n"
        "\t0,\r\n\t4294967295,\r\n\t1,\r\n\t2147483648,\r\n";
    for (int i = 4; i < SCEN_COUNT; ++i)
        expected += "\t" + std::to_string(static_cast<std::uint32_t>(i) * 81234567u) + ",\r\n";
    expected +=
        "};\r\n\r\nconst long TableHighPart[ SCEN_COUNT ] = \r\n{\r\n"
        "\t0,\r\n\t-1,\r\n\t-2147483648,\r\n\t2147483647,\r\n";
    for (int i = 4; i < SCEN_COUNT; ++i)
        expected += "\t" + std::to_string((i % 2 ? -1 : 1) * i * 40000000) + ",\r\n";
    expected += "};\r\n";
    const std::string text = CatalogText(slots);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 111);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 111);
}

TEST(CatalogTest, EachSlotReadBackGivesTheChecksum) {
    const std::uint64_t checksums[] = {0, 0xFFFFFFFFFFFFFFFFull, 0x8000000000000000ull,
                                       0x7FFFFFFF00000001ull, 0x0123456789ABCDEFull};
    CatalogSlots slots;
    for (std::size_t i = 0; i < slots.size(); ++i)
        slots[i] = CatalogSlot::Of(checksums[i % 5] + i);
    CatalogSlots read;
    const Status status = ParseCatalog(CatalogText(slots), "catalog.txt", read);
    ASSERT_TRUE(status.ok()) << status.message;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        EXPECT_EQ(read[i], slots[i]) << i;
        EXPECT_EQ(read[i].Value(), checksums[i % 5] + i) << i;
        EXPECT_EQ(read[i].Value(), JoinHalves(read[i].low, read[i].high)) << i;
    }
}

struct CatalogTextCase {
    const char* name;
    std::function<std::string(std::string)> edit;  // of the exact text of KnownSlots
    std::string error;  // after "catalog.txt is not a checksum catalog: "; "" when it reads
};

// Test names and failures show the case by its name.
void PrintTo(const CatalogTextCase& c, std::ostream* out) {
    *out << c.name;
}

class CatalogTexts : public testing::TestWithParam<CatalogTextCase> {};

TEST_P(CatalogTexts, ReadOrFailNamingTheLine) {
    CatalogSlots read;
    const Status status =
        ParseCatalog(GetParam().edit(CatalogText(KnownSlots())), "catalog.txt", read);
    if (GetParam().error.empty()) {
        EXPECT_TRUE(status.ok()) << status.message;
        EXPECT_EQ(read, KnownSlots());
    } else {
        EXPECT_EQ(status.kind, Status::NOT_A_PACK);
        EXPECT_EQ(status.message, "catalog.txt is not a checksum catalog: " + GetParam().error);
    }
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

INSTANTIATE_TEST_SUITE_P(
    Catalog, CatalogTexts,
    testing::Values(
        CatalogTextCase{"AsWritten", [](std::string t) { return t; }, ""},
        CatalogTextCase{"LineFeedsOnly",
                        [](std::string t) {
                            t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
                            return t;
                        },
                        ""},
        CatalogTextCase{"OtherBlanks",
                        [](std::string t) {
                            return Replace(Replace(t, "[ SCEN_COUNT ]", "[SCEN_COUNT]"),
                                           "\t4294967295,", "  4294967295 ,");
                        },
                        ""},
        CatalogTextCase{"NoDeclaration",
                        [](std::string t) { return Replace(t, "TableLowPart", "TableLow"); },
                        "line 1 is not the declaration of TableLowPart."},
        CatalogTextCase{"ValueWithoutComma",
                        [](std::string t) { return Replace(t, "\t1,\r\n", "\t1\r\n"); },
                        "line 5 holds no value of the array followed by a comma."},
        CatalogTextCase{"LowOutOfRange",
                        [](std::string t) { return Replace(t, "4294967295", "4294967296"); },
                        "line 4 holds no value of the array followed by a comma."},
        CatalogTextCase{"HighOutOfRange",
                        [](std::string t) { return Replace(t, "-2147483648", "-2147483649"); },
                        "line 61 holds no value of the array followed by a comma."},
        CatalogTextCase{"NotANumber",
                        [](std::string t) { return Replace(t, "\t0,\r\n", "\tx0,\r\n"); },
                        "line 3 holds no value of the array followed by a comma."},
        CatalogTextCase{"ValueMissing", [](std::string t) { return Replace(t, "\t1,\r\n", ""); },
                        "line 54 holds no value of the array followed by a comma."},
        CatalogTextCase{"CutShort", [](std::string t) { return t.substr(0, t.find("const long")); },
                        "line 57 is missing; the declaration of TableHighPart was expected."},
        CatalogTextCase{"MoreAfterTheEnd", [](std::string t) { return t + "int x;\r\n"; },
                        "line 112 follows the end of the catalog."}),
    [](const testing::TestParamInfo<CatalogTextCase>& info) {
        return std::string(info.param.name);
    });

TEST(CatalogTest, WriteReplacesTheOldCatalogOnlyWhenComplete) {
    test::TempDir dir;
    const std::string path = dir.File("catalog.txt");
    test::WriteFile(path, "old");
    test::FaultyFiles files;
    files.FailNth(test::FileCall::WRITE, 1, ENOSPC);
    Status status = WriteCatalog(path, KnownSlots(), files);
    EXPECT_EQ(status.kind, Status::WRITE_FAILED);
    EXPECT_EQ(status.message, "Disk full while accessing " + path + ".");
    EXPECT_EQ(test::ReadFile(path), "old");
    EXPECT_EQ(test::EntriesIn(dir.Path()), std::vector<std::string>{"catalog.txt"});
    status = WriteCatalog(path, KnownSlots());
    ASSERT_TRUE(status.ok()) << status.message;
    EXPECT_EQ(test::ReadFile(path), CatalogText(KnownSlots()));
    CatalogSlots read;
    ASSERT_TRUE(ReadCatalog(path, read).ok());
    EXPECT_EQ(read, KnownSlots());
    EXPECT_EQ(ReadCatalog(dir.File("none.txt"), read).message,
              dir.File("none.txt") + " was not found.");
}

TEST(ScenarioTablesTest, PackNamesHaveTheGamesForm) {
    const std::regex form("[A-Z]+[0-9]+[a-z]? - [A-Za-z0-9 _()-]+\\.zpk");
    std::set<std::string> folded;
    std::size_t longest = 0;
    for (std::string_view name : ScenarioPackNames) {
        const std::string text(name);
        EXPECT_TRUE(std::regex_match(text, form)) << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '.'), 1) << text;
        EXPECT_LE(text.size(), 42u) << text;
        longest = std::max(longest, text.size());
        EXPECT_TRUE(folded.insert(FoldCase(text)).second) << text;  // one folder each
    }
    EXPECT_EQ(ScenarioPackNames.size(), 52u);
    EXPECT_EQ(longest, 42u);
    EXPECT_FALSE(std::is_sorted(ScenarioPackNames.begin(), ScenarioPackNames.end()));
    EXPECT_EQ(ScenarioIndex(ScenarioPackNames[17]), 17);
    EXPECT_EQ(ScenarioIndex(std::string(ScenarioPackNames[17]) + " "), -1);
    EXPECT_EQ(ScenarioIndex("hr1 - crossing at hollin ford.zpk"), -1);
    EXPECT_EQ(ScenarioFolderName(0),
              ScenarioPackNames[0].substr(0, ScenarioPackNames[0].size() - 4));
}

TEST(ScenarioTablesTest, CommonDataFilesInTheirOrder) {
    const std::vector<std::string_view> expected = {
        "armyplays.csv", "artyammo.csv", "formation.csv", "levels.csv",     "orders.csv",
        "playbook.csv",  "stance.csv",   "tables.csv",    "unitcommon.csv", "Weapons.csv"};
    EXPECT_EQ(std::vector<std::string_view>(CommonDataFiles.begin(), CommonDataFiles.end()),
              expected);
}

}  // namespace
}  // namespace brisko
