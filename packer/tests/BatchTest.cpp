// The batch build of every scenario pack: what it keeps, deletes and packs, the common tables it
// copies in and removes again, each scenario's outcome and catalog slot, the file errors that end
// it, Cancel, its progress, and packs that are the pack writer's own.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "Catalog.h"
#include "FolderOps.h"
#include "HostPath.h"
#include "PackFile.h"
#include "PackTestFiles.h"
#include "PackWriter.h"
#include "ScenarioBatch.h"

namespace brisko {
namespace {

namespace fs = std::filesystem;

std::string CommonBytes(int i) {
    return "id,value,\r\n" + std::to_string(i) + "," + std::to_string(i * 7) + ",\r\n" +
           test::GameTable(20 + i, 6, static_cast<unsigned>(i));
}

// A data root: the ten common tables in "Data Files/" and an empty "Scenarios/". Paths below it
// are spelt as the batch spells them, with the host's separator.
struct DataRoot {
    test::TempDir dir;
    std::string root = test::PathText(dir.Path());

    DataRoot() {
        for (int i = 0; i < kCommonDataFileCount; ++i) {
            const std::string name(CommonDataFiles[static_cast<std::size_t>(i)]);
            test::MakeTree(Path("Data Files"), {{name, CommonBytes(i)}});
        }
        fs::create_directories(test::HostPath(Path("Scenarios")));
    }
    // A file or folder below the root, given as a member name ("\\" between levels).
    std::string Path(const std::string& relative) const { return HostJoin(root, relative); }
    std::string Folder(int index) const {
        return Path("Scenarios\\" + std::string(ScenarioFolderName(index)));
    }
    std::string Pack(int index) const {
        return Path("Scenarios\\" +
                    std::string(ScenarioPackNames[static_cast<std::size_t>(index)]));
    }
    // A small scenario: two tables, an .ini, a .txt and a picture.
    void Scenario(int index, const test::Tree& extra = {}) const {
        test::Tree tree = {{"scenario.ini", "[Scenario]\r\nCode=" + std::to_string(index) + "\r\n"},
                           {"briefing.txt", "Hold the ford.\r\n"},
                           {"Data Files\\units.csv", test::GameTable(30, 8, 100 + index)},
                           {"Data Files\\objectives.csv", "id,x,y,\r\n0,5,6,\r\n"},
                           {"maps\\m.bmp", "BM\x01\x02"}};
        for (const auto& [name, bytes] : extra)
            tree[name] = bytes;
        test::MakeTree(Folder(index), tree);
    }
    BatchResult Build(BatchOptions options = {}) const {
        options.root = root;
        return BuildAllPacks(options);
    }
};

// The members of a pack by name, with their bytes.
std::vector<std::pair<std::string, std::string>> Members(const std::string& path) {
    CPackFile pack;
    EXPECT_TRUE(pack.Open(path)) << pack.Error().message;
    std::vector<std::pair<std::string, std::string>> members;
    for (std::uint32_t i = 0; i < pack.GetCount(); ++i) {
        Buffer data;
        EXPECT_TRUE(pack.ReadMember(*pack.GetEntry(i), data).ok());
        members.emplace_back(pack.GetEntry(i)->Name(), data.view());
    }
    return members;
}

std::vector<std::string> Names(const std::vector<std::pair<std::string, std::string>>& members) {
    std::vector<std::string> names;
    for (const auto& member : members)
        names.push_back(member.first);
    return names;
}

// What the batch keeps, deletes and packs, file by file.
TEST(BuildAllPacksTest, KeepsTablesIniAndTextFilesAndCopiesTheCommonTablesIn) {
    DataRoot data;
    data.Scenario(0, {{"map.bmp", "BM"},
                      {"maps\\deep\\x.bmp", "BM"},
                      {"notes.txt.bak", "kept: its name holds .txt"},
                      {"UNITS.CSV", "deleted: letter case counts"},
                      {"sub.txt\\pic.bmp", "kept: its folder's name holds .txt"},
                      {"Data Files\\WEAPONS.CSV", "the scenario's own copy, in other letters"},
                      {"Data Files\\tables.csv", "the scenario's own copy"}});
    fs::create_directories(HostJoin(data.Folder(0), "empty"));
    const BatchResult result = data.Build();
    ASSERT_EQ(result.status.kind, Status::OK) << result.status.message;
    ASSERT_TRUE(result.scenarios[0].built) << result.scenarios[0].reason.message;

    std::vector<std::string> expected = {"Data Files\\Weapons.csv"};
    for (int i = 0; i < 9; ++i)
        expected.push_back("Data Files\\" +
                           std::string(CommonDataFiles[static_cast<std::size_t>(i)]));
    expected.insert(expected.begin() + 5, "Data Files\\objectives.csv");
    expected.insert(expected.end(), {"Data Files\\units.csv", "briefing.txt", "notes.txt.bak",
                                     "scenario.ini", "sub.txt\\pic.bmp"});
    const auto members = Members(data.Pack(0));
    EXPECT_EQ(Names(members), expected);
    for (const auto& [name, bytes] : members) {
        for (int i = 0; i < kCommonDataFileCount; ++i) {
            if (name ==
                "Data Files\\" + std::string(CommonDataFiles[static_cast<std::size_t>(i)])) {
                EXPECT_EQ(bytes, CommonBytes(i)) << name;
            }
        }
    }
    EXPECT_EQ(result.scenarios[0].commonTables, 10u);
    EXPECT_EQ(result.scenarios[0].members, expected.size());

    const test::Tree left = test::ReadTree(data.Folder(0));
    std::vector<std::string> names;
    for (const auto& [name, bytes] : left)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{
                         "Data Files\\objectives.csv", "Data Files\\units.csv", "briefing.txt",
                         "notes.txt.bak", "scenario.ini", "sub.txt\\pic.bmp"}));
    EXPECT_TRUE(fs::is_directory(HostJoin(data.Folder(0), "empty")));
    EXPECT_TRUE(fs::is_directory(HostJoin(data.Folder(0), "maps\\deep")));
}

