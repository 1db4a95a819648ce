// Files written by way of a temporary file: the order of the durable steps, every failure leaving
// the old file and no temporary file, the short temporary name, the direct write in a folder that
// takes no new file, and files the user may not write.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "FaultyFiles.h"
#include "TestFiles.h"

namespace base {
namespace {

using test::CallInfo;
using test::FaultyFiles;
using test::FileCall;

std::vector<std::string> EntriesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool Save(FileLayer& files, const std::string& path, const std::string& bytes, bool durable = true,
          int* error = nullptr) {
    AtomicFile file(files, path, durable);
    const bool ok = file.Create() && file.Write(bytes.data(), bytes.size()) && file.Commit();
    if (error) *error = file.Error();
    return ok;
}

// Records the calls that change what is on disk, in order.
class RecordingFiles : public FaultyFiles {
public:
    RecordingFiles() {
        fail = [this](const CallInfo& call) {
            switch (call.call) {
                case FileCall::OPEN:
                    if (call.flags & kCreate) log.push_back("create " + call.path);
                    break;
                case FileCall::SYNC:
                    log.push_back("sync");
                    break;
                case FileCall::RENAME:
                    log.push_back("rename to " + call.path);
                    break;
                case FileCall::SYNC_FOLDER:
                    log.push_back("sync folder " + call.path);
                    break;
                default:
                    break;
            }
            return 0;
        };
    }
    std::vector<std::string> log;
};

TEST(AtomicFileTest, SyncsTheFileBeforeTheMoveAndTheFolderAfterIt) {
    test::TempDir dir;
    const std::string path = dir.File("t.csv");
    test::WriteFile(path, "old");
    for (const bool durable : {true, false}) {
        RecordingFiles files;
        ASSERT_TRUE(Save(files, path, "new", durable));
        EXPECT_EQ(test::ReadFile(path), "new");
        ASSERT_EQ(files.log.size(), durable ? 4u : 2u);
        // The temporary name: the target's folder, a dot and eight letters or digits.
        const std::string temp = files.log[0].substr(std::string("create ").size());
        EXPECT_EQ(temp.size(), dir.File(".").size() + 8) << temp;
        EXPECT_EQ(temp.rfind(dir.File("."), 0), 0u) << temp;
        if (durable) {
            EXPECT_EQ(files.log[1], "sync");
            EXPECT_EQ(files.log[2], "rename to " + path);
            EXPECT_EQ(files.log[3], "sync folder " + test::PathText(dir.Path() / ""));
        } else {
            EXPECT_EQ(files.log[1], "rename to " + path);
        }
    }
    EXPECT_EQ(EntriesIn(dir.Path()), (std::vector<std::string>{"t.csv"}));
}

TEST(AtomicFileTest, AnyFailureLeavesTheOldFileAndNoTemporaryFile) {
    struct Case {
        const char* name;
        FileCall call;
        std::size_t nth;
        int error;
    };
    const Case cases[] = {
        {"CannotCreate", FileCall::OPEN, 2, ENOSPC},  // the first open only looks at the target
        {"FirstWrite", FileCall::WRITE, 1, ENOSPC},
        {"LaterWrite", FileCall::WRITE, 3, EIO},
        {"Sync", FileCall::SYNC, 1, EIO},
        {"Close", FileCall::CLOSE, 2, EDQUOT},
        {"Rename", FileCall::RENAME, 1, EXDEV},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string path = dir.File("t.csv");
        test::WriteFile(path, "old bytes");
        FaultyFiles files;
        files.FailNth(c.call, c.nth, c.error);
        AtomicFile file(files, path);
        bool ok = file.Create();
        for (int i = 0; ok && i < 4; ++i)
            ok = file.Write("0123456789", 10);
        ok = ok && file.Commit();
        EXPECT_FALSE(ok) << c.name;
        EXPECT_EQ(file.Error(), c.error) << c.name;
        EXPECT_EQ(test::ReadFile(path), "old bytes") << c.name;
        EXPECT_EQ(EntriesIn(dir.Path()), (std::vector<std::string>{"t.csv"})) << c.name;
    }
}

TEST(AtomicFileTest, AFailedFolderSyncAfterTheMoveStillSaves) {
    test::TempDir dir;
    const std::string path = dir.File("t.csv");
    FaultyFiles files;
    files.FailNth(FileCall::SYNC_FOLDER, 1, EIO);
    EXPECT_TRUE(Save(files, path, "new"));
    EXPECT_EQ(test::ReadFile(path), "new");
}

TEST(AtomicFileTest, AbandonedWriteLeavesTheOldFile) {
    test::TempDir dir;
    const std::string path = dir.File("t.csv");
    test::WriteFile(path, "old");
    {
        AtomicFile file(FileLayer::System(), path);
        ASSERT_TRUE(file.Create());
        ASSERT_TRUE(file.Write("new", 3));
    }
    EXPECT_EQ(test::ReadFile(path), "old");
    EXPECT_EQ(EntriesIn(dir.Path()), (std::vector<std::string>{"t.csv"}));
}

TEST(AtomicFileTest, TargetsThatAreNoFileAreRefused) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("folder"));
    test::WriteFile(dir.File("plain"), "x");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0666), 0);
