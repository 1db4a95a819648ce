// zpk end to end: the built program run on real folders and packs, its output, messages and exit
// status, and that a refused or failed command leaves the files as they were.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FolderOps.h"
#include "PackFile.h"
#include "PackTestFiles.h"
#include "ZpkRun.h"

namespace {

namespace fs = std::filesystem;
using brisko::test::Tree;

using zpk::test::Result;
using zpk::test::Zpk;

const Tree kScenario = {
    {"units.csv", "Id,Men,\r\n1,12,\r\n2,-7,\r\n"},
    {"Data Files\\orders.CSV", "5,6\n7,,x,8,\n"},
    {"maps\\m.bmp", std::string("\0\1\xff", 3)},
    {"briefing.txt", "Hold.\r\n"},
};

// A scenario folder "scen" and its pack "scen.zpk" made by zpk.
std::string PackScenario(const brisko::test::TempDir& dir, const Tree& tree = kScenario) {
    brisko::test::MakeTree(dir.File("scen"), tree);
    const Result packed = Zpk(dir, {"pack", dir.File("scen"), dir.File("scen.zpk")});
    EXPECT_EQ(packed.status, 0) << packed.err;
    EXPECT_EQ(packed.out + packed.err, "");
    return dir.File("scen.zpk");
}

TEST(ZpkTest, VersionAndHelp) {
    brisko::test::TempDir dir;
    EXPECT_EQ(Zpk(dir, {"--version"}).out, std::string("zpk ") + ZPK_VERSION + "\n");
    const Result help = Zpk(dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: zpk COMMAND", 0), 0u);
    EXPECT_NE(help.out.find("zpk extract PACK FOLDER [--replace]"), std::string::npos);
    EXPECT_EQ(Zpk(dir, {"pack", "--help"}).out.rfind("usage: zpk pack FOLDER PACK", 0), 0u);
    EXPECT_EQ(Zpk(dir, {"help", "verify"}).out.rfind("usage: zpk verify PACK", 0), 0u);
}

TEST(ZpkTest, UsageErrorsExitWithTwo) {
    brisko::test::TempDir dir;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command given"},
        {{"unpack", "x"}, "unknown command 'unpack'"},
        {{"list"}, "list takes 1 argument"},
        {{"pack", "a"}, "pack takes 2 arguments"},
        {{"extract", "a", "b", "c"}, "extract takes 2 arguments"},
        {{"list", "a", "--fast"}, "unknown option '--fast'"},
        {{"pack", "a", "b", "--threads", "0"}, "--threads takes a number from 1 to 1024"},
        {{"verify", "a", "--expect", "1"},
         "--expect takes LOW (0 to 4294967295) and HIGH (-2147483648 to 2147483647)"},
        {{"verify", "a", "--expect", "4294967296", "0"},
         "--expect takes LOW (0 to 4294967295) and HIGH (-2147483648 to 2147483647)"},
        {{"verify", "a", "--expect", "1", "-2147483649"},
         "--expect takes LOW (0 to 4294967295) and HIGH (-2147483648 to 2147483647)"},
        {{"pack", "a", "b", "--replace"}, "an option was given that pack does not take"},
        {{"build"}, "build takes 1 argument"},
        {{"build", "a", "--root", "b"}, "ROOT and --root cannot be given together"},
        {{"build", "--root"}, "--root takes a folder"},
        {{"list", "a", "--root", "b"}, "an option was given that list does not take"},
    };
    for (const auto& [args, message] : cases) {
        const Result result = Zpk(dir, args);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.err, "zpk: " + message + "\nTry 'zpk --help'.\n");
        EXPECT_EQ(result.out, "");
    }
}