TEST(BuildAllPacksTest, EachScenarioHasItsOutcomeAndItsSlot) {
    DataRoot data;
    data.Scenario(0);
    data.Scenario(3);
    test::WriteFile(data.Pack(5), "old pack of a scenario whose folder is gone");
#ifdef _WIN32  // one name there, whatever its letters' case; a name the code page cannot hold
    data.Scenario(7, {{"\xCE\xA9mega.csv", "1"}});
#else
    data.Scenario(7, {{"a.csv", "1"}, {"A.csv", "2"}});
#endif
    test::WriteFile(data.Pack(7), "old pack of 7");
    test::MakeTree(data.Folder(9), {{"only.txt", "no Data Files folder"}});
    test::MakeTree(data.Folder(11), {{"maps\\only.bmp", "nothing the batch keeps"}});
    test::WriteFile(data.Pack(11), "old pack of 11");
    const BatchResult result = data.Build();
    ASSERT_EQ(result.status.kind, Status::OK) << result.status.message;
    ASSERT_EQ(result.scenarios.size(), 52u);
    EXPECT_TRUE(result.catalogWritten);
    EXPECT_EQ(result.catalogPath, data.Path("catalog.txt"));
    EXPECT_EQ(result.NotBuilt(), 49);

    EXPECT_EQ(result.scenarios[5].reason.message,
              "The scenario folder " + data.Folder(5) + " was not found.");
    EXPECT_EQ(test::ReadFile(data.Pack(5)), "old pack of a scenario whose folder is gone");
    EXPECT_EQ(result.scenarios[7].reason.kind, Status::BAD_NAME);
#ifdef _WIN32
    EXPECT_EQ(result.scenarios[7].reason.message,
              AsFolder(data.Folder(7)) + "\xCE\xA9mega.csv" +
                  " cannot be packed: its name holds a character that the game's code page "
                  "(Windows-1252) cannot hold.");
#else
    EXPECT_EQ(result.scenarios[7].reason.message,
              HostJoin(data.Folder(7), "A.csv") + " and " + HostJoin(data.Folder(7), "a.csv") +
                  " differ only in letter case; a pack cannot hold both.");
#endif
    EXPECT_EQ(test::ReadFile(data.Pack(7)), "old pack of 7");
    EXPECT_EQ(result.scenarios[11].reason.message,
              "There are no files to pack into " + data.Pack(11) + ".");
    EXPECT_EQ(test::ReadFile(data.Pack(11)), "old pack of 11");
    EXPECT_FALSE(test::Exists(HostJoin(data.Folder(11), "maps\\only.bmp")));
    EXPECT_EQ(result.scenarios[9].commonTables, 0u);
    EXPECT_EQ(Names(Members(data.Pack(9))), std::vector<std::string>{"only.txt"});

    CatalogSlots read;
    ASSERT_TRUE(ReadCatalog(result.catalogPath, read).ok());
    EXPECT_EQ(read, result.slots);
    for (const ScenarioOutcome& outcome : result.scenarios) {
        const CatalogSlot slot = read[static_cast<std::size_t>(outcome.index)];
        EXPECT_EQ(outcome.packName, ScenarioPackNames[static_cast<std::size_t>(outcome.index)]);
        if (!outcome.built) {
            EXPECT_EQ(slot, CatalogSlot{}) << outcome.packName;
            continue;
        }
        CPackFile pack;
        ASSERT_TRUE(pack.Open(data.Pack(outcome.index)));
        EXPECT_EQ(slot.Value(), pack.StoredChecksum()) << outcome.packName;
        EXPECT_EQ(pack.VerifyChecksum(slot.Value()), CHECK_MATCHED_BOTH) << outcome.packName;
        EXPECT_EQ(outcome.packBytes, fs::file_size(data.Pack(outcome.index)));
    }
}