#endif
    const struct {
        std::string path;
        int error;
    } cases[] = {
        {"", ENOENT},
        {dir.File("folder"), EISDIR},
        {dir.File("folder") + "/", EISDIR},
#ifdef _WIN32
        {"\\\\.\\NUL", EINVAL},  // a device
#else
        {dir.File("pipe"), EINVAL},
#endif
        {dir.File("plain/t.csv"), ENOTDIR},
        {dir.File("missing/t.csv"), ENOENT},
    };
    for (const auto& c : cases) {
        int error = 0;
        EXPECT_FALSE(Save(FileLayer::System(), c.path, "x", true, &error)) << c.path;
        EXPECT_EQ(error, c.error) << c.path;
    }
    EXPECT_EQ(test::ReadFile(dir.File("plain")), "x");
#ifdef _WIN32
    EXPECT_EQ(EntriesIn(dir.Path()), (std::vector<std::string>{"folder", "plain"}));
#else
    EXPECT_EQ(EntriesIn(dir.Path()), (std::vector<std::string>{"folder", "pipe", "plain"}));
#endif
}

#ifndef _WIN32

// A link is written through, the file keeps its permissions, and a file with a second hard link
// becomes a new file under the saved name while the other name keeps the old bytes.
TEST(AtomicFileTest, LinksPermissionsAndHardLinks) {
    test::TempDir dir;
    const std::string path = dir.File("t.csv");
    test::WriteFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("t.csv", dir.File("link.csv").c_str()), 0);
    ASSERT_EQ(::link(path.c_str(), dir.File("hard.csv").c_str()), 0);
    ASSERT_TRUE(Save(FileLayer::System(), dir.File("link.csv"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.csv")));
    EXPECT_EQ(test::ReadFile(path), "new");
    EXPECT_EQ(test::ReadFile(dir.File("hard.csv")), "old");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// As a user without root's rights: a file the user may not write is refused before anything is
// written; a writable file in a folder that takes no new file is written in place.
TEST(AtomicFileTest, WhatAUserMayWriteDecidesBetweenRefusedReplacedAndWrittenInPlace) {
    struct Case {
        const char* name;
        unsigned folderMode;
        unsigned fileMode;
        bool created;  // the file is missing before the save
        bool saved;
        bool direct;
    };
    const Case cases[] = {
        {"ReadOnlyFile", 0777, 0444, false, false, false},
        {"WritableFile", 0777, 0644, false, true, false},
        {"ReadOnlyFolder", 0555, 0644, false, true, true},
        {"NewFileInReadOnlyFolder", 0555, 0644, true, false, false},
    };
    constexpr unsigned kNobody = 65534;
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string folder = dir.File("f");
        const std::string path = folder + "/t.csv";
        std::filesystem::create_directory(folder);
        if (!c.created) test::WriteFile(path, "old");
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
        if (test::RunningAsRoot()) {
            ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
        }
        if (!c.created) {
            if (test::RunningAsRoot()) {
                ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
            }
            ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
        }
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
        const std::string outcome = test::AsUnprivilegedUser([&]() -> std::string {
            AtomicFile file(FileLayer::System(), path);
            const bool ok = file.Create() && file.Write("new", 3) && file.Commit();
            if (ok != c.saved) {
                return ok ? "saved" : "not saved, errno " + std::to_string(file.Error());
            }
            if (!ok && file.Error() != EACCES) return "errno " + std::to_string(file.Error());
            if (file.DirectWrite() != c.direct) return "direct write: the wrong way";
            const bool exists = ::access(path.c_str(), F_OK) == 0;
            if (c.created) return exists ? "a file was created" : "";
            const std::string bytes = test::ReadFile(path);
            return bytes == (c.saved ? "new" : "old") ? "" : "holds " + bytes;
        });
        EXPECT_EQ(outcome, "") << c.name;
        ::chmod(folder.c_str(), 0777);
        EXPECT_EQ(EntriesIn(folder).size(), c.created ? 0u : 1u) << c.name;
    }
}
#endif  // Windows: the read-only attribute, in WindowsFilesTest

TEST(AtomicFileTest, CopyNamesTheFileThatFailed) {
    test::TempDir dir;
    const std::string from = dir.File("from.csv");
    const std::string to = dir.File("to.bak");
    std::string bytes(3 << 20, '\0');  // several copy chunks
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 31 % 251);
    test::WriteFile(from, bytes);
    ASSERT_TRUE(CopyFile(FileLayer::System(), from, to).ok());
    EXPECT_EQ(test::ReadFile(to), bytes);

    struct Case {
        const char* name;
        std::function<void(FaultyFiles&)> arrange;
        Status::Kind kind;
        std::string message;
    };
    const Case cases[] = {
        {"MissingSource", [&](FaultyFiles& f) { f.FailPath(FileCall::OPEN, from, ENOENT); },
         Status::CANNOT_OPEN, from + " was not found."},
        {"ReadFails", [](FaultyFiles& f) { f.FailNth(FileCall::READ, 2, EIO); },
         Status::READ_FAILED, "A hardware I/O error was reported while accessing " + from + "."},
        {"WriteFails", [](FaultyFiles& f) { f.FailNth(FileCall::WRITE, 2, ENOSPC); },
         Status::WRITE_FAILED, "Disk full while accessing " + to + "."},
    };
    for (const Case& c : cases) {
        test::WriteFile(to, "older copy");
        FaultyFiles files;
        c.arrange(files);
        const Status status = CopyFile(files, from, to);
        EXPECT_EQ(status.kind, c.kind) << c.name;
        EXPECT_EQ(status.message, c.message) << c.name;
        EXPECT_EQ(test::ReadFile(to), "older copy") << c.name;
    }
    EXPECT_EQ(EntriesIn(dir.Path()), (std::vector<std::string>{"from.csv", "to.bak"}));
}

}  // namespace
}  // namespace base