TEST(ZpkTest, PackListInfoVerifyAndExtract) {
    brisko::test::TempDir dir;
    const std::string pack = PackScenario(dir);
    brisko::CPackFile file;
    ASSERT_TRUE(file.Open(pack));

    // The listing order of the pack creator, with both sizes.
    brisko::NameList names;
    ASSERT_TRUE(brisko::ListFolderFiles(dir.File("scen"), dir.File("scen"), names).ok());
    std::string listing;
    for (std::uint32_t i = 0; i < file.GetCount(); ++i) {
        const brisko::PackEntry* entry = file.GetEntry(i);
        EXPECT_EQ(entry->Name(), names[i]);
        listing += names[i] + "\t" + std::to_string(kScenario.at(names[i]).size()) + "\t" +
                   std::to_string(entry->compressedSize) + "\n";
    }
    EXPECT_EQ(Zpk(dir, {"list", pack}).out, listing);

    const Result info = Zpk(dir, {"info", pack});
    EXPECT_EQ(info.status, 0);
    const std::uint64_t checksum = file.StoredChecksum();
    const std::string low = std::to_string(static_cast<std::uint32_t>(checksum));
    const std::string high = std::to_string(static_cast<std::int32_t>(checksum >> 32));
    EXPECT_EQ(info.out.substr(0, info.out.find("created: ")), "members: 4\n");
    EXPECT_NE(info.out.find("created: " + std::to_string(file.Created()) + " (20"),
              std::string::npos);
    EXPECT_NE(info.out.find(" UTC)\nchecksum low: " + low + "\nchecksum high: " + high +
                            "\ntrailer offset: " + std::to_string(file.TrailerOffset()) + "\n"),
              std::string::npos);

    Result verify = Zpk(dir, {"verify", pack});
    EXPECT_EQ(verify.status, 0);
    EXPECT_EQ(verify.out, "Check matched file and passed in value.\n");
    verify = Zpk(dir, {"verify", pack, "--expect", low, high});
    EXPECT_EQ(verify.out, "Check matched file and passed in value.\n");
    verify = Zpk(dir, {"verify", "--expect", "0", "-5", pack});
    EXPECT_EQ(verify.status, 1);
    EXPECT_EQ(verify.out, "Check matched file, but not passed in value.\n");

    const Result extract = Zpk(dir, {"extract", pack, dir.File("out")});
    EXPECT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(brisko::test::TreeDifference(brisko::test::ReadTree(dir.File("out")), kScenario), "");
}

TEST(ZpkTest, PackTimingsShowTheChecksumShare) {
    brisko::test::TempDir dir;
    brisko::test::MakeTree(dir.File("scen"), kScenario);
    const Result result =
        Zpk(dir, {"pack", dir.File("scen"), dir.File("p.zpk"), "--timings", "--threads", "2"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("members: 4\n"), std::string::npos);
    EXPECT_NE(result.out.find("checksum share: "), std::string::npos);
}

TEST(ZpkTest, PackFailuresWriteNoPack) {
    brisko::test::TempDir dir;
    fs::create_directories(dir.File("empty"));
    brisko::test::MakeTree(dir.File("odd"), {{"a.csv", "1"}});
#ifndef _WIN32  // Windows holds no such name
    brisko::test::WriteFile(dir.File("odd/b\\c.csv"), "2");
#endif
    brisko::test::WriteFile(dir.File("old.zpk"), "old");
    struct Case {
        std::string folder;
        std::string message;
    };
    const Case cases[] = {
        {dir.File("missing"), dir.File("missing") + " was not found."},
        {dir.File("old.zpk"), dir.File("old.zpk") + " is not a folder."},
        {dir.File("empty"), dir.File("empty") + " holds no files to pack; no pack was written."},
#ifndef _WIN32  // Windows holds no such name
        {dir.File("odd"), dir.File("odd") + "/b\\c.csv cannot be packed under its own name: a file "
                                            "or folder name in it holds \"\\\"."},
#endif
    };
    for (const Case& c : cases) {
        const Result result = Zpk(dir, {"pack", c.folder, dir.File("old.zpk")});
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, "zpk: " + c.message + "\n");
        EXPECT_EQ(brisko::test::ReadFile(dir.File("old.zpk")), "old");
    }
    EXPECT_EQ(brisko::test::EntriesIn(dir.File("")),
              (std::vector<std::string>{"empty", "odd", "old.zpk"}));
}

