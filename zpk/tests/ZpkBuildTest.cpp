// zpk build over a data tree, and zpk verify against a pack's slot in the catalog it wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "Catalog.h"
#include "HostPath.h"
#include "PackFile.h"
#include "PackTestFiles.h"
#include "ScenarioBatch.h"
#include "ZpkRun.h"

namespace {

namespace fs = std::filesystem;
using zpk::test::Result;
using zpk::test::Zpk;

// A file or folder below the data root as zpk spells it, given as a member name.
std::string Below(const std::string& root, const std::string& relative) {
    return brisko::HostJoin(root, relative);
}

std::string ScenarioFolder(const std::string& root, int index) {
    return Below(root, "Scenarios\\" + std::string(brisko::ScenarioFolderName(index)));
}

// A data root with the ten common tables and the scenario folders given by index.
std::string MakeRoot(const brisko::test::TempDir& dir, const std::vector<int>& scenarios) {
    const std::string root = dir.File("game");
    for (std::string_view table : brisko::CommonDataFiles)
        brisko::test::MakeTree(root + "/Data Files", {{std::string(table), "1,2,3,\r\n"}});
    fs::create_directories(root + "/Scenarios");
    for (int index : scenarios) {
        brisko::test::MakeTree(ScenarioFolder(root, index),
                               {{"scenario.ini", "[Scenario]\r\n"},
                                {"Data Files\\units.csv", brisko::test::GameTable(20, 6, index)},
                                {"maps\\m.bmp", "BM"}});
    }
    return root;
}

std::string PackPath(const std::string& root, int index) {
    return Below(root, "Scenarios\\" +
                           std::string(brisko::ScenarioPackNames[static_cast<std::size_t>(index)]));
}

// The line zpk build prints for a pack it built.
std::string BuiltLine(const std::string& root, int index) {
    brisko::CPackFile pack;
    EXPECT_TRUE(pack.Open(PackPath(root, index)));
    const brisko::CatalogSlot slot = brisko::CatalogSlot::Of(pack.StoredChecksum());
    std::uint64_t sizes = 0;
    for (std::uint32_t i = 0; i < pack.GetCount(); ++i)
        sizes += pack.GetEntry(i)->uncompressedSize;
    return std::string(brisko::ScenarioPackNames[static_cast<std::size_t>(index)]) + "\t" +
           std::to_string(pack.GetCount()) + "\t" + std::to_string(sizes) + "\t" +
           std::to_string(fs::file_size(PackPath(root, index))) + "\t" + std::to_string(slot.low) +
           "\t" + std::to_string(slot.high);
}

// What zpk build prints for a root that holds the scenarios given by index and no others.
std::string BuildOutput(const std::string& root, const std::vector<int>& scenarios) {
    std::string expected;
    for (int i = 0; i < brisko::SCEN_COUNT; ++i) {
        if (std::find(scenarios.begin(), scenarios.end(), i) != scenarios.end()) {
            expected += BuiltLine(root, i) + "\n";
        } else {
            expected += std::string(brisko::ScenarioPackNames[static_cast<std::size_t>(i)]) +
                        "\tError\tThe scenario folder " + ScenarioFolder(root, i) +
                        " was not found.\n";
        }
    }
    return expected + "catalog\t" + Below(root, "catalog.txt") + "\n";
}

TEST(ZpkBuildTest, PrintsEveryScenarioAndExitsWithOneWhenSomeWereNotBuilt) {
    brisko::test::TempDir dir;
    const std::string root = MakeRoot(dir, {0, 2});
    const Result result = Zpk(dir, {"build", root, "--threads", "2"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, BuildOutput(root, {0, 2}));
    EXPECT_TRUE(brisko::test::Exists(Below(root, "catalog.txt")));
}

TEST(ZpkBuildTest, AllBuiltExitsWithZeroAndWritesTheCatalogWhereAsked) {
    brisko::test::TempDir dir;
    std::vector<int> all;
    for (int i = 0; i < brisko::SCEN_COUNT; ++i)
        all.push_back(i);
    const std::string root = MakeRoot(dir, all);
    const Result result = Zpk(dir, {"build", root, "--catalog", dir.File("out.txt")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\ncatalog\t" + dir.File("out.txt") + "\n"), std::string::npos);
    EXPECT_FALSE(brisko::test::Exists(root + "/catalog.txt"));
    brisko::CatalogSlots slots;
    ASSERT_TRUE(brisko::ReadCatalog(dir.File("out.txt"), slots).ok());
    for (int i = 0; i < brisko::SCEN_COUNT; ++i) {
        brisko::CPackFile pack;
        ASSERT_TRUE(pack.Open(PackPath(root, i)));
        EXPECT_EQ(slots[static_cast<std::size_t>(i)].Value(), pack.StoredChecksum()) << i;
    }
}

// The data tree named as an operand, with --root, or by BRISKO_ROOT (as Brisko takes it): the same
// build. The operand and --root come before the environment.
TEST(ZpkBuildTest, RootFromTheOperandTheOptionOrTheEnvironment) {
    brisko::test::TempDir dir;
    const std::string root = MakeRoot(dir, {1});
    const std::string elsewhere = "BRISKO_ROOT=" + dir.File("missing");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string env;
    };
    const Case cases[] = {
        {"Option", {"build", "--root", root}, elsewhere},
        {"Operand", {"build", root}, elsewhere},
        {"Environment", {"build"}, "BRISKO_ROOT=" + root},
    };
    for (const Case& c : cases) {
        const Result result = Zpk(dir, c.args, c.env);
        EXPECT_EQ(result.status, 1) << c.name << ": " << result.err;
        EXPECT_EQ(result.out, BuildOutput(root, {1})) << c.name;
    }
}

// A pack that cannot be written is a file error: the build ends there, without a catalog.
TEST(ZpkBuildTest, FileErrorEndsTheBuildWithTwo) {
    brisko::test::TempDir dir;
    const std::string root = MakeRoot(dir, {0, 1, 2});
    fs::create_directories(PackPath(root, 1) + "/in the way");
    const Result result = Zpk(dir, {"build", root});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, BuiltLine(root, 0) + "\n" + std::string(brisko::ScenarioPackNames[1]) +
                              "\tError\t" + PackPath(root, 1) + " contains an invalid path.\n");
    EXPECT_EQ(result.err, "zpk: " + PackPath(root, 1) + " contains an invalid path.\n");
    EXPECT_FALSE(brisko::test::Exists(root + "/catalog.txt"));
    EXPECT_TRUE(brisko::test::Exists(Below(ScenarioFolder(root, 2), "maps\\m.bmp")));
}

// The outcomes of zpk verify against a catalog's slot, by the pack's file name.
TEST(ZpkBuildTest, VerifyAgainstTheCatalogSlotOfThePack) {
    brisko::test::TempDir dir;
    const std::string root = MakeRoot(dir, {0, 1});
    ASSERT_EQ(Zpk(dir, {"build", root}).status, 1);
    const std::string catalog = root + "/catalog.txt";
    // Pack 0 under the name of scenario 1: its own checksum holds, the catalog's value does not.
    fs::create_directories(dir.File("other"));
    const std::string renamed = dir.File("other/") + std::string(brisko::ScenarioPackNames[1]);
    fs::copy_file(PackPath(root, 0), renamed);
    // Pack 0 whose stored checksum was changed after it was written.
    std::string bytes = brisko::test::ReadFile(PackPath(root, 0));
    fs::create_directories(dir.File("changed"));
    const std::string changed = dir.File("changed/") + std::string(brisko::ScenarioPackNames[0]);
    brisko::test::SetU32At(bytes, 0, brisko::test::U32At(bytes, 0) + 1);  // stored checksum
    brisko::test::WriteFile(changed, bytes);
    // Not a catalog. (A pack would do too, but where its first line ends depends on the bytes
    // of its creation time.)
    const std::string notes = dir.File("notes.txt");
    brisko::test::WriteFile(notes, "const int Other[ 2 ] = \r\n{\r\n};\r\n");
    struct Case {
        std::vector<std::string> args;
        std::string out;
        std::string err;
        int status;
    };
    const Case cases[] = {
        {{"verify", PackPath(root, 0), "--catalog", catalog},
         "Check matched file and passed in value.\n",
         "",
         0},
        {{"verify", renamed, "--catalog", catalog},
         "Check matched file, but not passed in value.\n",
         "",
         1},
        {{"verify", changed, "--catalog", catalog, "--checksum-only"},
         "Check matched passed in value, but not file.\n",
         "",
         1},
        {{"verify", changed, "--expect", "1", "2", "--checksum-only"},
         "Check failed all.\n",
         "",
         1},
        {{"verify", dir.File("x.zpk"), "--catalog", catalog},
         "",
         "zpk: " + dir.File("x.zpk") + " was not found.\n",
         2},
        {{"verify", PackPath(root, 0), "--catalog", dir.File("none.txt")},
         "",
         "zpk: " + dir.File("none.txt") + " was not found.\n",
         2},
        {{"verify", PackPath(root, 0), "--catalog", notes},
         "",
         "zpk: " + notes +
             " is not a checksum catalog: line 1 is not the declaration of TableLowPart.\n",
         2},
    };
    for (const Case& c : cases) {
        const Result result = Zpk(dir, c.args);
        EXPECT_EQ(result.out, c.out) << c.args[1];
        EXPECT_EQ(result.err, c.err) << c.args[1];
        EXPECT_EQ(result.status, c.status) << c.args[1];
    }
    fs::copy_file(PackPath(root, 0), dir.File("elsewhere.zpk"));
    const Result unknown = Zpk(dir, {"verify", dir.File("elsewhere.zpk"), "--catalog", catalog});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err,
              "zpk: elsewhere.zpk is not one of the game's scenario packs, so the "
              "catalog holds no value for it.\n");
}

}  // namespace
