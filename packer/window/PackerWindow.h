// The pack creator's one window: the scenario folders and the packs of the data tree side by
// side, what a selected folder or pack holds, and the commands that pack a folder, extract and
// check a pack, and build every scenario pack with the checksum catalog. Every command reads the
// selection when it runs and builds its paths afresh; the window keeps no other state.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "PackBase.h"
#include "PackWriter.h"
#include "PackerApp.h"

class QAction;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace brisko {

class PackerWindow : public QDialog {
    Q_OBJECT

public:
    // Control and command ids.
    enum Id {
        IDOK = 1,  // "Close"
        ID_CREATE_PACK = 1002,
        ID_FOLDER_LIST = 1003,
        ID_EXTRACT_PACK = 1004,
        ID_STATUS_BOX = 1005,
        ID_PACK_LIST = 1006,
        ID_CONTENTS_LIST = 1007,
        ID_CREATE_MAIN_FILE = 1008,
        ID_CHECK_SUM = 1009,
        ID_BUILD_PACKS = 1011,
    };

    PackerWindow(desktop::Platform& platform, PackerSetup setup,
                 FileLayer& files = FileLayer::System(), QWidget* parent = nullptr);

    // Runs the command or notification of a control: a button's click, or for the two lists the
    // change of their selection.
    void OnCommand(int id);

    void OnFolderSelChange();
    void OnPackSelChange();
    void OnCreatePack();
    void OnExtractPack();
    void OnCreateMainFile();
    void OnCheckSum();
    void OnBuildPacks();

    // The control with an id (a list, the status box or a button).
    QWidget* Control(int id) const;
    QListWidget* folderList = nullptr;
    QListWidget* packList = nullptr;
    QListWidget* contentsList = nullptr;
    QPlainTextEdit* statusBox = nullptr;

    const PackerSetup& Setup() const { return setup; }

    // The name of the extraction folder below the scenarios folder.
    static constexpr char kExtractFolder[] = "__TEMP_SCEN__";

Q_SIGNALS:
    // The batch build has reached a scenario (index from 0), on the window's thread.
    void BatchProgressed(int index, int count);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls();
    void BuildCommands();
    void FillLists();
    void RefreshPackList();
    // The selected item's name as the data tree spells it, or none.
    std::optional<std::string> Selected(const QListWidget& list) const;
    void Message(const QString& text);
    void ReportError(const Status& status);

    desktop::Platform& platform;
    const PackerSetup setup;
    FileLayer& files;
    QAction* extractAction = nullptr;
    QAction* checkSumAction = nullptr;
    QAction* buildAction = nullptr;
};

}  // namespace brisko
