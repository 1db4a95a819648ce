// Writing packs: the byte layout against a pack built step by step from the format's rules, the
// same bytes whatever the number of threads, and failures that leave an old pack whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "FaultyFiles.h"
#include "HostPath.h"
#include "PackStamp.h"
#include "PackTestFiles.h"
#include "PackWriter.h"

namespace brisko {
namespace {

using Members = std::vector<std::pair<std::string, std::string>>;

constexpr std::uint64_t kCreated = 133500000000000000ull;  // a moment in 2024

struct Packed {
    Status status;
    std::string bytes;
};

// Writes the members into a folder, packs them in this order and reads the pack back.
Packed PackMembers(const test::TempDir& dir, const Members& members,
                   PackWriteOptions options = {}) {
    NameList names;
    test::Tree tree;
    for (const auto& [name, bytes] : members) {
        names.push_back(name);
        tree[name] = bytes;
    }
    test::MakeTree(dir.File("scen"), tree);
    if (!options.created) options.created = kCreated;
    const std::string pack = dir.File("scen.zpk");
    Packed packed{WritePackFile(names, pack, dir.File("scen") + "/", options), ""};
    if (test::Exists(pack)) packed.bytes = test::ReadFile(pack);
    return packed;
}

TEST(WritePackFileTest, EmptyListWritesNothingAndKeepsTheStamp) {
    test::TempDir dir;
    PackStamp.SetChecksum(0x1122334455667788ull);
    PackStamp.SetCreated(99);
    const Status status = WritePackFile({}, dir.File("p.zpk"), dir.File(""));
    EXPECT_EQ(status.kind, Status::NOTHING_TO_PACK);
    EXPECT_EQ(status.message, "There are no files to pack into " + dir.File("p.zpk") + ".");
    EXPECT_TRUE(test::EntriesIn(dir.Path()).empty());
    EXPECT_EQ(PackStamp.Checksum(), 0x1122334455667788ull);
    EXPECT_EQ(PackStamp.Created(), 99u);
}

TEST(WritePackFileTest, OneEmptyFileGivesAnEightByteStreamAndT300) {
    test::TempDir dir;
    const Packed packed = PackMembers(dir, {{"empty.txt", ""}});
    ASSERT_TRUE(packed.status.ok()) << packed.status.message;
    ASSERT_EQ(packed.bytes.size(), 304u);
    EXPECT_EQ(test::U32At(packed.bytes, 8), 1u);         // N
    EXPECT_EQ(test::U32At(packed.bytes, 12), 300u);      // T
    EXPECT_EQ(test::U32At(packed.bytes, 16 + 260), 8u);  // compressed size
    EXPECT_EQ(test::U32At(packed.bytes, 16 + 264), 0u);  // data offset
    EXPECT_EQ(test::U32At(packed.bytes, 16 + 268), 0u);  // uncompressed size
    EXPECT_EQ(packed.bytes, test::ReferencePack({{"empty.txt", ""}}, kCreated));
}

TEST(WritePackFileTest, GivesTheLayoutOfTheFormatAndSetsTheStamp) {
    test::TempDir dir;
    const Members members = {
        {"units.csv", "Id,Men,\r\n1,12,\r\n2,-7,\r\n"},
        {"Data Files\\Orders.CSV", "5,6\n7,,x,8,\n"},  // upper case: still a table
        {"maps\\Sub\\Map.bmp", std::string("\0\1\2\xff", 4) + std::string(3000, 'a')},
        {"briefing.txt", "12,13,14\r\n"},  // numbers, but no table
    };
    const Packed packed = PackMembers(dir, members);
    ASSERT_TRUE(packed.status.ok()) << packed.status.message;
    EXPECT_EQ(packed.bytes, test::ReferencePack(members, kCreated));
    // Names keep their case; the rest of the name field is zeros.
    EXPECT_EQ(packed.bytes.substr(16 + 272, 22), std::string("Data Files\\Orders.CSV\0", 22));
    EXPECT_EQ(packed.bytes.substr(16 + 272 + 22, 238), std::string(238, '\0'));
    const std::uint64_t checksum =
        test::ReferenceChecksum({members[0].second, members[1].second}, kCreated);
    EXPECT_EQ(PackStamp.Checksum(), checksum);
    EXPECT_EQ(PackStamp.Created(), kCreated);
}

TEST(WritePackFileTest, PackWithoutTablesHasTheSeedAsChecksum) {
    test::TempDir dir;
    const Packed packed = PackMembers(dir, {{"a.txt", "1,2,3"}, {"b.ini", "[x]\r\ny=4\r\n"}});
    ASSERT_TRUE(packed.status.ok());
    const std::uint64_t stored = std::uint64_t(test::U32At(packed.bytes, packed.bytes.size() - 4))
                                     << 32 |
                                 test::U32At(packed.bytes, 0);
    EXPECT_EQ(stored, kCreated + SeedOffset);
}

TEST(WritePackFileTest, PacksOfTheSameFolderDifferOnlyInTimeAndChecksum) {
    test::TempDir first;
    test::TempDir second;
    const Members members = {{"a.csv", "1,2,3\r\n"}, {"b.bmp", "xyz"}};
    PackWriteOptions later;
    later.created = kCreated + 10000;
    const Packed a = PackMembers(first, members);
    const Packed b = PackMembers(second, members, later);
    ASSERT_EQ(a.bytes.size(), b.bytes.size());
    const std::size_t createdHigh = 16 + 272 * 2;
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) {
        if (a.bytes[i] != b.bytes[i]) differing.push_back(i);
    }
    for (std::size_t i : differing) {
        EXPECT_TRUE(i < 8 || (i >= createdHigh && i < createdHigh + 4) || i >= a.bytes.size() - 4)
            << "byte " << i;
    }
    EXPECT_FALSE(differing.empty());
}

// Members of many sizes, the largest not first, so that threads finish them out of order.
Members ManyMembers() {
    Members members;
    const int rows[] = {5, 900, 0, 40, 2500, 1, 300, 1200, 7, 60, 2000, 3};
    for (int i = 0; i < 12; ++i) {
        const std::string name =
            (i % 3 ? "t" : "Data Files\\t") + std::to_string(i) + (i % 4 == 3 ? ".bin" : ".csv");
        members.push_back({name, test::GameTable(rows[i], 9, i)});
    }
    return members;
}

TEST(WritePackFileTest, ThreadsAndHoldingLimitsNeverChangeTheBytes) {
    const Members members = ManyMembers();
    const std::string expected = test::ReferencePack(members, kCreated);
    struct Case {
        unsigned threads;
        std::size_t pendingLimit;
    };
    const Case cases[] = {{1, 64u << 20}, {2, 64u << 20}, {3, 0},
                          {4, 1},         {8, 20000},     {0, 64u << 20}};
    for (const Case& c : cases) {
        test::TempDir dir;
        PackWriteOptions options;
        options.threads = c.threads;
        options.pendingLimit = c.pendingLimit;
        PackTimings timings;
        options.timings = &timings;
        const Packed packed = PackMembers(dir, members, options);
        ASSERT_TRUE(packed.status.ok()) << packed.status.message;
        EXPECT_TRUE(packed.bytes == expected) << c.threads << " threads, limit " << c.pendingLimit;
        EXPECT_GT(timings.compressing, 0);
        EXPECT_GE(timings.total, timings.writing);
    }
}

struct RefusedCase {
    const char* name;
    NameList names;
    test::Tree files;  // what the folder holds
    Status::Kind kind;
    std::string message;  // %1 and %2: the source paths of the first two names
};

// Test names and failures show the case by its name.
void PrintTo(const RefusedCase& c, std::ostream* out) {
    *out << c.name;
}

class RefusedNames : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedNames, EndTheWriteBeforeAnythingIsWritten) {
    const RefusedCase& c = GetParam();
    test::TempDir dir;
    const std::string folder = dir.File("scen") + "/";
    std::filesystem::create_directories(folder);
    test::MakeTree(folder, c.files);
    const std::string pack = dir.File("scen.zpk");
    test::WriteFile(pack, "old pack");
    const Status status = WritePackFile(c.names, pack, folder);
    EXPECT_EQ(status.kind, c.kind);
    const auto source = [&](std::size_t i) { return folder + MemberToHost(c.names[i]); };
    EXPECT_EQ(status.message,
              Format(c.message.c_str(), source(0), c.names.size() > 1 ? source(1) : ""));
    EXPECT_EQ(test::ReadFile(pack), "old pack");
    EXPECT_EQ(test::EntriesIn(dir.Path()), (std::vector<std::string>{"scen", "scen.zpk"}));
}