// A common table missing from the data root: the packs are built without it, and a scenario's
// own file of that name is neither replaced nor deleted.
TEST(BuildAllPacksTest, MissingCommonTableIsLeftOut) {
    DataRoot data;
    fs::remove(data.Path("Data Files\\levels.csv"));
    data.Scenario(2, {{"Data Files\\levels.csv", "the scenario's own"}});
    const BatchResult result = data.Build();
    ASSERT_TRUE(result.scenarios[2].built);
    EXPECT_EQ(result.scenarios[2].commonTables, 9u);
    const auto members = Members(data.Pack(2));
    EXPECT_NE(std::find(members.begin(), members.end(),
                        std::pair<std::string, std::string>{"Data Files\\levels.csv",
                                                            "the scenario's own"}),
              members.end());
    EXPECT_EQ(test::ReadFile(HostJoin(data.Folder(2), "Data Files\\levels.csv")),
              "the scenario's own");
}

// The batch deletes files only inside the scenario folder, never through a linked folder.
TEST(BuildAllPacksTest, NeverDeletesThroughALinkedFolder) {
    DataRoot data;
    data.Scenario(1);
    test::MakeTree(data.Path("elsewhere"), {{"pic.bmp", "BM"}, {"t.csv", "1,2"}});
    EXPECT_TRUE(test::MakeLink(data.Path("elsewhere"), HostJoin(data.Folder(1), "linked"), true));
    const BatchResult result = data.Build();
    ASSERT_TRUE(result.scenarios[1].built);
    const std::vector<std::string> names = Names(Members(data.Pack(1)));
    EXPECT_NE(std::find(names.begin(), names.end(), "linked\\t.csv"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "linked\\pic.bmp"), names.end());
    EXPECT_EQ(test::ReadTree(data.Path("elsewhere")),
              (test::Tree{{"pic.bmp", "BM"}, {"t.csv", "1,2"}}));
}

// A file error ends the batch where it happens: the scenarios after it are not touched, the
// scenario's copies of the common tables are removed, and no catalog is written.
struct FileErrorCase {
    const char* name;
    // `reached`: a call has named scenario 3's folder.
    std::function<int(const test::CallInfo&, const DataRoot&, bool reached)> fail;
    Status::Kind kind;
    std::function<std::string(const DataRoot&)> message;
};

