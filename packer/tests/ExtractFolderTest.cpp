// The folder a pack is extracted into: the rules it must meet however its path is written, what
// becomes of what it held, and the faults met on the way, each with its exact outcome.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <limits>
#include <ostream>
#include <string>

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
    {"maps\\m.bmp", std::string("\0\xff\x10", 3)},
};
const test::Tree kOld = {{"old.csv", "9"}, {".hidden", "h"}, {"sub\\x.txt", "x"}};
// Between the levels of a path that the extraction makes itself.
const std::string kSeparator(1, kHostSeparator);

// The scratch folder of one case: "scen.zpk" packed from kScenario, "real" holding kOld, "link"
// a link to it, "file" a plain file.
struct Scene {
    test::TempDir dir;
    std::string pack;

    Scene() {
        test::MakeTree(dir.File("scen"), kScenario);
        NameList names;
        EXPECT_TRUE(ListFolderFiles(dir.File("scen"), dir.File("scen"), names).ok());
        pack = dir.File("scen.zpk");
        EXPECT_TRUE(WritePackFile(names, pack, dir.File("scen")).ok());
        test::MakeTree(dir.File("real"), kOld);
        EXPECT_TRUE(test::MakeLink(dir.File("real"), dir.File("link"), true));
        test::WriteFile(dir.File("file"), "f");
    }
};

struct TargetCase {
    const char* name;
    std::string target;  // %1: the scratch folder; a path without "/" is made in it as the
                         // current folder
    ExistingFolder existing;
    std::function<void(Scene&, test::FaultyFiles&)> arrange;
    Status::Kind kind;      // OK: extracted, and the checksum matched
    std::string message;    // %1 the scratch folder, %2 the pack
    std::string folder;     // whose contents are checked afterwards (%1 as above)
    test::Tree after;       // what that folder holds afterwards
    bool fileLink = false;  // the case makes a link to a file
};

// Test names and failures show the case by its name.
void PrintTo(const TargetCase& c, std::ostream* out) {
    *out << c.name;
}

class ExtractFolders : public testing::TestWithParam<TargetCase> {};

TEST_P(ExtractFolders, FollowTheRules) {
    const TargetCase& c = GetParam();
    if (const char* why = c.fileLink ? test::FileLinksUnseen() : nullptr) GTEST_SKIP() << why;
    Scene scene;
    test::FaultyFiles files;
    if (c.arrange) c.arrange(scene, files);
    const std::string root = scene.dir.File("");
    const fs::path home = fs::current_path();
    fs::current_path(root);  // for targets given by a relative name
    CPackFile pack(files);
    pack.SetThreads(1);
    ASSERT_TRUE(pack.Open(scene.pack));
    ExtractOptions options;
    options.existing = c.existing;
    const bool matched =
        pack.ExtractAll(Format(c.target.c_str(), root.substr(0, root.size() - 1)), options);
    fs::current_path(home);
    EXPECT_EQ(matched, c.kind == Status::OK);
    EXPECT_EQ(pack.Error().kind, c.kind);
    EXPECT_EQ(pack.Error().message,
              Format(c.message.c_str(), root.substr(0, root.size() - 1), scene.pack));
    const std::string folder = Format(c.folder.c_str(), root.substr(0, root.size() - 1));
    EXPECT_EQ(test::TreeDifference(test::ReadTree(folder), c.after), "");
    EXPECT_TRUE(test::Exists(scene.pack));
    EXPECT_EQ(test::ReadTree(scene.dir.File("scen")), kScenario);
}