const std::string kName260 =
    std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" + std::string(58, 'c');

INSTANTIATE_TEST_SUITE_P(
    Pack, RefusedNames,
    testing::Values(
        RefusedCase{"NameOf260",
                    {kName260},
                    {{kName260, "x"}},
                    Status::BAD_NAME,
                    "The name %1 is too long for a pack: member names have at most 259 "
                    "characters."},
        RefusedCase{"DotDot",
                    {"..\\x.csv"},
                    {},
                    Status::BAD_NAME,
                    "The name \"..\\x.csv\" cannot be packed: it holds a \".\" or \"..\" folder."},
        RefusedCase{"Absolute",
                    {"\\x.csv"},
                    {},
                    Status::BAD_NAME,
                    "The name \"\\x.csv\" cannot be packed: it is an absolute path."},
        RefusedCase{"Drive",
                    {"C:x.csv"},
                    {{"C:x.csv", "x"}},
                    Status::BAD_NAME,
                    "The name \"C:x.csv\" cannot be packed: it names a drive."},
        RefusedCase{
            "Empty", {""}, {}, Status::BAD_NAME, "The name \"\" cannot be packed: it is empty."},
        RefusedCase{"CaseTwins",
                    {"units.csv", "UNITS.csv"},
                    {{"units.csv", "1"}, {"UNITS.csv", "2"}},
                    Status::BAD_NAME,
                    "%1 and %2 differ only in letter case; a pack cannot hold both."},
        RefusedCase{"Twice",
                    {"units.csv", "units.csv"},
                    {{"units.csv", "1"}},
                    Status::BAD_NAME,
                    "%1 and %2 differ only in letter case; a pack cannot hold both."},
        RefusedCase{"FileAndFolder",
                    {"maps", "Maps\\m.bmp"},
#ifdef _WIN32  // a file "maps" and a folder "Maps" cannot stand side by side there
                    {{"maps", "1"}},
#else
                    {{"maps", "1"}, {"Maps\\m.bmp", "2"}},
#endif
                    Status::BAD_NAME,
                    "%1 has the name of the folder of %2; a pack cannot hold both."},
        RefusedCase{"Vanished", {"gone.csv"}, {}, Status::CANNOT_OPEN, "%1 was not found."},
        RefusedCase{"Folder",
                    {"maps"},
                    {{"maps\\m.bmp", "1"}},
                    Status::CANNOT_OPEN,
                    "%1 is not a file that can be packed."}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(WritePackFileTest, NameOf259CharactersFits) {
    test::TempDir dir;
    const std::string name = kName260.substr(0, 259);
    const Packed packed = PackMembers(dir, {{name, "x"}});
    ASSERT_TRUE(packed.status.ok()) << packed.status.message;
    EXPECT_EQ(packed.bytes.substr(16, 260), name + '\0');
}

// A sparse file: its size is looked up, never read.
TEST(WritePackFileTest, MemberOfTwoGibibytesIsRefused) {
    test::TempDir dir;
    const std::string folder = dir.File("scen") + "/";
    std::filesystem::create_directories(folder);
    test::WriteFile(folder + "big.bin", "");
    std::filesystem::resize_file(folder + "big.bin", 0x80000000ull);
    const Status status = WritePackFile({"big.bin"}, dir.File("p.zpk"), folder);
    EXPECT_EQ(status.kind, Status::TOO_LARGE);
    EXPECT_EQ(status.message,
              folder + "big.bin is too large for a pack: a member must stay below 2 GiB.");
    EXPECT_FALSE(test::Exists(dir.File("p.zpk")));
}

TEST(WritePackFileTest, PackThatWouldReachTheSizeLimitIsRefused) {
    test::TempDir dir;
    PackWriteOptions options;
    options.packSizeLimit = 20 + 272 * 2 + 4 + 40;  // room for the directory, not for the data
    const Packed packed =
        PackMembers(dir, {{"a.csv", test::GameTable(10, 5, 1)}, {"b.csv", "1"}}, options);
    EXPECT_EQ(packed.status.kind, Status::TOO_LARGE);
    EXPECT_EQ(packed.status.message, "The pack " + dir.File("scen.zpk") +
                                         " would reach 4 GiB; a pack must stay below 4 GiB.");
    EXPECT_FALSE(test::Exists(dir.File("scen.zpk")));
    EXPECT_EQ(test::EntriesIn(dir.Path()), std::vector<std::string>{"scen"});
}

TEST(WritePackFileTest, LinkToAnOldPackKeepsTheLinkAndReplacesTheFileItNames) {
    test::TempDir dir;
    test::WriteFile(dir.File("real.zpk"), "old");
    EXPECT_TRUE(test::MakeLink("real.zpk", dir.File("scen.zpk"), false));
    const Packed packed = PackMembers(dir, {{"a.csv", "1,2"}});
    ASSERT_TRUE(packed.status.ok()) << packed.status.message;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("scen.zpk")));
    EXPECT_EQ(test::ReadFile(dir.File("real.zpk")),
              test::ReferencePack({{"a.csv", "1,2"}}, kCreated));
}

