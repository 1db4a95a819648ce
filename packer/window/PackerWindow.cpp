// The window's controls, their places, and the dispatch of their commands.
#include "PackerWindow.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "DialogUnits.h"
#include "FolderOps.h"
#include "NameLists.h"

namespace brisko {
namespace {

// A control's place in dialog units.
struct Place {
    int id;
    int x, y, width, height;
};

constexpr Place kFolderList{PackerWindow::ID_FOLDER_LIST, 8, 7, 111, 128};
constexpr Place kPackList{PackerWindow::ID_PACK_LIST, 136, 7, 111, 128};
constexpr Place kStatusBox{PackerWindow::ID_STATUS_BOX, 8, 139, 304, 24};
constexpr Place kContentsList{PackerWindow::ID_CONTENTS_LIST, 8, 168, 240, 75};

struct Button {
    Place place;
    const char* text;
    bool shown;
};

const Button kButtons[] = {
    {{PackerWindow::IDOK, 255, 6, 62, 16}, "Close", true},
    {{PackerWindow::ID_CREATE_PACK, 255, 28, 62, 16}, "Create ZPK file", true},
    {{PackerWindow::ID_EXTRACT_PACK, 255, 46, 62, 16}, "Extract ZPK File", false},
    {{PackerWindow::ID_CHECK_SUM, 255, 64, 62, 16}, "Check Sum", false},
    {{PackerWindow::ID_CREATE_MAIN_FILE, 255, 95, 62, 16}, "Create Main file", false},
    {{PackerWindow::ID_BUILD_PACKS, 255, 170, 62, 16}, "Build ZPK", false},
};

// The window's client area in dialog units.
constexpr int kWidthUnits = 319;
constexpr int kHeightUnits = 250;

// The hidden commands' keys; the lists' tips and the context menus show them.
const QKeySequence kExtractKey(Qt::CTRL | Qt::Key_E);
const QKeySequence kCheckSumKey(Qt::CTRL | Qt::Key_K);
const QKeySequence kBuildKey(Qt::CTRL | Qt::Key_B);

void Identify(QWidget& widget, int id) {
    widget.setObjectName(QString("control%1").arg(id));
    widget.setProperty("controlId", id);
}

}  // namespace

PackerWindow::PackerWindow(desktop::Platform& platformServices, PackerSetup packerSetup,
                           FileLayer& fileLayer, QWidget* parent)
    : QDialog(parent), platform(platformServices), setup(std::move(packerSetup)), files(fileLayer) {
    setWindowTitle("Palvane Games Pack File Creator");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    BuildControls();
    BuildCommands();
    FillLists();
}

void PackerWindow::BuildControls() {
    const desktop::DialogUnits units(font());
    setFixedSize(units.Size(kWidthUnits, kHeightUnits));
    const auto place = [&units](QWidget& widget, const Place& at) {
        Identify(widget, at.id);
        widget.setGeometry(units.Rect(at.x, at.y, at.width, at.height));
    };
    const auto makeList = [&](const Place& at, int notify) {
        auto* list = new QListWidget(this);
        place(*list, at);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setUniformItemSizes(true);
        if (notify) {
            connect(list, &QListWidget::itemSelectionChanged, this,
                    [this, notify] { OnCommand(notify); });
        }
        return list;
    };
    folderList = makeList(kFolderList, ID_FOLDER_LIST);
    packList = makeList(kPackList, ID_PACK_LIST);
    statusBox = new QPlainTextEdit(this);
    place(*statusBox, kStatusBox);
    statusBox->setReadOnly(true);
    contentsList = makeList(kContentsList, 0);

    for (const Button& b : kButtons) {
        auto* button = new QPushButton(b.text, this);
        place(*button, b.place);
        button->setVisible(b.shown);
        const int id = b.place.id;
        connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        if (id == IDOK) button->setDefault(true);
    }
    folderList->setFocus();
}

// The hidden buttons' commands are reached by keys and context menus; the lists' tips tell how.
void PackerWindow::BuildCommands() {
    const auto makeAction = [this](const char* text, const QKeySequence& key, int id) {
        auto* action = new QAction(text, this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        addAction(action);
        return action;
    };
    extractAction = makeAction("Extract ZPK File", kExtractKey, ID_EXTRACT_PACK);
    checkSumAction = makeAction("Check Sum", kCheckSumKey, ID_CHECK_SUM);
    buildAction = makeAction("Build ZPK", kBuildKey, ID_BUILD_PACKS);
    const QString keys = QString("Extract ZPK File: %1 (into %2)\nCheck Sum: %3\nBuild ZPK: %4")
                             .arg(kExtractKey.toString(QKeySequence::NativeText), kExtractFolder,
                                  kCheckSumKey.toString(QKeySequence::NativeText),
                                  kBuildKey.toString(QKeySequence::NativeText));
    folderList->setToolTip("The scenario folders. Create ZPK file packs the selected one.\n\n" +
                           keys);
    packList->setToolTip("The scenario packs. Right-click a pack for its commands.\n\n" + keys);
}

void PackerWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    if (packList->geometry().contains(event->pos())) {
        menu.addAction(extractAction);
        menu.addAction(checkSumAction);
    } else {
        menu.addAction(buildAction);
    }
    menu.exec(event->globalPos());
}

QWidget* PackerWindow::Control(int id) const {
    return findChild<QWidget*>(QString("control%1").arg(id));
}

void PackerWindow::OnCommand(int id) {
    switch (id) {
        case ID_FOLDER_LIST:
            OnFolderSelChange();
            break;
        case ID_PACK_LIST:
            OnPackSelChange();
            break;
        case ID_CREATE_PACK:
            OnCreatePack();
            break;
        case ID_EXTRACT_PACK:
            OnExtractPack();
            break;
        case ID_CREATE_MAIN_FILE:
            OnCreateMainFile();
            break;
        case ID_CHECK_SUM:
            OnCheckSum();
            break;
        case ID_BUILD_PACKS:
            OnBuildPacks();
            break;
        case IDOK:
            accept();
            break;
        default:
            break;
    }
}

void PackerWindow::FillLists() {
    NameList folders;
    ListMatchingFiles(setup.scenariosFolder + "*.", folders, files);
    ShowNames(*folderList, folders, NameKind::HOST);
    RefreshPackList();
}

void PackerWindow::RefreshPackList() {
    NameList packs;
    ListMatchingFiles(setup.scenariosFolder + "*.zpk", packs, files);
    ShowNames(*packList, packs, NameKind::HOST);
}

std::optional<std::string> PackerWindow::Selected(const QListWidget& list) const {
    const QList<QListWidgetItem*> items = list.selectedItems();
    if (items.isEmpty()) return std::nullopt;
    return NameOf(*items.first());
}

void PackerWindow::Message(const QString& text) {
    platform.ShowMessage(this, setup.caption, text, desktop::Platform::Buttons::OK,
                         desktop::Platform::Icon::EXCLAMATION);
}

void PackerWindow::ReportError(const Status& status) {
    Message(UserText(status.message));
}

}  // namespace brisko
