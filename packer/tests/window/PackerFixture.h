// A Brisko window on a scratch data tree, answered by a ScriptedPlatform.
#pragma once

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "FaultyFiles.h"
#include "PackTestFiles.h"
#include "PackerWindow.h"
#include "ScriptedPlatform.h"

namespace brisko::test {

using desktop::test::ScriptedPlatform;

class PackerFixture : public testing::Test {
protected:
    ~PackerFixture() override;

    std::string Root() const { return dir.Path().string() + "/"; }
    std::string Scenarios() const { return Root() + "Scenarios/"; }
    // Writes the files of a tree below the scenarios folder.
    void Scenario(const std::string& folder, const Tree& tree) const;
    // Makes and shows the window over the tree.
    PackerWindow& Open();

    // The texts a list shows, in order.
    static std::vector<std::string> Items(const QListWidget& list);
    // Clicks the item with that text.
    void Select(QListWidget& list, const std::string& text);
    std::string Status() const;
    std::vector<QString> Messages() const { return platform.MessageTexts(); }

    TempDir dir;
    ScriptedPlatform platform;
    FaultyFiles files;
    std::unique_ptr<PackerWindow> window;
};

}  // namespace brisko::test