TEST(ZpkTest, ExtractNeedsAnEmptyFolderOrReplace) {
    brisko::test::TempDir dir;
    const std::string pack = PackScenario(dir);
    const Tree before = {{"old.txt", "mine"}, {".hidden", "also mine"}};
    brisko::test::MakeTree(dir.File("out"), before);
    brisko::test::MakeTree(dir.File("hidden-only"), {{".x", "1"}});
    Result result = Zpk(dir, {"extract", pack, dir.File("out")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "zpk: The folder " + dir.File("out") +
                              " is not empty; nothing was extracted into it.\n");
    EXPECT_EQ(brisko::test::ReadTree(dir.File("out")), before);
    EXPECT_EQ(Zpk(dir, {"extract", pack, dir.File("hidden-only")}).status, 2);

    fs::create_directories(dir.File("fresh"));
    EXPECT_EQ(Zpk(dir, {"extract", pack, dir.File("fresh")}).status, 0);
    // The current folder by "." (the program runs in the test's working folder).
    fs::create_directories(dir.File("here/sub"));
    const fs::path home = fs::current_path();
    fs::current_path(dir.File("here/sub"));
    brisko::test::WriteFile("stale.csv", "1");
    result = Zpk(dir, {"extract", pack, ".", "--replace"});
    fs::current_path(home);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(brisko::test::TreeDifference(brisko::test::ReadTree(dir.File("here/sub")), kScenario),
              "");
    result = Zpk(dir, {"extract", "--replace", pack, dir.File("out")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(brisko::test::TreeDifference(brisko::test::ReadTree(dir.File("out")), kScenario), "");
}

TEST(ZpkTest, ReplaceRefusesLinksTheRootAndFoldersHoldingThePack) {
    brisko::test::TempDir dir;
    const std::string pack = PackScenario(dir);
    brisko::test::MakeTree(dir.File("real"), {{"keep", "1"}});
    EXPECT_TRUE(brisko::test::MakeLink(dir.File("real"), dir.File("link"), true));
    fs::create_directories(dir.File("holder/sub"));
    fs::copy_file(pack, dir.File("holder/sub/p.zpk"));
    brisko::test::WriteFile(dir.File("file"), "x");
    struct Case {
        std::string pack;
        std::string folder;
        std::string message;
    };
    const Case cases[] = {
        {pack, dir.File("link"),
         "The folder " + dir.File("link") + " is a symbolic link; nothing was extracted into it."},
        {pack, dir.File("link") + "/",
         "The folder " + dir.File("link") + " is a symbolic link; nothing was extracted into it."},
        {pack, dir.File("link") + "//.",
         "The folder " + dir.File("link") + " is a symbolic link; nothing was extracted into it."},
#ifdef _WIN32
        {pack, "C:\\", "The folder C:\\ is the root folder; nothing was extracted into it."},
#else
        {pack, "/", "The folder / is the root folder; nothing was extracted into it."},
#endif
        {dir.File("holder/sub/p.zpk"), dir.File("holder"),
         "The folder " + dir.File("holder") + " holds the pack " + dir.File("holder/sub/p.zpk") +
             "; nothing was extracted into it."},
        {pack, dir.File(""),
         "The folder " + dir.File("").substr(0, dir.File("").size() - 1) + " holds the pack " +
             pack + "; nothing was extracted into it."},
        {pack, dir.File("file"),
         dir.File("file") + " is not a folder; nothing was extracted into it."},
    };
    for (const Case& c : cases) {
        const Result result = Zpk(dir, {"extract", c.pack, c.folder, "--replace"});
        EXPECT_EQ(result.status, 2) << c.message;
        EXPECT_EQ(result.err, "zpk: " + c.message + "\n");
    }
    EXPECT_EQ(brisko::test::ReadTree(dir.File("real")), (Tree{{"keep", "1"}}));
    EXPECT_TRUE(brisko::test::Exists(dir.File("holder/sub/p.zpk")));
    EXPECT_EQ(brisko::test::ReadFile(dir.File("file")), "x");
}

std::string Patched(const std::string& pack, std::size_t offset, const std::string& bytes) {
    std::string data = brisko::test::ReadFile(pack);
    data.replace(offset, bytes.size(), bytes);
    return data;
}

TEST(ZpkTest, HostilePackIsRefusedAndTheFolderKept) {
    brisko::test::TempDir dir;
    const std::string pack = PackScenario(dir);
    brisko::test::WriteFile(dir.File("evil.zpk"), Patched(pack, 16, std::string("..\\x.csv\0", 9)));
    brisko::test::MakeTree(dir.File("out"), {{"keep", "1"}});
    const Result result = Zpk(dir, {"extract", dir.File("evil.zpk"), dir.File("out"), "--replace"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "zpk: The pack " + dir.File("evil.zpk") +
                              " cannot be extracted safely: the member name \"..\\x.csv\" holds a "
                              "\".\" or \"..\" folder.\n");
    EXPECT_EQ(brisko::test::ReadTree(dir.File("out")), (Tree{{"keep", "1"}}));
    EXPECT_FALSE(brisko::test::Exists(dir.File("x.csv")));
}

TEST(ZpkTest, ChecksumMismatchExitsWithOne) {
    brisko::test::TempDir dir;
    const std::string pack = PackScenario(dir);
    const std::string data = brisko::test::ReadFile(pack);
    brisko::test::WriteFile(dir.File("bad.zpk"), Patched(pack, 0, std::string(1, data[0] ^ 1)));
    Result result = Zpk(dir, {"extract", dir.File("bad.zpk"), dir.File("out")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Checksum failed.\n");
    EXPECT_EQ(brisko::test::TreeDifference(brisko::test::ReadTree(dir.File("out")), kScenario), "");
    result = Zpk(dir, {"verify", dir.File("bad.zpk")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Check failed all.\n");
}

TEST(ZpkTest, DamagedPacksAreFileErrors) {
    brisko::test::TempDir dir;
    const std::string pack = PackScenario(dir);
    const std::string data = brisko::test::ReadFile(pack);
    brisko::test::WriteFile(dir.File("cut.zpk"), data.substr(0, data.size() - 2));
    const std::string cut = "zpk: " + dir.File("cut.zpk") + " is damaged: its trailer offset " +
                            std::to_string(data.size() - 4) + " lies outside its data area.\n";
    for (const char* command : {"list", "info", "verify"}) {
        const Result result = Zpk(dir, {command, dir.File("cut.zpk")});
        EXPECT_EQ(result.status, 2) << command;
        EXPECT_EQ(result.err, cut) << command;
        EXPECT_EQ(result.out, "") << command;
    }
    const Result missing = Zpk(dir, {"extract", dir.File("none.zpk"), dir.File("out")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "zpk: " + dir.File("none.zpk") + " was not found.\n");
    EXPECT_FALSE(brisko::test::Exists(dir.File("out")));
}

// A member that does not inflate stops the extraction; what was extracted is removed again.
TEST(ZpkTest, FailedExtractionLeavesNothingHalfWritten) {
    brisko::test::TempDir dir;
    const std::string pack = PackScenario(dir);
    std::string data = brisko::test::ReadFile(pack);
    const std::size_t last = data.size() - 6;  // inside the last member's stream
    data[last] = static_cast<char>(data[last] ^ 0x5A);
    brisko::test::WriteFile(dir.File("bad.zpk"), data);
    const Result result = Zpk(dir, {"extract", dir.File("bad.zpk"), dir.File("out")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.rfind(
                  "zpk: The member units.csv of " + dir.File("bad.zpk") + " is damaged: ", 0),
              0u)
        << result.err;
    EXPECT_FALSE(brisko::test::Exists(dir.File("out")));
}

}  // namespace
