// Folders on disk: listing a scenario folder as member names, listing packs and scenario folders,
// telling folders from files, and emptying a folder without following links.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FolderOps.h"
#include "HostPath.h"
#include "PackTestFiles.h"

namespace brisko {
namespace {

namespace fs = std::filesystem;

TEST(ListFolderFilesTest, ListsDepthFirstInByteOrderWithoutDotNames) {
    test::TempDir dir;
    const std::string scen = dir.File("scen");
    test::MakeTree(scen, {
                             {"units.csv", "1"},
                             {"B.txt", "2"},
                             {"a", "3"},
                             {"a b\\c.bmp", "4"},
                             {"Data Files\\tables.csv", "5"},
                             {"Data Files\\.hidden.csv", "6"},
                             {".git\\config", "7"},
                             {"maps\\sub\\deep\\m.bmp", "8"},
                             {"maps\\.cache\\x", "9"},
                         });
    fs::create_directories(scen + "/empty/inner");
    NameList list = {"kept"};  // the list is appended to, never cleared
    EXPECT_TRUE(ListFolderFiles(scen + "/", scen + "/", list).ok());
    EXPECT_EQ(list, (NameList{"kept", "B.txt", "Data Files\\tables.csv", "a", "a b\\c.bmp",
                              "maps\\sub\\deep\\m.bmp", "units.csv"}));
}

TEST(ListFolderFilesTest, NamesAreRelativeToTheBaseFolder) {
    test::TempDir dir;
    test::MakeTree(dir.File("scen"), {{"maps\\m.bmp", "1"}, {"x.csv", "2"}});
    NameList list;
    EXPECT_TRUE(ListFolderFiles(dir.File("scen/maps"), dir.File("scen"), list).ok());
    EXPECT_EQ(list, NameList{"maps\\m.bmp"});
}

TEST(ListFolderFilesTest, MissingFolderAddsNothing) {
    test::TempDir dir;
    NameList list;
    EXPECT_TRUE(ListFolderFiles(dir.File("none"), dir.File("none"), list).ok());
    EXPECT_TRUE(list.empty());
}

#ifndef _WIN32  // Windows holds no such name
TEST(ListFolderFilesTest, HostNameHoldingABackslashIsReportedAndLeftOut) {
    test::TempDir dir;
    const std::string scen = dir.File("scen");
    test::MakeTree(scen, {{"a.csv", "1"}, {"z.csv", "2"}});
    test::WriteFile(scen + "/b\\c.csv", "3");  // one file, not a folder b with c.csv in it
    NameList list;
    const Status status = ListFolderFiles(scen, scen, list);
    EXPECT_EQ(status.kind, Status::BAD_NAME);
    EXPECT_EQ(status.message, scen +
                                  "/b\\c.csv cannot be packed under its own name: a file or "
                                  "folder name in it holds \"\\\".");
    EXPECT_EQ(list, (NameList{"a.csv", "z.csv"}));
}
#endif

TEST(ListFolderFilesTest, FollowsLinksButNotRoundInACircle) {
    test::TempDir dir;
    const std::string scen = dir.File("scen");
    test::MakeTree(scen, {{"maps\\m.bmp", "1"}});
    test::MakeTree(dir.File("shared"), {{"w.csv", "2"}});
    EXPECT_TRUE(test::MakeLink(dir.File("shared"), scen + "/common", true));
    EXPECT_TRUE(test::MakeLink(scen, scen + "/maps/loop", true));
    NameList list;
    const Status status = ListFolderFiles(scen, scen, list);
    EXPECT_EQ(status.message, "The folder " + scen + MemberToHost("\\maps\\loop") +
                                  " leads back into a folder above it; it was left out.");
    EXPECT_EQ(list, (NameList{"common\\w.csv", "maps\\m.bmp"}));
}

TEST(ListMatchingFilesTest, ListsPacksAndScenarioFoldersInByteOrder) {
    test::TempDir dir;
    test::MakeTree(dir.File(""), {{"b.ZPK", ""},
                                  {"A.zpk", ""},
                                  {"c.zpkx", ""},
                                  {".d.zpk", ""},
                                  {"noext", ""},
                                  {"scen1\\x", ""},
                                  {"scen.2\\x", ""},
                                  {".hidden\\x", ""}});
    NameList packs;
    ListMatchingFiles(dir.File("*.zpk"), packs);
    EXPECT_EQ(packs, (NameList{"A.zpk", "b.ZPK"}));
    NameList folders = {"kept"};
    ListMatchingFiles(dir.File("*."), folders);
    EXPECT_EQ(folders, (NameList{"kept", "noext", "scen1"}));
    NameList none;
    ListMatchingFiles(dir.File("missing/*.zpk"), none);
    EXPECT_TRUE(none.empty());
}

TEST(MatchesWildcardTest, MatchesLikeTheGamesFileDialogs) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.zpk", "a.zpk", true},      {"*.zpk", "A.ZPK", true}, {"*.zpk", "a.zpkx", false},
        {"*.zpk", "zpk", false},       {"*.", "scen", true},     {"*.", "a.b", false},
        {"*", "anything.x", true},     {"?x*", "ax", true},      {"?x*", "x", false},
        {"*.*", "noext", true},        {"a*b*c", "aXbYc", true}, {"a*b*c", "aXbY", false},
        {"*.csv", "x.csv.bak", false}, {"", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
}

TEST(FolderExistsTest, TellsFoldersFromFiles) {
    test::TempDir dir;
    test::WriteFile(dir.File("file"), "x");
    test::WriteFile(dir.File("empty-file"), "");
    fs::create_directory(dir.File("empty-folder"));
    EXPECT_TRUE(test::MakeLink(dir.File("empty-folder"), dir.File("link"), true));
    EXPECT_FALSE(FolderExists(dir.File("file")));
    EXPECT_FALSE(FolderExists(dir.File("empty-file")));
    EXPECT_TRUE(FolderExists(dir.File("empty-folder")));
    EXPECT_TRUE(FolderExists(dir.File("empty-folder") + "/"));
    EXPECT_TRUE(FolderExists(dir.File("link")));
    EXPECT_FALSE(FolderExists(dir.File("missing")));
    EXPECT_TRUE(FolderExists("/"));
    EXPECT_TRUE(FolderExists("."));
    EXPECT_FALSE(FolderExists(""));
}

// A folder named by one letter is a folder like any other, and is emptied like any other.
TEST(FolderExistsTest, OneLetterNamesAreFolders) {
    test::TempDir dir;
    test::MakeTree(dir.File("T"), {{"a.csv", "1"}, {"sub\\b.txt", "2"}});
    test::WriteFile(dir.File("F"), "x");
    const fs::path home = fs::current_path();
    fs::current_path(dir.Path());
    const bool folder = FolderExists("T");
    const bool file = FolderExists("F");
    const bool emptied = DeleteFolderContents("T/");
    fs::current_path(home);
    EXPECT_TRUE(folder);
    EXPECT_FALSE(file);
    EXPECT_TRUE(emptied);
    EXPECT_TRUE(test::EntriesIn(dir.File("T")).empty());
}

TEST(DeleteFolderContentsTest, RemovesReadOnlyFilesAndFoldersAndKeepsTheFolder) {
    test::TempDir dir;
    const std::string target = dir.File("target");
    test::MakeTree(target, {{"a.csv", "1"}, {".hidden", "2"}, {"sub\\deep\\b.bmp", "3"}});
    fs::permissions(target + "/a.csv", fs::perms::owner_read);
    fs::permissions(target + "/sub/deep/b.bmp", fs::perms::owner_read);
    fs::permissions(target + "/sub/deep", fs::perms::owner_read | fs::perms::owner_exec);
    fs::permissions(target + "/sub", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_TRUE(DeleteFolderContents(target));
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_TRUE(test::EntriesIn(target).empty());
}

TEST(DeleteFolderContentsTest, RemovesLinksAsLinksAndNothingOutside) {
    if (const char* why = test::LinksUnremovable()) GTEST_SKIP() << why;
    test::TempDir dir;
    const std::string target = dir.File("target");
    test::MakeTree(dir.File("outside"), {{"keep.csv", "1"}, {"sub\\keep.bmp", "2"}});
    test::MakeTree(target, {{"x", "3"}});
    EXPECT_TRUE(test::MakeLink(dir.File("outside"), target + "/to-folder", true));
    EXPECT_TRUE(test::MakeLink(dir.File("outside/keep.csv"), target + "/to-file", false));
    EXPECT_TRUE(test::MakeLink(dir.File("nowhere"), target + "/dangling", false));
    EXPECT_TRUE(DeleteFolderContents(target + "/"));
    EXPECT_TRUE(test::EntriesIn(target).empty());
    EXPECT_EQ(test::ReadTree(dir.File("outside")),
              (test::Tree{{"keep.csv", "1"}, {"sub\\keep.bmp", "2"}}));
}

TEST(DeleteFolderContentsTest, RefusesLinksDotNamesAndMissingFolders) {
    test::TempDir dir;
    test::MakeTree(dir.File("real"), {{"keep.csv", "1"}});
    EXPECT_TRUE(test::MakeLink(dir.File("real"), dir.File("link"), true));
    EXPECT_FALSE(DeleteFolderContents(dir.File("link")));
    EXPECT_FALSE(DeleteFolderContents(dir.File("link") + "/"));
    EXPECT_FALSE(DeleteFolderContents(dir.File("real") + "/."));
    EXPECT_FALSE(DeleteFolderContents(dir.File("real/sub/..")));
    EXPECT_FALSE(DeleteFolderContents(dir.File("missing")));
    EXPECT_FALSE(DeleteFolderContents(dir.File("real/keep.csv")));
    EXPECT_EQ(test::ReadTree(dir.File("real")), (test::Tree{{"keep.csv", "1"}}));
}

// Only asked, never tried: emptying the root folder is refused before anything is touched.
TEST(DeleteFolderContentsTest, NeverEmptiesTheRootFolder) {
    test::TempDir dir;
#ifdef _WIN32
    const char* const roots[] = {"/", "\\", "/.", "C:\\", "C:/", "C:\\Windows\\.."};
#else
    const char* const roots[] = {"/", "//", "/.", "/tmp/..", "/./"};
#endif
    for (const char* root : roots) {
        EXPECT_TRUE(IsRootFolder(root)) << root;
        EXPECT_FALSE(MayEmptyFolder(root)) << root;
    }
    EXPECT_FALSE(IsRootFolder(dir.File("")));
    EXPECT_TRUE(MayEmptyFolder(dir.File("")));
}

// What cannot be removed (here: folders nested too deep to be emptied) makes the result false,
// and everything else is still removed.
TEST(DeleteFolderContentsTest, GoesOnPastWhatCannotBeRemoved) {
    test::TempDir dir;
    const std::string target = dir.File("target");
    test::MakeTree(target, {{"a.csv", "1"}, {"z.csv", "2"}});
    std::string deep = target + "/d";
    for (int level = 0; level < 300; ++level)
        deep += "/d";
    fs::create_directories(deep);
    EXPECT_FALSE(DeleteFolderContents(target));
    EXPECT_EQ(test::EntriesIn(target), std::vector<std::string>{"d"});
}

}  // namespace
}  // namespace brisko