// Failures of the file layer: the user's text naming the pack or the member, the old pack as it
// was and no temporary file left beside it.
struct FaultCase {
    const char* name;
    std::function<void(test::FaultyFiles&)> arrange;
    Status::Kind kind;
    const char* message;  // %1 the pack, %2 the member file t2.csv
};

// Test names and failures show the case by its name.
void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

class FileFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(FileFaults, LeaveTheOldPackAndNoPartialFile) {
    const FaultCase& c = GetParam();
    test::TempDir dir;
    const Members members = ManyMembers();
    test::Tree tree(members.begin(), members.end());
    test::MakeTree(dir.File("scen"), tree);
    test::MakeTree(dir.File("scen"), {{"t2.csv", test::GameTable(700, 9, 2)}});
    NameList names;
    for (const auto& [name, bytes] : tree)
        names.push_back(name);
    const std::string pack = dir.File("scen.zpk");
    test::WriteFile(pack, "old pack");
    test::FaultyFiles files;
    c.arrange(files);
    PackWriteOptions options;
    options.files = &files;
    options.threads = 2;
    const Status status = WritePackFile(names, pack, dir.File("scen"), options);
    EXPECT_EQ(status.kind, c.kind);
    EXPECT_EQ(status.message, Format(c.message, pack, HostJoin(dir.File("scen"), "t2.csv")));
    EXPECT_EQ(test::ReadFile(pack), "old pack");
    EXPECT_EQ(test::EntriesIn(dir.Path()), (std::vector<std::string>{"scen", "scen.zpk"}));
}

