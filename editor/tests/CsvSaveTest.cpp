// Writing game tables: cells in, bytes out; round trips; the atomic replace of the old file; the
// backup copy.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "CsvFile.h"
#include "FaultyFiles.h"
#include "TestFiles.h"

namespace tavrel {
namespace {

namespace test = base::test;

const TextMeasure kMeasure = TextMeasure::Uniform(7);

struct SaveCase {
    const char* name;
    std::string input;
    std::function<void(GridTable&)> edit;  // what the user did between load and save
    std::string saved;
};

std::string LoadEditSave(const SaveCase& c) {
    test::TempDir dir;
    const std::string path = dir.File("t.csv");
    test::WriteFile(path, c.input);
    LoadedTable loaded;
    EXPECT_TRUE(LoadCsv(path, kMeasure, loaded).ok());
    if (c.edit) c.edit(loaded.table);
    const Status status = SaveCsv(loaded.table, path);
    EXPECT_TRUE(status.ok()) << status.message;
    return test::ReadFile(path);
}

class SaveCases : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveCases, WritesTheUsedExtentWithCommaEndedFields) {
    EXPECT_EQ(LoadEditSave(GetParam()), GetParam().saved);
}

const std::string kLongTitle(1500, 'T');

INSTANTIATE_TEST_SUITE_P(
    Csv, SaveCases,
    testing::Values(
        SaveCase{"Unchanged", "A,B,\r\n1,2,\r\n", nullptr, "A,B,\r\n1,2,\r\n"},
        SaveCase{"CommasAndCrLfAdded", "A,B\n1,2\n3", nullptr, "A,B,\r\n1,2,\r\n3,,\r\n"},
        SaveCase{"EmptyFileIsOneLineEnd", "", nullptr, "\r\n"},
        SaveCase{"HeaderOnly", "A,B\r\n", nullptr, "A,B,\r\n"},
        SaveCase{"EmptyLineInsideKeptAsCommas", "A,B,\r\n1,\r\n\r\n2,\r\n\r\n\r\n", nullptr,
                 "A,B,\r\n1,,\r\n,,\r\n2,,\r\n"},
        SaveCase{"FieldPastHeaderLost", "A,B,C\r\n1,2,3,4\r\n", nullptr, "A,B,C,\r\n1,2,3,\r\n"},
        SaveCase{"QuotesAndSpacesAsThey", "A, B \r\n\"x\", y\"\r\n", nullptr,
                 "A, B ,\r\n\"x\", y\",\r\n"},
        SaveCase{"EightBitBytes", "\xe9\xff,\r\n\x80,\x9d\r\n", nullptr, "\xe9\xff,\r\n\x80,\r\n"},
        SaveCase{"TextInThirdMarginColumn", "A,B,\r\n1,2,\r\n",
                 [](GridTable& t) { t.SetCell(0, 4, "x"); }, "A,B,,,,\r\n1,2,,,x,\r\n"},
        SaveCase{"TextInMarginRow", "A,\r\n1,\r\n", [](GridTable& t) { t.SetCell(3, 0, "z"); },
                 "A,\r\n1,\r\n,\r\n,\r\nz,\r\n"},
        SaveCase{"EmptyColumnLeftOfUsedOneIsSaved", "A,,C\r\n1,,3\r\n", nullptr,
                 "A,,C,\r\n1,,3,\r\n"},
        SaveCase{"CommaTypedIntoCell", "A,B,\r\n1,2,\r\n",
                 [](GridTable& t) { t.SetCell(0, 0, "x,y"); }, "A,B,\r\nx,y,2,\r\n"},
        SaveCase{"EmptiedLastRowNotSaved", "A,\r\n1,\r\n2,\r\n",
                 [](GridTable& t) { t.SetCell(1, 0, ""); }, "A,\r\n1,\r\n"},
        SaveCase{"LongTitleCut", kLongTitle + ",B\r\n", nullptr,
                 kLongTitle.substr(0, 1023) + ",B,\r\n"}),
    [](const testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

TEST(CsvSaveTest, CommaTypedIntoCellSplitsItOnTheNextLoad) {
    test::TempDir dir;
    const std::string path = dir.File("t.csv");
    test::WriteFile(path, "A,B,C,\r\n1,2,3,\r\n");
    LoadedTable loaded;
    ASSERT_TRUE(LoadCsv(path, kMeasure, loaded).ok());
    loaded.table.SetCell(0, 0, "x,y");
    ASSERT_TRUE(SaveCsv(loaded.table, path).ok());
    ASSERT_TRUE(LoadCsv(path, kMeasure, loaded).ok());
    EXPECT_EQ(loaded.table.Cell(0, 0), "x");
    EXPECT_EQ(loaded.table.Cell(0, 1), "y");
    EXPECT_EQ(loaded.table.Cell(0, 2), "2");  // "3" moved past the header and is gone
}

TEST(CsvSaveTest, LoadSaveLoadKeepsCellsAndASecondSaveKeepsBytes) {
    test::TempDir dir;
    std::string bytes = "Id,Name,\xe9t\xe9,\r\n";
    for (int r = 0; r < 300; ++r) {
        bytes += std::to_string(r) + ",\"unit " + std::to_string(r * 7) + "\",\x80\r";
        bytes += (r % 3 == 0 ? "\n" : "\r\n");
        if (r % 50 == 0) bytes += "\n";
    }
    const std::string path = dir.File("t.csv");
    test::WriteFile(path, bytes);
    LoadedTable first;
    ASSERT_TRUE(LoadCsv(path, kMeasure, first).ok());
    ASSERT_TRUE(SaveCsv(first.table, path).ok());
    const std::string written = test::ReadFile(path);
    LoadedTable second;
    ASSERT_TRUE(LoadCsv(path, kMeasure, second).ok());
    ASSERT_EQ(second.table.RowCount(), first.table.RowCount());
    for (int r = 0; r < first.table.RowCount(); ++r) {
        for (int c = 0; c < first.table.ColumnCount(); ++c) {
            ASSERT_EQ(second.table.Cell(r, c), first.table.Cell(r, c)) << r << "," << c;
        }
    }
    ASSERT_TRUE(SaveCsv(second.table, path).ok());
    EXPECT_EQ(test::ReadFile(path), written);
}

std::size_t FilesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST(CsvSaveTest, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    using base::test::FileCall;
    using Faults = base::test::FaultyFiles;
    struct Case {
        const char* name;
        std::function<void(Faults&)> arrange;
        Status::Kind kind;
        const char* message;  // %1 is the table's path
    };
    const Case cases[] = {
        {"CannotOpen",
         [](Faults& f) {
             f.fail = [](const base::test::CallInfo& call) {
                 const unsigned writing = base::kCreate | base::kWrite;
                 return call.call == FileCall::OPEN && (call.flags & writing) ? EACCES : 0;
             };
         },
         Status::CANNOT_OPEN, "Could not open file."},
        {"SecondWriteDiskFull", [](Faults& f) { f.FailNth(FileCall::WRITE, 2, ENOSPC); },
         Status::WRITE_FAILED, "Disk full while accessing %1."},
        {"ShortWritesThenFull",
         [](Faults& f) {
             auto calls = std::make_shared<int>(0);
             f.writeSize = [calls](std::size_t size) -> std::size_t {
                 return ++*calls > 3 ? 0 : std::min<std::size_t>(size, 5);
             };
         },
         Status::WRITE_FAILED, "Disk full while accessing %1."},
        {"SyncFails", [](Faults& f) { f.FailNth(FileCall::SYNC, 1, EIO); }, Status::WRITE_FAILED,
         "A hardware I/O error was reported while accessing %1."},
        {"CloseFails", [](Faults& f) { f.FailFrom(FileCall::CLOSE, 1, EIO); }, Status::WRITE_FAILED,
         "A hardware I/O error was reported while accessing %1."},
        {"RenameFails", [](Faults& f) { f.FailNth(FileCall::RENAME, 1, EXDEV); },
         Status::WRITE_FAILED, "An unknown error occurred while accessing %1."},
    };
    // Big enough for several buffer flushes.
    std::string original = "Old,\r\n";
    for (int r = 0; r < 200000; ++r)
        original += "row " + std::to_string(r) + ",\r\n";
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string path = dir.File("t.csv");
        test::WriteFile(path, original);
        LoadedTable loaded;
        ASSERT_TRUE(LoadCsv(path, kMeasure, loaded).ok());
        loaded.table.SetCell(0, 0, "changed");
        Faults files;
        c.arrange(files);
        const Status status = SaveCsv(loaded.table, path, files);
        EXPECT_EQ(status.kind, c.kind) << c.name;
        EXPECT_EQ(status.message, base::Format(c.message, path)) << c.name;
        EXPECT_EQ(test::ReadFile(path), original) << c.name;
        EXPECT_EQ(FilesIn(dir.Path()), 1u) << c.name;
    }
}

// A cell longer than the write buffer goes to the file on its own, in its place; a write of it
// that fails fails the save.
TEST(CsvSaveTest, AHugeCellIsWrittenInPlaceAndItsFailureReported) {
    test::TempDir dir;
    const std::string path = dir.File("t.csv");
    const std::string huge(3 << 20, 'h');
    const std::string bytes = "A,B,C,\r\n1," + huge + ",3,\r\n" + huge + ",,x,\r\n";
    test::WriteFile(path, bytes);
    LoadedTable loaded;
    ASSERT_TRUE(LoadCsv(path, kMeasure, loaded).ok());
    ASSERT_TRUE(SaveCsv(loaded.table, path).ok());
    EXPECT_EQ(test::ReadFile(path), bytes);

    for (const std::size_t failing : {1u, 2u, 3u}) {
        base::test::FaultyFiles files;
        files.FailNth(base::test::FileCall::WRITE, failing, ENOSPC);
        const Status status = SaveCsv(loaded.table, path, files);
        EXPECT_EQ(status.kind, Status::WRITE_FAILED) << failing;
        EXPECT_EQ(test::ReadFile(path), bytes) << failing;
    }
}

TEST(CsvSaveTest, SavingWhereNoFileCanBeCreatedFails) {
    test::TempDir dir;
    GridTable table;
    table.InsertColumn(0, "A", 110);
    // A folder that is really a file stops the save even for root.
    test::WriteFile(dir.File("plain"), "x");
    for (const std::string& path :
         {dir.File("plain/t.csv"), dir.File("missing/t.csv"), dir.Path().string(), std::string()}) {
        const Status status = SaveCsv(table, path);
        EXPECT_EQ(status.kind, Status::CANNOT_OPEN) << path;
        EXPECT_EQ(status.message, "Could not open file.");
    }
}

TEST(CsvSaveTest, ATableWithTheLongestNameTheHostAllowsIsSaved) {
    test::TempDir dir;
    for (const std::size_t length : {230u, 250u, 255u}) {
        const std::string path = dir.File(std::string(length - 4, 'n') + ".csv");
        test::WriteFile(path, "A,\r\n");
        LoadedTable loaded;
        ASSERT_TRUE(LoadCsv(path, kMeasure, loaded).ok());
        loaded.table.SetCell(0, 0, "1");
        const Status status = SaveCsv(loaded.table, path);
        EXPECT_TRUE(status.ok()) << length << ": " << status.message;
        EXPECT_EQ(test::ReadFile(path), "A,\r\n1,\r\n") << length;
    }
    EXPECT_EQ(FilesIn(dir.Path()), 3u);
}

// What a user without root's rights may save: a table the user may not write is refused and left
// as it was, whoever may write its folder; a table the user may write in a folder that takes no
// new file is written in place. Checked as the user "nobody" when the tests run as root.
#ifdef _WIN32
// Windows has the read-only attribute for a file the user may not write.
TEST(CsvSaveTest, ReadOnlyTableIsRefusedAndWritableTableReplaced) {
    for (const bool readOnly : {true, false}) {
        test::TempDir dir;
        const std::string path = dir.File("t.csv");
        test::WriteFile(path, "Old,\r\n");
        std::filesystem::permissions(test::HostPath(path), readOnly
                                                               ? std::filesystem::perms::owner_read
                                                               : std::filesystem::perms::owner_all);
        LoadedTable loaded;
        ASSERT_TRUE(LoadCsv(path, kMeasure, loaded).ok());
        loaded.table.SetCell(0, 0, "New");
        const Status status = SaveCsv(loaded.table, path);
        EXPECT_EQ(status.ok(), !readOnly) << status.message;
        EXPECT_EQ(status.message, readOnly ? "Could not open file." : "");
        EXPECT_EQ(test::ReadFile(path), readOnly ? "Old,\r\n" : "Old,\r\nNew,\r\n");
        EXPECT_EQ(FilesIn(dir.Path()), 1u) << "a temporary file was left";
    }
}
#else
TEST(CsvSaveTest, PermissionsDecideWhetherATableIsReplacedWrittenInPlaceOrRefused) {
    struct Case {
        const char* name;
        unsigned folderMode;
        unsigned fileMode;
        bool ownedByOther;  // the table belongs to another user (root)
        bool saved;
    };
    const Case cases[] = {
        {"ReadOnlyTable", 0777, 0444, false, false},
        {"ReadOnlyTableInReadOnlyFolder", 0555, 0444, false, false},
        {"OtherUsersTable", 0777, 0644, true, false},
        {"OtherUsersWritableTable", 0777, 0666, true, true},
        {"WritableTableInReadOnlyFolder", 0555, 0644, false, true},
        {"WritableTable", 0777, 0644, false, true},
    };
    constexpr unsigned kNobody = 65534;
    for (const Case& c : cases) {
        if (c.ownedByOther && !test::RunningAsRoot()) continue;  // no other user to give it to
        test::TempDir dir;
        const std::string folder = dir.File("tables");
        const std::string path = folder + "/t.csv";
        std::filesystem::create_directory(folder);
        test::WriteFile(path, "Old,\r\n");
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
        if (test::RunningAsRoot()) {
            ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
            if (!c.ownedByOther) {
                ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
            }
        }
        ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
        const std::string outcome = test::AsUnprivilegedUser([&]() -> std::string {
            LoadedTable loaded;
            if (!LoadCsv(path, kMeasure, loaded).ok()) return "the table did not load";
            loaded.table.SetCell(0, 0, "New");
            const Status status = SaveCsv(loaded.table, path);
            const std::string bytes = test::ReadFile(path);
            if (c.saved && !status.ok()) return "not saved: " + status.message;
            if (c.saved && bytes != "Old,\r\nNew,\r\n") return "saved as " + bytes;
            if (!c.saved && status.ok()) return "saved although it must be refused";
            if (!c.saved && status.message != "Could not open file.") return status.message;
            if (!c.saved && bytes != "Old,\r\n") return "the old bytes changed";
            return "";
        });
        EXPECT_EQ(outcome, "") << c.name;
        ::chmod(folder.c_str(), 0777);
        EXPECT_EQ(FilesIn(folder), 1u) << c.name << ": a temporary file was left";
    }
}

TEST(CsvSaveTest, SaveKeepsPermissionsAndWritesThroughALink) {
    test::TempDir dir;
    const std::string path = dir.File("t.csv");
    test::WriteFile(path, "A,\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string link = dir.File("link.csv");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    LoadedTable loaded;
    ASSERT_TRUE(LoadCsv(link, kMeasure, loaded).ok());
    loaded.table.SetCell(0, 0, "1");
    ASSERT_TRUE(SaveCsv(loaded.table, link).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadFile(path), "A,\r\n1,\r\n");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}
#endif

TEST(CsvSaveTest, BackupCopiesTheFileAsItIsAndReplacesTheOldCopy) {
    test::TempDir dir;
    const std::string table = dir.File("units.csv");
    const std::string backup = dir.File("tavrel.bak");
    std::string bytes(3 << 20, '\0');  // several copy chunks of every byte value
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 31 % 251);
    test::WriteFile(table, bytes);
    test::WriteFile(backup, "older backup");
    EXPECT_TRUE(BackupTable(table, backup));
    EXPECT_EQ(test::ReadFile(backup), bytes);

    EXPECT_FALSE(BackupTable(dir.File("missing.csv"), backup));
    EXPECT_EQ(test::ReadFile(backup), bytes);  // a missing file leaves the last copy alone
    EXPECT_EQ(FilesIn(dir.Path()), 2u);
}

// Reopening the table the backup holds leaves the backup as it is; any difference, even in the
// last byte or in the size, copies the file again.
TEST(CsvSaveTest, AnIdenticalBackupIsNotWrittenAgain) {
    test::TempDir dir;
    const std::string table = dir.File("units.csv");
    const std::string backup = dir.File("tavrel.bak");
    const std::string bytes(2 << 20, 'x');
    struct Case {
        const char* name;
        std::string backupBefore;
        bool written;
    };
    const Case cases[] = {{"Same", bytes, false},
                          {"LastByteDiffers", bytes.substr(0, bytes.size() - 1) + "y", true},
                          {"Shorter", bytes.substr(1), true}};
    test::WriteFile(table, bytes);
    for (const Case& c : cases) {
        test::WriteFile(backup, c.backupBefore);
        test::FaultyFiles files;
        EXPECT_TRUE(BackupTable(table, backup, files)) << c.name;
        EXPECT_EQ(files.Count(test::FileCall::WRITE) > 0, c.written) << c.name;
        EXPECT_EQ(test::ReadFile(backup), bytes) << c.name;
    }
}

}  // namespace
}  // namespace tavrel
