// The Windows side of the file layer where Windows differs from POSIX: UTF-16 names behind UTF-8
// paths, long paths, the read-only attribute of a file that is saved, the attributes a replaced
// file keeps, files that other programs hold open, and which reparse points count as links.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "FileLayer.h"
#include "TestFiles.h"
#include "WindowsFiles.h"

namespace base {
namespace {

bool Save(const std::string& path, const std::string& bytes, int* error = nullptr) {
    AtomicFile file(FileLayer::System(), path);
    const bool ok = file.Create() && file.Write(bytes.data(), bytes.size()) && file.Commit();
    if (error) *error = file.Error();
    return ok;
}

DWORD Attributes(const std::string& path) {
    return ::GetFileAttributesW(test::HostPath(path).wstring().c_str());
}

void SetAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(::SetFileAttributesW(test::HostPath(path).wstring().c_str(), attributes));
}

std::vector<std::string> Listed(const std::string& folder) {
    FileLayer& files = FileLayer::System();
    int fd = files.Open(folder, kRead | kFolder);
    std::vector<std::string> names;
    EXPECT_GE(fd, 0) << folder;
    EXPECT_EQ(files.ListFolder(fd, names), 0);
    CloseQuietly(files, fd);
    std::sort(names.begin(), names.end());
    return names;
}

// UTF-8 paths reach the disk as the UTF-16 names they spell, and come back from a listing as the
// same UTF-8, the characters outside Windows-1252 included.
TEST(WindowsFilesTest, Utf8PathsAreUtf16NamesOnTheDisk) {
    struct Case {
        const char* name;
        std::string utf8;
        std::wstring utf16;
    };
    const Case cases[] = {
        {"Latin1", "caf\xC3\xA9.csv", L"caf\u00E9.csv"},
        {"EuroSign", "\xE2\x82\xAC.txt", L"\u20AC.txt"},
        {"Greek", "\xCE\xA9mega.csv", L"\u03A9mega.csv"},
        {"PastTheFirstPlane", "\xF0\x9F\x98\x80.bmp", L"\U0001F600.bmp"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string path = dir.File(c.utf8);
        FileLayer& files = FileLayer::System();
        int fd = files.Open(path, kWrite | kCreate | kExclusive);
        ASSERT_GE(fd, 0) << c.name;
        CloseQuietly(files, fd);
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / c.utf16)) << c.name;
        EXPECT_EQ(Listed(test::PathText(dir.Path())), std::vector<std::string>{c.utf8}) << c.name;
    }
}

// Paths past the 260 characters of the classic Windows limit are written, read and listed.
TEST(WindowsFilesTest, LongPathsWork) {
    test::TempDir dir;
    std::string folder = test::PathText(dir.Path());
    FileLayer& files = FileLayer::System();
    for (int level = 0; level < 4; ++level) {
        folder += "\\" + std::string(90, static_cast<char>('a' + level));
        ASSERT_EQ(files.MakeFolder(folder), 0) << errno;
    }
    const std::string path = folder + "\\units.csv";
    ASSERT_GT(path.size(), 400u);
    EXPECT_TRUE(Save(path, "Id,\r\n1,\r\n"));
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(files, path, bytes), 0);
    EXPECT_EQ(bytes, "Id,\r\n1,\r\n");
    EXPECT_EQ(Listed(folder), std::vector<std::string>{"units.csv"});
    EXPECT_TRUE(Save(path, "Id,\r\n2,\r\n"));
    EXPECT_EQ(ReadWholeFile(files, path, bytes), 0);
    EXPECT_EQ(bytes, "Id,\r\n2,\r\n");
}

// A file with the read-only attribute is not replaced: the save is refused (EACCES) and leaves
// the file and its folder as they were. A file without it is replaced and keeps the attributes
// the user gave it.
TEST(WindowsFilesTest, SaveRefusesReadOnlyFilesAndKeepsAttributes) {
    struct Case {
        const char* name;
        DWORD attributes;
        bool saved;
    };
    const Case cases[] = {
        {"ReadOnly", FILE_ATTRIBUTE_READONLY, false},
        {"ReadOnlyAndHidden", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, false},
        {"Hidden", FILE_ATTRIBUTE_HIDDEN, true},
        {"Archive", FILE_ATTRIBUTE_ARCHIVE, true},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string path = dir.File("t.csv");
        test::WriteFile(path, "old");
        SetAttributes(path, c.attributes);
        int error = 0;
        EXPECT_EQ(Save(path, "new", &error), c.saved) << c.name;
        EXPECT_EQ(error, c.saved ? 0 : EACCES) << c.name;
        EXPECT_EQ(test::ReadFile(path), c.saved ? "new" : "old") << c.name;
        const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
        EXPECT_EQ(Attributes(path) & kept, c.attributes & kept) << c.name;
        EXPECT_EQ(Listed(test::PathText(dir.Path())), std::vector<std::string>{"t.csv"}) << c.name;
        SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    }
}