// Test names and failures show the case by its name.
void PrintTo(const FileErrorCase& c, std::ostream* out) {
    *out << c.name;
}

bool In(const test::CallInfo& call, const std::string& text) {
    return call.path.find(text) != std::string::npos;
}

class FileErrors : public testing::TestWithParam<FileErrorCase> {};

TEST_P(FileErrors, EndTheBatchWithoutACatalog) {
    const FileErrorCase& c = GetParam();
    DataRoot data;
    for (int index : {0, 3, 4})
        data.Scenario(index);
    test::WriteFile(data.Path("catalog.txt"), "old catalog");
    test::FaultyFiles files;
    bool reached = false;
    files.fail = [&](const test::CallInfo& call) {
        reached = reached || In(call, std::string(ScenarioFolderName(3)));
        return c.fail(call, data, reached);
    };
    BatchOptions options;
    options.files = &files;
    const BatchResult result = data.Build(options);
    EXPECT_EQ(result.status.kind, c.kind);
    EXPECT_EQ(result.status.message, c.message(data));
    ASSERT_EQ(result.scenarios.size(), 4u);
    EXPECT_TRUE(result.scenarios[0].built);
    EXPECT_FALSE(result.scenarios[3].built);
    EXPECT_EQ(result.scenarios[3].reason.message, result.status.message);
    EXPECT_FALSE(result.catalogWritten);
    EXPECT_EQ(test::ReadFile(data.Path("catalog.txt")), "old catalog");
    EXPECT_EQ(test::EntriesIn(HostJoin(data.Folder(3), "Data Files")),
              (std::vector<std::string>{"objectives.csv", "units.csv"}));
    EXPECT_TRUE(test::Exists(HostJoin(data.Folder(3), "maps\\m.bmp")) ||
                c.kind != Status::CANNOT_OPEN);  // a failed copy ends it before the cleaning
    EXPECT_TRUE(test::Exists(HostJoin(data.Folder(4), "maps\\m.bmp")));
    EXPECT_FALSE(test::Exists(data.Pack(3)));
    EXPECT_FALSE(test::Exists(data.Pack(4)));
}

INSTANTIATE_TEST_SUITE_P(
    Batch, FileErrors,
    testing::Values(
        // The pack is written beside its place, as a hidden file in "Scenarios".
        FileErrorCase{
            "PackCannotBeWritten",
            [](const test::CallInfo& call, const DataRoot& d, bool reached) {
                const bool beside = call.path.rfind(d.Path("Scenarios\\."), 0) == 0;
                return call.call == test::FileCall::WRITE && reached && beside ? ENOSPC : 0;
            },
            Status::WRITE_FAILED,
            [](const DataRoot& d) { return "Disk full while accessing " + d.Pack(3) + "."; }},
        FileErrorCase{"MemberCannotBeRead",
                      [](const test::CallInfo& call, const DataRoot& d, bool) {
                          const bool member =
                              call.path == HostJoin(d.Folder(3), "Data Files\\units.csv");
                          return call.call == test::FileCall::READ && member ? EIO : 0;
                      },
                      Status::READ_FAILED,
                      [](const DataRoot& d) {
                          return "A hardware I/O error was reported while accessing " +
                                 HostJoin(d.Folder(3), "Data Files\\units.csv") + ".";
                      }},
        FileErrorCase{"CommonTableCannotBeCopied",
                      [](const test::CallInfo& call, const DataRoot&, bool) {
                          const bool creating = call.flags & base::kCreate;
                          return call.call == test::FileCall::OPEN && creating &&
                                         In(call, std::string(ScenarioFolderName(3)))
                                     ? EACCES
                                     : 0;
                      },
                      Status::CANNOT_OPEN,
                      [](const DataRoot& d) {
                          return "Access to " + HostJoin(d.Folder(3), "Data Files\\armyplays.csv") +
                                 " was denied.";
                      }}),
    [](const testing::TestParamInfo<FileErrorCase>& info) { return std::string(info.param.name); });

