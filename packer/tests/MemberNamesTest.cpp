// Names as the game reads them: the host's UTF-8 file names (UTF-16 on Windows) become
// Windows-1252 member names in the pack and UTF-8 again on extraction; a name the code page cannot
// hold is refused, on POSIX a name that is not UTF-8 is taken as the 8-bit bytes it is, and names
// equal but for the case of their Windows-1252 letters cannot share a pack.
#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>
#include <vector>

#include "FolderOps.h"
#include "HostPath.h"
#include "MemberNames.h"
#include "PackFile.h"
#include "PackTestFiles.h"
#include "PackWriter.h"

namespace brisko {
namespace {

struct NameCase {
    const char* name;
    std::vector<std::string> files;      // host paths below the folder, "/" between levels
    std::vector<std::string> members;    // the member names packed, in order
    std::vector<std::string> extracted;  // the host paths extracted, "/" between levels
    Status::Kind kind;                   // of the listing, or else of the write
    std::string message;                 // %1 and %2: the folder + the first two files
};

// Test names and failures show the case by its name.
void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.name;
}

// A path of the cases ("/" between levels) as the host spells it.
std::string OnHost(std::string path) {
    for (char& c : path)
        c = c == '/' ? kHostSeparator : c;
    return path;
}

class HostNames : public testing::TestWithParam<NameCase> {};

TEST_P(HostNames, BecomeWindows1252MembersAndComeBackAsUtf8) {
    const NameCase& c = GetParam();
    test::TempDir dir;
    const std::string folder = dir.File("scen") + "/";
    test::Tree tree;
    for (const std::string& file : c.files)
        tree[file] = "1,2,\r\n" + file;
    test::MakeTree(folder, tree);
    NameList names;
    Status status = ListFolderFiles(folder, folder, names);
    if (status.ok()) status = WritePackFile(names, dir.File("p.zpk"), folder);
    EXPECT_EQ(status.kind, c.kind);
    const std::string second = c.files.size() > 1 ? folder + OnHost(c.files[1]) : "";
    EXPECT_EQ(status.message, Format(c.message.c_str(), folder + OnHost(c.files[0]), second));
    if (!status.ok()) {
        EXPECT_FALSE(test::Exists(dir.File("p.zpk")));
        return;
    }
    CPackFile pack;
    ASSERT_TRUE(pack.Open(dir.File("p.zpk")));
    std::vector<std::string> members;
    for (std::uint32_t i = 0; i < pack.GetCount(); ++i)
        members.emplace_back(pack.GetEntry(i)->Name());
    EXPECT_EQ(members, c.members);
    ASSERT_TRUE(pack.ExtractAll(dir.File("out"))) << pack.Error().message;
    std::vector<std::string> extracted;
    for (const auto& [name, bytes] : test::ReadTree(dir.File("out"))) {
        std::string path = name;
        for (char& ch : path)
            ch = ch == '\\' ? '/' : ch;
        extracted.push_back(path);
    }
    EXPECT_EQ(extracted, c.extracted);
}

const char kUnmappable[] =
    "%1 cannot be packed: its name holds a character that the game's code page (Windows-1252) "
    "cannot hold.";

INSTANTIATE_TEST_SUITE_P(
    Names, HostNames,
    testing::Values(
        NameCase{"Ascii", {"units.csv"}, {"units.csv"}, {"units.csv"}, Status::OK, ""},
        NameCase{"Latin1Letters",
                 {"caf\xC3\xA9.csv",
                  "Donn\xC3\xA9"
                  "es/\xC3\xBC"
                  "ber.txt"},
                 {"Donn\xE9"
                  "es\\\xFC"
                  "ber.txt",
                  "caf\xE9.csv"},
                 {"Donn\xC3\xA9"
                  "es/\xC3\xBC"
                  "ber.txt",
                  "caf\xC3\xA9.csv"},
                 Status::OK,
                 ""},
        NameCase{"EuroSign",
                 {"\xE2\x82\xAC"
                  "uro.txt"},
                 {"\x80"
                  "uro.txt"},
                 {"\xE2\x82\xAC"
                  "uro.txt"},
                 Status::OK,
                 ""},
        NameCase{"OutsideTheCodePage", {"\xCE\xA9mega.csv"}, {}, {}, Status::BAD_NAME, kUnmappable},
        NameCase{"OutsideTheCodePageInAFolderName",
                 {"\xE5\x9C\xB0/map.csv"},
                 {},
                 {},
                 Status::BAD_NAME,
                 kUnmappable}
#ifndef _WIN32  // names there are UTF-16 text, and equal whatever the case of their letters
        ,
        NameCase{"NotUtf8TakenAsItsBytes",
                 {"\xE9t\xE9.csv"},
                 {"\xE9t\xE9.csv"},
                 {"\xC3\xA9t\xC3\xA9.csv"},
                 Status::OK,
                 ""},
        NameCase{"CaseClashOf8BitLetters",
                 {"\xC3\x89t\xC3\xA9.csv", "\xC3\xA9t\xC3\x89.csv"},
                 {},
                 {},
                 Status::BAD_NAME,
                 "%1 and %2 differ only in letter case; a pack cannot hold both."},
        NameCase{"SameMemberFromUtf8AndFrom8Bit",
                 {"\xC3\xA9.csv", "\xE9.csv"},
                 {},
                 {},
                 Status::BAD_NAME,
                 "%1 and %2 have the same name in the game's code page (Windows-1252); a pack "
                 "cannot hold both."}
#endif
        ),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

// A host path below the packed folder as a member name: its levels joined by "\", each name in
// Windows-1252, and a name that cannot be held so refused.
TEST(MemberNamesTest, HostPathsBecomeMemberNamesOnThisHost) {
    struct Case {
        const char* name;
        std::string relative;
        HostNameProblem problem;
        std::string member;
    };
    const std::string level = std::string(1, kHostSeparator);
    const Case cases[] = {
        {"Levels", "Data Files" + level + "units.csv", HostNameProblem::NONE,
         "Data Files\\units.csv"},
        {"Latin1Letter", "caf\xC3\xA9.csv", HostNameProblem::NONE, "caf\xE9.csv"},
        {"EuroSign", "\xE2\x82\xAC.txt", HostNameProblem::NONE, "\x80.txt"},
        {"OutsideTheCodePage", "\xCE\xA9.csv", HostNameProblem::UNMAPPABLE, ""},
        {"OutsideInAFolder", "\xE5\x9C\xB0" + level + "m.csv", HostNameProblem::UNMAPPABLE, ""},
        {"PastTheFirstPlane", "\xF0\x9F\x98\x80.csv", HostNameProblem::UNMAPPABLE, ""},
#ifdef _WIN32
        // A name on a Windows disk that is no text: a lone surrogate, carried in three bytes.
        {"LoneSurrogate", "a\xED\xA0\x80.txt", HostNameProblem::UNMAPPABLE, ""},
#else
        {"NotUtf8", "\xE9t\xE9.csv", HostNameProblem::NONE, "\xE9t\xE9.csv"},
        {"BackslashInAName", "b\\c.csv", HostNameProblem::BACKSLASH, ""},
#endif
    };
    for (const Case& c : cases) {
        std::string member;
        EXPECT_EQ(HostToMember(c.relative, member), c.problem) << c.name;
        if (c.problem == HostNameProblem::NONE) {
            EXPECT_EQ(member, c.member) << c.name;
        }
    }
}

#ifdef _WIN32
// A file whose Windows name is no text is left out of the listing and named.
TEST(MemberNamesTest, WindowsNameThatIsNoTextIsRefused) {
    if (test::UnderWine()) {
        GTEST_SKIP() << "Wine holds no file name with a lone surrogate: checked on Windows only.";
    }
    test::TempDir dir;
    const std::string folder = dir.File("scen");
    test::MakeTree(folder, {{"units.csv", "1,2,\r\n"}});
    const std::string path = AsFolder(folder) + "a\xED\xA0\x80.txt";
    FileLayer& files = FileLayer::System();
    int fd = files.Open(path, base::kWrite | base::kCreate | base::kExclusive);
    ASSERT_GE(fd, 0) << errno;
    files.Close(fd);
    NameList names;
    const Status status = ListFolderFiles(folder, folder, names);
    EXPECT_EQ(status.kind, Status::BAD_NAME);
    EXPECT_EQ(status.message, Format(kUnmappable, path));
    EXPECT_EQ(names, NameList{"units.csv"});
}
#endif

// The letters of Windows-1252 fold as the game's platform folds them; other bytes stay apart.
TEST(MemberNamesTest, CaseClashesFoldWindows1252Letters) {
    struct Case {
        std::string a;
        std::string b;
        bool clash;
    };
    const Case cases[] = {
        {"UNITS.CSV", "units.csv", true}, {"\xC9.csv", "\xE9.csv", true},  // É, é
        {"\x8A.csv", "\x9A.csv", true},                                    // Š, š
        {"\x9F.csv", "\xFF.csv", true},                                    // Ÿ, ÿ
        {"\xD7.csv", "\xF7.csv", false},                                   // ×, ÷: no letters
        {"\xDF.csv", "ss.csv", false},
    };
    for (const Case& c : cases) {
        const NameClash clash = CheckMemberNames({c.a, c.b});
        EXPECT_EQ(clash.kind == NameClash::SAME_NAME, c.clash) << c.a << " " << c.b;
    }
}

}  // namespace
}  // namespace brisko
