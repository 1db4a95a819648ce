// Writing packs that must fail: names that cannot be packed and members that cannot be read,
// refused before anything is written, and failures of the file layer that leave an old pack whole
// and no partial file beside it.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
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
    const auto members = test::ManyMembers();
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
    PackStamp.SetChecksum(0x1122334455667788ull);
    PackStamp.SetCreated(77);
    PackWritten written;
    written.checksum = 5;
    const Status status = WritePackFile(names, pack, dir.File("scen"), options, &written);
    EXPECT_EQ(status.kind, c.kind);
    EXPECT_EQ(status.message, Format(c.message, pack, HostJoin(dir.File("scen"), "t2.csv")));
    EXPECT_EQ(test::ReadFile(pack), "old pack");
    // No values of a pack that does not exist.
    EXPECT_EQ(PackStamp.Checksum(), 0x1122334455667788ull);
    EXPECT_EQ(PackStamp.Created(), 77u);
    EXPECT_EQ(written.checksum, 5u);
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
                  Status::READ_FAILED, "A hardware I/O error was reported while accessing %2."},
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

#ifdef _WIN32
// A pack the user made read-only is not replaced.
TEST(WritePackFileTest, PackWithTheReadOnlyAttributeIsRefused) {
    test::TempDir dir;
    test::MakeTree(dir.File("scen"), {{"a.csv", "1"}});
    const std::string pack = dir.File("scen.zpk");
    test::WriteFile(pack, "old pack");
    std::filesystem::permissions(test::HostPath(pack), std::filesystem::perms::owner_read);
    const Status status = WritePackFile({"a.csv"}, pack, dir.File("scen"));
    EXPECT_EQ(status.kind, Status::CANNOT_OPEN);
    EXPECT_EQ(status.message, "Access to " + pack + " was denied.");
    EXPECT_EQ(test::ReadFile(pack), "old pack");
    EXPECT_EQ(test::EntriesIn(dir.Path()), (std::vector<std::string>{"scen", "scen.zpk"}));
    std::filesystem::permissions(test::HostPath(pack), std::filesystem::perms::owner_all);
}
#endif

}  // namespace
}  // namespace brisko
