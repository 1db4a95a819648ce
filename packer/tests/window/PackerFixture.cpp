#include "PackerFixture.h"

#include <QPlainTextEdit>
#include <filesystem>

#include "QtCp1252.h"

namespace brisko::test {

PackerFixture::~PackerFixture() {
    window.reset();
}

void PackerFixture::Scenario(const std::string& folder, const Tree& tree) const {
    std::filesystem::create_directories(Scenarios() + folder);
    MakeTree(Scenarios() + folder, tree);
}

PackerWindow& PackerFixture::Open() {
    std::filesystem::create_directories(Scenarios());
    window =
        std::make_unique<PackerWindow>(platform, PackerSetup{Root(), Scenarios(), "Brisko"}, files);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return *window;
}

std::vector<std::string> PackerFixture::Items(const QListWidget& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.push_back(desktop::ToCp1252(list.item(i)->text()));
    return texts;
}

void PackerFixture::Select(QListWidget& list, const std::string& text) {
    const QList<QListWidgetItem*> found =
        list.findItems(desktop::FromCp1252(text), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text;
    list.scrollToItem(found.first());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                      list.visualItemRect(found.first()).center());
    ASSERT_TRUE(found.first()->isSelected()) << text;
}

std::string PackerFixture::Status() const {
    return desktop::ToCp1252(window->statusBox->toPlainText());
}

}  // namespace brisko::test
