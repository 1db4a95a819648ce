// Packing a folder and extracting the pack: identical files at identical paths, the target
// emptied first without following links, hostile names refused before anything is touched, and
// failures that name the file.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "FaultyFiles.h"
#include "FolderOps.h"
#include "HostPath.h"
#include "PackFile.h"
#include "PackTestFiles.h"
#include "PackWriter.h"

namespace brisko {
namespace {

namespace fs = std::filesystem;

const test::Tree kScenario = {
    {"units.csv", "Id,Men,\r\n1,12,\r\n2,-7,\r\n"},
    {"Data Files\\ORDERS.CSV", "5,6\n7,,x,8,\n"},
    {"Data Files\\Weapons.csv", test::GameTable(300, 8, 3)},
    {"maps\\sub\\map.bmp", std::string("\0\xff\x10", 3) + std::string(1000, 'm')},
    {"briefing.txt", "Hold the bridge.\r\n"},
    {"empty.ini", ""},
};

// Packs `tree` as the pack creator does: list the folder, write the pack.
std::string PackTree(const test::TempDir& dir, const test::Tree& tree) {
    const std::string scen = dir.File("scen");
    test::MakeTree(scen, tree);
    NameList names;
    EXPECT_TRUE(ListFolderFiles(scen, scen, names).ok());
    const std::string pack = dir.File("scen.zpk");
    const Status status = WritePackFile(names, pack, scen);
    EXPECT_TRUE(status.ok()) << status.message;
    return pack;
}

TEST(ExtractAllTest, GivesBackTheFolderByteForByteOnAnyNumberOfThreads) {
    test::TempDir dir;
    const std::string pack = PackTree(dir, kScenario);
    for (unsigned threads : {1u, 2u, 5u}) {
        CPackFile file;
        file.SetThreads(threads);
        ASSERT_TRUE(file.Open(pack));
        EXPECT_TRUE(file.ExtractAll(dir.File("out"))) << file.Error().message;
        EXPECT_TRUE(file.Error().ok());
        EXPECT_EQ(test::TreeDifference(test::ReadTree(dir.File("out")), kScenario), "")
            << threads << " threads";
    }
}

TEST(ExtractAllTest, UpperCaseCsvCountsAsATableWhenPackedAndWhenExtracted) {
    test::TempDir dir;
    const std::string pack = PackTree(dir, {{"UNITS.CSV", "1,2,3\r\n"}});
    CPackFile file;
    ASSERT_TRUE(file.Open(pack));
    EXPECT_NE(file.StoredChecksum(), file.Created() + SeedOffset);  // counted when written
    EXPECT_TRUE(file.ExtractAll(dir.File("out")));                  // and when extracted
}

TEST(ExtractAllTest, PackWithoutTablesAlwaysExtractsWithSuccess) {
    test::TempDir dir;
    CPackFile file;
    ASSERT_TRUE(file.Open(PackTree(dir, {{"a.txt", "1,2"}, {"b\\c.bmp", "x"}})));
    EXPECT_TRUE(file.ExtractAll(dir.File("out")));
}

TEST(ExtractAllTest, EmptiesTheTargetFirstReadOnlyEntriesIncluded) {
    test::TempDir dir;
    const std::string pack = PackTree(dir, kScenario);
    const std::string out = dir.File("out");
    test::MakeTree(out, {{"old.csv", "9"},
                         {".hidden", "h"},
                         {"units.csv", "stale"},
                         {"maps\\old.bmp", "o"},
                         {"deep\\er\\x", "x"}});
    fs::permissions(out + "/old.csv", fs::perms::owner_read);
    fs::permissions(out + "/units.csv", fs::perms::owner_read);
    fs::permissions(out + "/deep/er", fs::perms::owner_read | fs::perms::owner_exec);
    CPackFile file;
    ASSERT_TRUE(file.Open(pack));
    EXPECT_TRUE(file.ExtractAll(out + "/"));
    EXPECT_EQ(test::TreeDifference(test::ReadTree(out), kScenario), "");
}

TEST(ExtractAllTest, LinksInTheTargetAreRemovedAndNothingOutsideChanges) {
    if (const char* why = test::LinksUnremovable()) GTEST_SKIP() << why;
    test::TempDir dir;
    const std::string pack = PackTree(dir, kScenario);
    const test::Tree outside = {{"units.csv", "keep"}, {"Weapons.csv", "keep too"}};
    test::MakeTree(dir.File("outside"), outside);
    const std::string out = dir.File("out");
    fs::create_directories(out);
    EXPECT_TRUE(test::MakeLink(dir.File("outside/units.csv"), out + "/units.csv", false));
    EXPECT_TRUE(test::MakeLink(dir.File("outside"), out + "/Data Files", true));
    CPackFile file;
    ASSERT_TRUE(file.Open(pack));
    EXPECT_TRUE(file.ExtractAll(out));
    EXPECT_EQ(test::TreeDifference(test::ReadTree(out), kScenario), "");
    EXPECT_FALSE(test::IsLink(out + "/units.csv"));
    EXPECT_EQ(test::ReadTree(dir.File("outside")), outside);
}

#ifdef _WIN32
// A junction in the target is removed as a link: the folder it names keeps its files.
TEST(ExtractAllTest, JunctionInTheTargetIsRemovedAsALink) {
    if (test::UnderWine()) GTEST_SKIP() << "Wine makes no junctions: checked on Windows only.";
    test::TempDir dir;
    const std::string pack = PackTree(dir, kScenario);
    const test::Tree outside = {{"units.csv", "keep"}, {"Weapons.csv", "keep too"}};
    test::MakeTree(dir.File("outside"), outside);
    const std::string out = dir.File("out");
    test::MakeTree(out, {{"old.csv", "9"}});
    ASSERT_TRUE(test::MakeJunction(dir.File("outside"), HostJoin(out, "Data Files")));
    ASSERT_TRUE(test::IsLink(HostJoin(out, "Data Files")));
    CPackFile file;
    ASSERT_TRUE(file.Open(pack));
    EXPECT_TRUE(file.ExtractAll(out)) << file.Error().message;
    EXPECT_EQ(test::TreeDifference(test::ReadTree(out), kScenario), "");
    EXPECT_FALSE(test::IsLink(HostJoin(out, "Data Files")));
    EXPECT_EQ(test::ReadTree(dir.File("outside")), outside);
}
#endif

// A link that appears in the target while the pack is extracted (after the emptying) is never
// written through: not as a member's folder, not as the member file itself.
TEST(ExtractAllTest, NeverWritesThroughAFolderLinkThatAppearsDuringExtraction) {
    test::TempDir dir;
    const std::string pack = PackTree(dir, kScenario);
    test::MakeTree(dir.File("outside"), {{"units.csv", "keep"}});
    const std::string out = dir.File("out");
    {
        test::FaultyFiles files;
        files.fail = [&](const test::CallInfo& call) {
            if (call.call == test::FileCall::MAKE_FOLDER && call.path == "Data Files") {
                EXPECT_TRUE(test::MakeLink(dir.File("outside"), out + "/" + call.path, true));
            }
            return 0;
        };
        CPackFile file(files);
        file.SetThreads(1);
        ASSERT_TRUE(file.Open(pack));
        EXPECT_FALSE(file.ExtractAll(out));
        EXPECT_EQ(file.Error().kind, Status::CANNOT_OPEN);
        EXPECT_EQ(file.Error().message,
                  out + kHostSeparator + "Data Files contains an invalid path.");
    }
    EXPECT_EQ(test::ReadTree(dir.File("outside")), (test::Tree{{"units.csv", "keep"}}));
}

TEST(ExtractAllTest, NeverWritesThroughAFileLinkThatAppearsDuringExtraction) {
    if (const char* why = test::FileLinksUnseen()) GTEST_SKIP() << why;
    test::TempDir dir;
    const std::string pack = PackTree(dir, kScenario);
    test::MakeTree(dir.File("outside"), {{"units.csv", "keep"}});
    const std::string out = dir.File("out");
    {
        test::FaultyFiles files;
        bool linked = false;
        files.fail = [&](const test::CallInfo& call) {
            if (call.call == test::FileCall::OPEN && call.path == "units.csv" &&
                (call.flags & base::kCreate) && !std::exchange(linked, true)) {
                EXPECT_TRUE(
                    test::MakeLink(dir.File("outside/units.csv"), out + "/units.csv", false));
            }
            return 0;
        };
        CPackFile file(files);
        ASSERT_TRUE(file.Open(pack));
        EXPECT_TRUE(file.ExtractAll(out)) << file.Error().message;
        EXPECT_EQ(test::TreeDifference(test::ReadTree(out), kScenario), "");
    }
    EXPECT_EQ(test::ReadTree(dir.File("outside")), (test::Tree{{"units.csv", "keep"}}));
}

// A pack whose names would write outside the target, or over one another, is refused as a whole
// before the target is touched.
struct HostileCase {
    const char* name;
    std::vector<std::string> names;  // replace the names of the first members
    std::string message;             // after "The pack <path> cannot be extracted safely: "
};

// Test names and failures show the case by its name.
void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

class HostileNames : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileNames, RefuseThePackAndLeaveTheTarget) {
    test::TempDir dir;
    std::string bytes = test::ReadFile(PackTree(dir, kScenario));
    for (std::size_t i = 0; i < GetParam().names.size(); ++i) {
        std::string field = GetParam().names[i];
        field.resize(260, '\0');
        bytes.replace(16 + 272 * i, 260, field);
    }
    const std::string pack = dir.File("hostile.zpk");
    test::WriteFile(pack, bytes);
    test::MakeTree(dir.File("out"), {{"keep.csv", "1"}});
    CPackFile file;
    ASSERT_TRUE(file.Open(pack)) << file.Error().message;
    EXPECT_FALSE(file.ExtractAll(dir.File("out")));
    EXPECT_EQ(file.Error().kind, Status::BAD_NAME);
    EXPECT_EQ(file.Error().message,
              "The pack " + pack + " cannot be extracted safely: " + GetParam().message);
    EXPECT_EQ(test::ReadTree(dir.File("out")), (test::Tree{{"keep.csv", "1"}}));
    EXPECT_EQ(test::EntriesIn(dir.Path()),
              (std::vector<std::string>{"hostile.zpk", "out", "scen", "scen.zpk"}));
}

INSTANTIATE_TEST_SUITE_P(
    Extract, HostileNames,
    testing::Values(
        HostileCase{"ParentFolder",
                    {"..\\evil.csv"},
                    "the member name \"..\\evil.csv\" holds a \".\" or \"..\" folder."},
        HostileCase{"DeepParent",
                    {"maps\\..\\..\\..\\evil"},
                    "the member name \"maps\\..\\..\\..\\evil\" holds a \".\" or \"..\" folder."},
        HostileCase{"CurrentFolder",
                    {"a\\.\\b"},
                    "the member name \"a\\.\\b\" holds a \".\" or \"..\" folder."},
        HostileCase{"RootedBackslash",
                    {"\\etc\\evil"},
                    "the member name \"\\etc\\evil\" is an absolute path."},
        HostileCase{
            "RootedSlash", {"/etc/evil"}, "the member name \"/etc/evil\" is an absolute path."},
        HostileCase{"DriveRoot", {"C:\\evil"}, "the member name \"C:\\evil\" names a drive."},
        HostileCase{"DriveRelative", {"c:evil"}, "the member name \"c:evil\" names a drive."},
        HostileCase{
            "SlashInside", {"a/../../evil"}, "the member name \"a/../../evil\" holds \"/\"."},
        HostileCase{"Empty", {""}, "the member name \"\" is empty."},
        HostileCase{
            "EmptyLevel", {"a\\\\b"}, "the member name \"a\\\\b\" holds an empty folder name."},
        HostileCase{
            "TrailingBackslash", {"a\\"}, "the member name \"a\\\" holds an empty folder name."},
        HostileCase{"SameNameOtherCase",
                    {"units.csv", "UNITS.CSV"},
                    "the members \"units.csv\" and \"UNITS.CSV\" would overwrite each other."},
        HostileCase{"SameNameOtherCaseIn8BitLetters",
                    {"\xC9t\xC9.csv", "\xE9t\xE9.csv"},
                    "the members \"\xC9t\xC9.csv\" and \"\xE9t\xE9.csv\" would overwrite each "
                    "other."},
        HostileCase{"FileAndFolder",
                    {"maps", "MAPS\\x.bmp"},
                    "the member \"maps\" is also the folder of \"MAPS\\x.bmp\"."}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

TEST(ExtractAllTest, MismatchReportsFalseWithEveryMemberWritten) {
    test::TempDir dir;
    std::string bytes = test::ReadFile(PackTree(dir, kScenario));
    test::SetU32At(bytes, 0, test::U32At(bytes, 0) + 1);  // the stored checksum, not the members
    test::WriteFile(dir.File("p.zpk"), bytes);
    CPackFile file;
    ASSERT_TRUE(file.Open(dir.File("p.zpk")));
    EXPECT_FALSE(file.ExtractAll(dir.File("out")));
    EXPECT_TRUE(file.Error().ok());
    EXPECT_EQ(test::TreeDifference(test::ReadTree(dir.File("out")), kScenario), "");
}

// A member whose compression failed when the pack was written (compressed size 0) is named and
// passed over; every other member is still written, and the extraction fails at the end.
TEST(ExtractAllTest, MemberWithoutDataIsPassedOverAndNamed) {
    test::TempDir dir;
    std::string bytes = test::ReadFile(PackTree(dir, kScenario));
    // The members in listing order: Data Files\ORDERS.CSV, Data Files\Weapons.csv, briefing.txt,
    // empty.ini, maps\sub\map.bmp, units.csv.
    for (std::size_t member : {1u, 4u})
        test::SetU32At(bytes, 16 + 272 * member + 260, 0);
    test::WriteFile(dir.File("p.zpk"), bytes);
    CPackFile file;
    ASSERT_TRUE(file.Open(dir.File("p.zpk")));
    EXPECT_FALSE(file.ExtractAll(dir.File("out")));
    EXPECT_EQ(file.Error().kind, Status::DAMAGED_MEMBER);
    EXPECT_EQ(file.Error().message,
              "The member Data Files\\Weapons.csv of " + dir.File("p.zpk") +
                  " holds no data: its compression failed when the pack was written.\n"
                  "The member maps\\sub\\map.bmp of " +
                  dir.File("p.zpk") +
                  " holds no data: its compression failed when the pack was written.");
    test::Tree expected = kScenario;
    expected.erase("Data Files\\Weapons.csv");
    expected.erase("maps\\sub\\map.bmp");
    EXPECT_EQ(test::TreeDifference(test::ReadTree(dir.File("out")), expected), "");
}

// Failures while writing members name the file; a member is never left half-written.
TEST(ExtractAllTest, FailedMemberWritesNameTheFileAndLeaveNoPartialMember) {
    struct Case {
        const char* name;
        std::function<void(test::FaultyFiles&)> arrange;
        Status::Kind kind;
        const char* message;  // %1 the file or folder below the target, `path`
        const char* path;     // as a member name
    };
    const Case cases[] = {
        {"DiskFull", [](test::FaultyFiles& f) { f.FailFrom(test::FileCall::WRITE, 1, ENOSPC); },
         Status::WRITE_FAILED, "Disk full while accessing %1.", "Data Files\\ORDERS.CSV"},
        {"FolderNotCreated",
         [](test::FaultyFiles& f) {
             f.FailPath(test::FileCall::MAKE_FOLDER, "Data Files", EACCES);
         },
         Status::CANNOT_OPEN, "Access to %1 was denied.", "Data Files"},
        {"FileNotCreated",
         [](test::FaultyFiles& f) {
             f.fail = [](const test::CallInfo& call) {
                 return call.call == test::FileCall::OPEN && call.path == "ORDERS.CSV" &&
                                (call.flags & base::kCreate)
                            ? EROFS
                            : 0;
             };
         },
         Status::CANNOT_OPEN, "Access to %1 was denied.", "Data Files\\ORDERS.CSV"},
        {"ReadBackFails",
         [](test::FaultyFiles& f) { f.FailPath(test::FileCall::READ, "ORDERS.CSV", EIO); },
         Status::READ_FAILED, "A hardware I/O error was reported while accessing %1.",
         "Data Files\\ORDERS.CSV"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string pack = PackTree(dir, kScenario);
        test::FaultyFiles files;
        c.arrange(files);
        CPackFile file(files);
        file.SetThreads(1);  // members in order: the first member is the one that fails
        ASSERT_TRUE(file.Open(pack));
        EXPECT_FALSE(file.ExtractAll(dir.File("out")));
        EXPECT_EQ(file.Error().kind, c.kind) << c.name;
        EXPECT_EQ(file.Error().message, Format(c.message, HostJoin(dir.File("out"), c.path)))
            << c.name;
        const test::Tree written = test::ReadTree(dir.File("out"));
        for (const auto& [name, bytes] : written) {
            EXPECT_EQ(bytes, kScenario.at(name)) << c.name << ": " << name;
        }
    }
}

}  // namespace
}  // namespace brisko