TEST(BuildAllPacksTest, CancelStopsBetweenScenariosWithoutACatalog) {
    DataRoot data;
    for (int index : {0, 3, 4})
        data.Scenario(index);
    std::atomic<bool> cancel{false};
    BatchOptions options;
    options.cancel = &cancel;
    options.progress = [&](const BatchProgress& progress) {
        if (progress.stage == BatchProgress::SCENARIO_FINISHED && progress.index == 3)
            cancel = true;
    };
    const BatchResult result = data.Build(options);
    EXPECT_EQ(result.status.kind, Status::CANCELLED);
    EXPECT_EQ(result.status.message,
              "The build was stopped after 4 of 52 scenarios; no catalog was written.");
    EXPECT_EQ(result.scenarios.size(), 4u);
    EXPECT_TRUE(test::Exists(data.Pack(0)));
    EXPECT_TRUE(test::Exists(data.Pack(3)));
    EXPECT_FALSE(test::Exists(data.Pack(4)));
    EXPECT_TRUE(test::Exists(HostJoin(data.Folder(4), "maps\\m.bmp")));
    EXPECT_FALSE(result.catalogWritten);
    EXPECT_FALSE(test::Exists(data.Path("catalog.txt")));
}

// Every step is told on the calling thread, in table order.
TEST(BuildAllPacksTest, ReportsEachStepInTableOrderOnTheCallingThread) {
    DataRoot data;
    data.Scenario(1);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<std::string> steps;
    BatchOptions options;
    options.threads = 3;
    options.progress = [&](const BatchProgress& p) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        steps.push_back(
            std::to_string(p.stage) + ":" + std::to_string(p.index) +
            (p.stage == BatchProgress::MEMBERS_PACKED
                 ? ":" + std::to_string(p.membersDone) + "/" + std::to_string(p.membersTotal)
                 : "") +
            (p.outcome ? (p.outcome->built ? ":built" : ":error") : ""));
        EXPECT_EQ(p.packName, ScenarioPackNames[static_cast<std::size_t>(p.index)]);
    };
    data.Build(options);
    std::vector<std::string> expected;
    for (int i = 0; i < SCEN_COUNT; ++i) {
        expected.push_back("0:" + std::to_string(i));
        for (int m = 1; i == 1 && m <= 14; ++m)
            expected.push_back("1:1:" + std::to_string(m) + "/14");
        expected.push_back("2:" + std::to_string(i) + (i == 1 ? ":built" : ":error"));
    }
    EXPECT_EQ(steps, expected);
}

// The batch's packs hold exactly the members the pack writer makes of the same folder, whatever
// the threads and whichever kind of stream.
TEST(BuildAllPacksTest, PacksAreThePackWritersOwn) {
    for (const bool zlib : {false, true}) {
        for (const unsigned threads : {1u, 2u, 4u}) {
            DataRoot data;
            for (int index : {0, 1, 2})
                data.Scenario(index, {{"Data Files\\big.csv", test::GameTable(4000, 9, index)}});
            BatchOptions options;
            options.threads = threads;
            options.zlib = zlib;
            ASSERT_TRUE(data.Build(options).status.ok());
            for (int index : {0, 1, 2}) {
                // The folder as the batch packed it: the common tables copied in again.
                for (std::string_view table : CommonDataFiles) {
                    const std::string name = "Data Files\\" + std::string(table);
                    fs::copy_file(data.Path(name), HostJoin(data.Folder(index), name));
                }
                NameList names;
                ASSERT_TRUE(ListFolderFiles(data.Folder(index), data.Folder(index), names).ok());
                PackWriteOptions write;
                write.zlib = zlib;
                const std::string alone = data.Path("alone.zpk");
                ASSERT_TRUE(WritePackFile(names, alone, data.Folder(index), write).ok());
                const std::string batch = test::ReadFile(data.Pack(index));
                const std::string single = test::ReadFile(alone);
                EXPECT_EQ(test::MemberStreams(batch), test::MemberStreams(single))
                    << threads << " threads" << (zlib ? ", zlib" : "");
                EXPECT_EQ(batch.substr(16, 272 * names.size()),
                          single.substr(16, 272 * names.size()));
            }
        }
    }
}

}  // namespace
}  // namespace brisko