INSTANTIATE_TEST_SUITE_P(
    Extract, ExtractFolders,
    testing::Values(
        TargetCase{"LinkWithTrailingSeparators", "%1/link//", ExistingFolder::EMPTY, nullptr,
                   Status::REFUSED,
                   "The folder %1/link is a symbolic link; nothing was extracted into it.",
                   "%1/real", kOld},
        TargetCase{"LinkWithDotLevel", "%1/link/./", ExistingFolder::EMPTY, nullptr,
                   Status::REFUSED,
                   "The folder %1/link is a symbolic link; nothing was extracted into it.",
                   "%1/real", kOld},
        TargetCase{"RelativeLink", "link/", ExistingFolder::EMPTY, nullptr, Status::REFUSED,
                   "The folder link is a symbolic link; nothing was extracted into it.", "%1/real",
                   kOld},
        TargetCase{
            "FolderHoldingThePackDeepDown", "%1", ExistingFolder::EMPTY, nullptr, Status::REFUSED,
            "The folder %1 holds the pack %2; nothing was extracted into it.", "%1/real", kOld},
        TargetCase{"FolderHoldingThePackThroughALink", "%1/holder", ExistingFolder::EMPTY,
                   [](Scene& s, test::FaultyFiles&) {
                       fs::create_directories(s.dir.File("holder/deep"));
                       fs::rename(s.pack, s.dir.File("holder/deep/scen.zpk"));
                       EXPECT_TRUE(test::MakeLink("holder/deep/scen.zpk", s.pack, false));
                   },
                   Status::REFUSED,
                   "The folder %1/holder holds the pack %2; nothing was extracted into it.",
                   "%1/real", kOld, true},
        TargetCase{"OneLetterName", "T/", ExistingFolder::EMPTY,
                   [](Scene& s, test::FaultyFiles&) { test::MakeTree(s.dir.File("T"), kOld); },
                   Status::OK, "", "%1/T", kScenario},
        TargetCase{"DotDotEnding", "%1/real/sub/..", ExistingFolder::EMPTY, nullptr, Status::OK, "",
                   "%1/real", kScenario},
        TargetCase{"MissingIsCreated", "%1/new", ExistingFolder::REFUSE, nullptr, Status::OK, "",
                   "%1/new", kScenario},
        TargetCase{"NotEmptyRefused", "%1/real", ExistingFolder::REFUSE, nullptr, Status::REFUSED,
                   "The folder %1/real is not empty; nothing was extracted into it.", "%1/real",
                   kOld},
        TargetCase{"HiddenEntryIsNotEmpty",
                   "%1/hidden/",
                   ExistingFolder::REFUSE,
                   [](Scene& s, test::FaultyFiles&) {
                       test::MakeTree(s.dir.File("hidden"), {{".x", "1"}});
                   },
                   Status::REFUSED,
                   "The folder %1/hidden is not empty; nothing was extracted into it.",
                   "%1/hidden",
                   {{".x", "1"}}},
#ifdef _WIN32
        TargetCase{"RootFolder", "C:\\", ExistingFolder::EMPTY, nullptr, Status::REFUSED,
                   "The folder C:\\ is the root folder; nothing was extracted into it.", "%1/real",
                   kOld},
        TargetCase{"RootOfTheCurrentDrive", "/", ExistingFolder::EMPTY, nullptr, Status::REFUSED,
                   "The folder / is the root folder; nothing was extracted into it.", "%1/real",
                   kOld},
#else
        TargetCase{"RootFolder", "//", ExistingFolder::EMPTY, nullptr, Status::REFUSED,
                   "The folder / is the root folder; nothing was extracted into it.", "%1/real",
                   kOld},
#endif
        TargetCase{"PlainFile", "%1/file/", ExistingFolder::EMPTY, nullptr, Status::REFUSED,
                   "%1/file is not a folder; nothing was extracted into it.", "%1/real", kOld},
        TargetCase{"ParentMissing", "%1/no/out", ExistingFolder::EMPTY, nullptr,
                   Status::CANNOT_OPEN, "%1/no/out was not found.", "%1/real", kOld},
        TargetCase{"EmptyingFails",
                   "%1/real",
                   ExistingFolder::EMPTY,
                   [](Scene&, test::FaultyFiles& f) {
                       f.FailPath(test::FileCall::UNLINK, "old.csv", EACCES);
                   },
                   Status::WRITE_FAILED,
                   "The folder %1/real could not be emptied, so nothing was extracted into it: "
                   "Access to %1/real" +
                       kSeparator + "old.csv was denied.",
                   "%1/real",
                   {{"old.csv", "9"}}},
        TargetCase{"CloseOfAMemberFails",
                   "%1/out",
                   ExistingFolder::EMPTY,
                   [](Scene&, test::FaultyFiles& f) {
                       f.FailPath(test::FileCall::CLOSE, "ORDERS.CSV", EIO);
                   },
                   Status::WRITE_FAILED,
                   "A hardware I/O error was reported while accessing %1/out" + kSeparator +
                       "Data Files" + kSeparator + "ORDERS.CSV.",
                   "%1/out",
                   {}}),
    [](const testing::TestParamInfo<TargetCase>& info) { return std::string(info.param.name); });

// A failed close closes the descriptor once: closing it again could close another member's file,
// opened meanwhile on another thread under the same number. Every close names a file opened
// through the file layer; a second close of the same number would name none.
TEST(ExtractAllTest, FailedCloseClosesOnce) {
    Scene scene;
    test::FaultyFiles files;
    std::atomic<int> unknown{0};
    files.fail = [&](const test::CallInfo& call) {
        if (call.call != test::FileCall::CLOSE) return 0;
        if (call.path.empty()) ++unknown;
        return call.path == "ORDERS.CSV" ? EIO : 0;
    };
    CPackFile pack(files);
    pack.SetThreads(1);
    ASSERT_TRUE(pack.Open(scene.pack));
    EXPECT_FALSE(pack.ExtractAll(scene.dir.File("out")));
    EXPECT_EQ(pack.Error().kind, Status::WRITE_FAILED);
    EXPECT_EQ(unknown, 0);
}

// Memory that runs out for one member: the error names that member, not the pack alone.
TEST(ExtractAllTest, MemoryRunningOutNamesTheMember) {
    test::TempDir dir;
    const test::Tree tree = {
        {"a.txt", "small"}, {"big.bin", std::string(6 << 20, '\0')}, {"c.txt", "small too"}};
    test::MakeTree(dir.File("scen"), tree);
    ASSERT_TRUE(
        WritePackFile({"a.txt", "big.bin", "c.txt"}, dir.File("p.zpk"), dir.File("scen")).ok());
    CPackFile pack;
    pack.SetThreads(1);
    ASSERT_TRUE(pack.Open(dir.File("p.zpk")));
    Buffer::Limit() = 5 << 20;
    const bool matched = pack.ExtractAll(dir.File("out"));
    Buffer::Limit() = std::numeric_limits<std::size_t>::max();
    EXPECT_FALSE(matched);
    EXPECT_EQ(pack.Error().kind, Status::NO_MEMORY);
    EXPECT_EQ(pack.Error().message,
              "Not enough memory to read the member big.bin of " + dir.File("p.zpk") + ".");
    EXPECT_EQ(test::ReadTree(dir.File("out")), (test::Tree{{"a.txt", "small"}}));
}

TEST(BufferTest, FailedGrowthLeavesAnEmptyBufferThatGrowsAgain) {
    Buffer buffer;
    buffer.Resize(100);
    Buffer::Limit() = 1000;
    EXPECT_THROW(buffer.Resize(2000), std::bad_alloc);
    Buffer::Limit() = std::numeric_limits<std::size_t>::max();
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(buffer.capacity(), 0u);
    EXPECT_TRUE(buffer.view().empty());
    buffer.Resize(50);
    buffer.data()[49] = 'x';
    EXPECT_EQ(buffer.view().size(), 50u);
}

}  // namespace
}  // namespace brisko