bool IsMember(const std::string& path) {
    return path.size() > 6 && path.ends_with(kHostSeparator + std::string("t2.csv"));
}

INSTANTIATE_TEST_SUITE_P(
    Pack, FileFaults,
    testing::Values(
        FaultCase{"PackCannotBeCreated",
                  [](test::FaultyFiles& f) {
                      f.fail = [](const test::CallInfo& call) {
                          const unsigned writing = base::kCreate | base::kWrite;
                          return call.call == test::FileCall::OPEN && (call.flags & writing)
                                     ? EACCES
                                     : 0;
                      };
                  },
                  Status::CANNOT_OPEN, "Access to %1 was denied."},
        FaultCase{"DiskFullOnThirdWrite",
                  [](test::FaultyFiles& f) { f.FailNth(test::FileCall::WRITE, 3, ENOSPC); },
                  Status::WRITE_FAILED, "Disk full while accessing %1."},
        FaultCase{"ShortWritesThenNoProgress",
                  [](test::FaultyFiles& f) {
                      auto calls = std::make_shared<std::size_t>(0);
                      f.writeSize = [calls](std::size_t size) {
                          return ++*calls > 40 ? 0 : std::min<std::size_t>(size, 7);
                      };
                  },
                  Status::WRITE_FAILED, "Disk full while accessing %1."},
        FaultCase{"FinalHeaderWriteFails",
                  [](test::FaultyFiles& f) { f.FailNth(test::FileCall::WRITE, 15, EIO); },
                  Status::WRITE_FAILED, "A hardware I/O error was reported while accessing %1."},
        FaultCase{"SyncFails",
                  [](test::FaultyFiles& f) { f.FailFrom(test::FileCall::SYNC, 1, EIO); },
                  Status::WRITE_FAILED, "A hardware I/O error was reported while accessing %1."},
        FaultCase{"CloseFails",
                  [](test::FaultyFiles& f) { f.FailFrom(test::FileCall::CLOSE, 1, EDQUOT); },
                  Status::WRITE_FAILED, "Disk full while accessing %1."},
        FaultCase{"RenameFails",
                  [](test::FaultyFiles& f) { f.FailFrom(test::FileCall::RENAME, 1, EXDEV); },
                  Status::WRITE_FAILED, "An unknown error occurred while accessing %1."},
        FaultCase{"MemberCannotBeOpened",
                  [](test::FaultyFiles& f) {
                      f.fail = [](const test::CallInfo& call) {
                          return call.call == test::FileCall::OPEN && IsMember(call.path) ? EACCES
                                                                                          : 0;
                      };
                  },
                  Status::CANNOT_OPEN, "Access to %2 was denied."},
        FaultCase{"MemberReadFails",
                  [](test::FaultyFiles& f) {
                      f.fail = [](const test::CallInfo& call) {
                          return call.call == test::FileCall::READ && IsMember(call.path) ? EIO : 0;
                      };
                  },
                  Status::READ_FAILED, "An unknown error occurred while accessing %2."},
        FaultCase{"MemberGrewAfterListing",
                  [](test::FaultyFiles& f) {
                      f.fail = [](const test::CallInfo& call) {
                          if (call.call == test::FileCall::OPEN && IsMember(call.path)) {
                              test::WriteFile(call.path, test::ReadFile(call.path) + "9,9,\r\n");
                          }
                          return 0;
                      };
                  },
                  Status::READ_FAILED, "%2 changed while it was being packed."},
        FaultCase{"MemberShrankAfterListing",
                  [](test::FaultyFiles& f) {
                      f.fail = [](const test::CallInfo& call) {
                          if (call.call == test::FileCall::OPEN && IsMember(call.path)) {
                              test::WriteFile(call.path, "1,");
                          }
                          return 0;
                      };
                  },
                  Status::READ_FAILED, "%2 changed while it was being packed."}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(WritePackFileTest, PackWhoseFolderIsAFileCannotBeCreated) {
    // A parent that is a plain file stops the write even for root.
    test::TempDir dir;
    test::MakeTree(dir.File("scen"), {{"a.csv", "1"}});
    test::WriteFile(dir.File("plain"), "x");
    const Status status = WritePackFile({"a.csv"}, dir.File("plain/p.zpk"), dir.File("scen"));
    EXPECT_EQ(status.kind, Status::CANNOT_OPEN);
    EXPECT_EQ(status.message, dir.File("plain/p.zpk") + " contains an invalid path.");
    EXPECT_EQ(test::ReadFile(dir.File("plain")), "x");
}

}  // namespace
}  // namespace brisko
