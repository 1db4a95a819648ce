// Build ZPK from the window: the batch off the window's thread with a progress window, each
// scenario that could not be built named, Cancel between scenarios, and a file error that ends
// the batch.
#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <filesystem>

#include "Catalog.h"
#include "PackFile.h"
#include "PackerFixture.h"
#include "ScenarioBatch.h"

namespace brisko::test {
namespace {

namespace fs = std::filesystem;

class PackerBatchTest : public PackerFixture {
protected:
    // The common tables, and the folders of the first `count` scenarios of the catalog.
    void MakeDataTree(int count) {
        for (const std::string_view table : CommonDataFiles)
            MakeTree(Root() + "Data Files", {{std::string(table), "1,2,3,\r\n"}});
        for (int k = 0; k < count; ++k) {
            Scenario(std::string(ScenarioFolderName(k)),
                     {{"units.csv", "id,men,\r\n" + std::to_string(k) + ",40,\r\n"},
                      {"Data Files\\orders.csv", "7,8,\r\n"},
                      {"maps\\map.bmp", "BM"}});
        }
    }
    std::string PackPath(int k) const {
        return Scenarios() + std::string(ScenarioPackNames[static_cast<std::size_t>(k)]);
    }
    // What the progress window showed whenever the batch reached a scenario.
    struct Seen {
        int index;
        bool progressShown;
        bool waitCursor;
    };
    std::vector<Seen> seen;
    void Watch(PackerWindow& w, const std::function<void(int)>& also = nullptr) {
        QObject::connect(&w, &PackerWindow::BatchProgressed, &w, [this, &w, also](int index) {
            const auto* progress = w.findChild<QProgressDialog*>();
            const QCursor* cursor = QApplication::overrideCursor();
            seen.push_back({index, progress && progress->isVisible(),
                            cursor && cursor->shape() == Qt::WaitCursor});
            if (also) also(index);
        });
    }
};

TEST_F(PackerBatchTest, BuildsEveryScenarioNamesThoseItCouldNotBuildAndWritesTheCatalog) {
    MakeDataTree(2);
    PackerWindow& w = Open();
    Watch(w);
    w.OnCommand(PackerWindow::ID_BUILD_PACKS);

    ASSERT_EQ(seen.size(), static_cast<std::size_t>(SCEN_COUNT));
    for (int k = 0; k < SCEN_COUNT; ++k) {
        EXPECT_EQ(seen[static_cast<std::size_t>(k)].index, k);
        EXPECT_TRUE(seen[static_cast<std::size_t>(k)].progressShown) << k;
        EXPECT_TRUE(seen[static_cast<std::size_t>(k)].waitCursor) << k;
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.findChild<QProgressDialog*>(), nullptr);
    // Every scenario without a folder is named, in catalog order, after "Error".
    const std::vector<QString> messages = Messages();
    ASSERT_EQ(messages.size(), static_cast<std::size_t>(SCEN_COUNT - 2));
    for (int k = 2; k < SCEN_COUNT; ++k) {
        const QString& text = messages[static_cast<std::size_t>(k - 2)];
        EXPECT_TRUE(text.startsWith(
            "Error\n" +
            QString::fromLatin1(
                ScenarioPackNames[static_cast<std::size_t>(k)].data(),
                static_cast<qsizetype>(ScenarioPackNames[static_cast<std::size_t>(k)].size())) +
            ": "))
            << text.toStdString();
    }
    // The packs hold the scenario's tables and the common tables; the picture is gone.
    CatalogSlots slots;
    ASSERT_TRUE(ReadCatalog(Root() + "catalog.txt", slots).ok());
    for (int k = 0; k < 2; ++k) {
        CPackFile pack;
        ASSERT_TRUE(pack.Open(PackPath(k)));
        EXPECT_EQ(pack.GetCount(), 11u);  // the common orders.csv replaced the scenario's own
        EXPECT_EQ(slots[static_cast<std::size_t>(k)].Value(), pack.StoredChecksum());
        EXPECT_FALSE(Exists(Scenarios() + std::string(ScenarioFolderName(k)) + "/maps/map.bmp"));
    }
    EXPECT_EQ(slots[2], CatalogSlot{});
}

TEST_F(PackerBatchTest, CancelStopsBetweenScenariosKeepsThePacksAndWritesNoCatalog) {
    MakeDataTree(4);
    PackerWindow& w = Open();
    Watch(w, [&w](int index) {
        if (index == 2) w.findChild<QProgressDialog*>()->findChild<QPushButton*>()->click();
    });
    w.OnCommand(PackerWindow::ID_BUILD_PACKS);
    EXPECT_FALSE(Exists(Root() + "catalog.txt"));
    EXPECT_TRUE(Exists(PackPath(0)));
    EXPECT_TRUE(Exists(PackPath(1)));
    EXPECT_FALSE(Exists(PackPath(3)));
    ASSERT_FALSE(Messages().empty());
    EXPECT_TRUE(Exists(PackPath(2)));  // the scenario being built when Cancel came is finished
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              "The build was stopped after 3 of 52 scenarios; no catalog was written.\n"
              "The packs built before it stay as they are.");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PackerBatchTest, AFileErrorEndsTheBatchWithItsTextAndNoCatalog) {
    MakeDataTree(3);
    fs::create_directories(Scenarios());
    WriteFile(PackPath(0), "the old pack");
    PackerWindow& w = Open();
    files.FailFrom(FileCall::WRITE, 1, ENOSPC);
    w.OnCommand(PackerWindow::ID_BUILD_PACKS);
    files.fail = nullptr;
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].startsWith("Disk full while accessing "))
        << Messages()[0].toStdString();
    EXPECT_FALSE(Exists(Root() + "catalog.txt"));
    EXPECT_EQ(ReadFile(PackPath(0)), "the old pack");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace brisko::test