// A file open for reading through the layer can still be opened by another reader and by a
// writer, as another program would open it.
TEST(WindowsFilesTest, OpenFilesCanBeOpenedAgainByOthers) {
    test::TempDir dir;
    const std::string path = dir.File("p.zpk");
    test::WriteFile(path, "pack bytes");
    FileLayer& files = FileLayer::System();
    int reader = files.Open(path, kRead | kPlainFile);
    ASSERT_GE(reader, 0);
    const HANDLE other = ::CreateFileW(test::HostPath(path).wstring().c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE) << ::GetLastError();
    if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);
    int second = files.Open(path, kRead | kPlainFile);
    EXPECT_GE(second, 0);
    int writer = files.Open(path, kWrite);
    EXPECT_GE(writer, 0);
    EXPECT_TRUE(WriteFully(files, writer, "PACK", 4, 0));
    char bytes[10];
    EXPECT_TRUE(ReadFully(files, reader, bytes, sizeof bytes, 0));
    EXPECT_EQ(std::string(bytes, sizeof bytes), "PACK bytes");
    CloseQuietly(files, writer);
    CloseQuietly(files, second);
    CloseQuietly(files, reader);
}

// Which reparse points are links: junctions and symbolic links (and the untagged reparse points
// that Wine shows for the host's links), not the other kinds that stand for the file itself,
// such as a deduplicated or a cloud file.
TEST(WindowsFilesTest, JunctionsAndSymbolicLinksAreLinks) {
    struct Case {
        const char* name;
        DWORD attributes;
        DWORD tag;
        bool link;
    };
    const Case cases[] = {
        {"Junction", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY,
         IO_REPARSE_TAG_MOUNT_POINT, true},
        {"SymbolicLinkToAFolder", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY,
         IO_REPARSE_TAG_SYMLINK, true},
        {"SymbolicLinkToAFile", FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK, true},
        {"UntaggedAsWineShowsAHostLink", FILE_ATTRIBUTE_REPARSE_POINT, 0, true},
        {"DeduplicatedFile", FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_DEDUP, false},
        {"CloudFile", FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_CLOUD, false},
        {"NoReparsePoint", FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_MOUNT_POINT, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(windows::IsLinkTag(c.attributes, c.tag), c.link) << c.name;
}

// A junction is a link: described as one, never opened through where a link is refused, and
// removed as itself, the folder it names untouched.
TEST(WindowsFilesTest, JunctionIsALinkAndIsRemovedAsOne) {
    if (test::UnderWine()) GTEST_SKIP() << "Wine makes no junctions: checked on Windows only.";
    test::TempDir dir;
    const std::string target = dir.File("target");
    ASSERT_EQ(FileLayer::System().MakeFolder(target), 0);
    test::WriteFile(dir.File("target\\keep.csv"), "keep");
    ASSERT_TRUE(test::MakeJunction(target, dir.File("junction")));
    FileLayer& files = FileLayer::System();
    FileInfo info;
    ASSERT_EQ(files.LinkStat(dir.File("junction"), info), 0);
    EXPECT_EQ(info.kind, FileKind::LINK);
    EXPECT_LT(files.Open(dir.File("junction"), kRead | kFolder | kNoFollow), 0);
    int folder = files.Open(test::PathText(dir.Path()), kRead | kFolder);
    ASSERT_GE(folder, 0);
    EXPECT_EQ(files.UnlinkAt(folder, "junction"), 0);
    CloseQuietly(files, folder);
    EXPECT_FALSE(test::Exists(dir.File("junction")));
    EXPECT_EQ(test::ReadFile(dir.File("target\\keep.csv")), "keep");
}

}  // namespace
}  // namespace base
