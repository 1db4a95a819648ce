// The window as a whole: set-up, the menu and its dispatch, the window's place, closing.
#include "EditorWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <cstdint>
#include <filesystem>

#include "AboutBox.h"
#include "CellEditor.h"
#include "DialogUnits.h"
#include "GridModel.h"
#include "ProgramIcon.h"
#include "QtCp1252.h"

namespace tavrel {
namespace {

constexpr const char* kOptions = "Options";
constexpr int kPositionColumnWidth = 110;
// The window's size in dialog units, turned into pixels with the window font's base units.
constexpr int kWidthUnits = 320;
constexpr int kHeightUnits = 201;

// A stored rectangle is used only when it is not empty, no larger than the screens together and
// overlapping them: any other (a hand-edited or damaged "Tavrel.ini") would put the window where
// no one can see or reach it.
bool ScreenCanShow(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    if (right <= left || bottom <= top) return false;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return false;
    const QRect desktop = screen->virtualGeometry();
    if (right - left > desktop.width() || bottom - top > desktop.height()) return false;
    return left < desktop.left() + desktop.width() && right > desktop.left() &&
           top < desktop.top() + desktop.height() && bottom > desktop.top();
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

}  // namespace

EditorWindow::EditorWindow(Platform& platformServices, EditorSetup editorSetup, QWidget* parent)
    : QMainWindow(parent), platform(platformServices), setup(std::move(editorSetup)) {
    setWindowTitle("Tavrel - No File Open");
    setWindowIcon(ProgramIcon());
    model = new GridModel(document, this);
    grid = new GridView(*model, *this, this);
    editor = new CellEditor(*this, grid->viewport());
    editor->setMaxLength(std::numeric_limits<int>::max());  // never cut a long cell
    setCentralWidget(grid);
    BuildMenu();
    BuildTextMeasure();
    document.Reset([](GridTable& t) { t.InsertColumn(0, "Position", kPositionColumnWidth); });

    const QSize client = desktop::DialogUnits(font()).Size(kWidthUnits, kHeightUnits);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
}

// The grid and its model go first: they read the table, which goes with the members.
EditorWindow::~EditorWindow() {
    editor = nullptr;
    delete grid;
    grid = nullptr;
    delete model;
    model = nullptr;
}

void EditorWindow::BuildMenu() {
    QMenu* menu = nullptr;
    for (const CommandItem& item : CommandTable()) {
        if (!menu || menu->title() != item.menu) menu = menuBar()->addMenu(item.menu);
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(item.text);
        action->setData(item.id);
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
}

QAction* EditorWindow::Action(int id) const {
    for (QAction* action : menuBar()->findChildren<QAction*>()) {
        if (action->data().toInt() == id && !action->isSeparator()) return action;
    }
    return nullptr;
}

void EditorWindow::OnCommand(int id) {
    emit CommandStarted(id);
    switch (id) {
        case ID_FILE_OPEN:
            OpenFile();
            break;
        case ID_FILE_SAVE:
            SaveTable();
            break;
        case ID_FILE_SAVE_AS:
            SaveFileAs();
            break;
        case ID_APP_EXIT:
            if (CloseEditor()) {
                closeApproved = true;
                close();
            }
            break;
        case ID_APP_ABOUT:
            ShowAbout();
            break;
        case ID_INSERT_ROW:
            InsertBlankRow();
            break;
        case ID_DELETE_ROW:
            DeleteRow();
            break;
        case ID_UNDO_DELETE_ROW:
            UndoDeleteRow();
            break;
        case ID_COPY_ROW:
            CopyRow();
            break;
        case ID_PASTE_ROW:
            PasteRow();
            break;
        case ID_CUT_ROW:
            CutRow();
            break;
        case ID_IMPORT_UNITLOCS:
            ImportUnitLocations();
            break;
        case ID_FIND:
            Find();
            break;
        case ID_FIND_AGAIN:
            FindAgain();
            break;
        default:
            break;
    }
}

void EditorWindow::Start() {
    const std::string& ini = setup.iniPath;
    const std::int64_t left = platform.ReadProfileInt(ini, kOptions, "left", 0);
    const std::int64_t top = platform.ReadProfileInt(ini, kOptions, "top", 0);
    const std::int64_t right = platform.ReadProfileInt(ini, kOptions, "right", 0);
    const std::int64_t bottom = platform.ReadProfileInt(ini, kOptions, "bottom", 0);
    const std::string lastOpen = platform.ReadProfileString(ini, kOptions, "lastopen", "", 1023);

    if (ScreenCanShow(left, top, right, bottom)) {
        restoredRect = QRect(static_cast<int>(left), static_cast<int>(top),
                             static_cast<int>(right - left), static_cast<int>(bottom - top));
        SetOuterRect(restoredRect);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    if (FileExists(setup.filePath)) {
        LoadTable(setup.filePath);
    } else if (FileExists(lastOpen)) {
        LoadTable(lastOpen);
    }
    grid->setFocus();
}

// Moves the window so that its outer frame covers `outer`.
void EditorWindow::SetOuterRect(const QRect& outer) {
    const QSize frame = frameGeometry().size() - size();
    move(outer.topLeft());
    resize(outer.size() - frame);
}

void EditorWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The frame's size is known once the window is on screen: fit the outer rectangle again.
    if (restoredRect.isValid() && frameGeometry().size() != restoredRect.size()) {
        SetOuterRect(restoredRect);
    }
    restoredRect = QRect();
}

// The outer rectangle, frame included; a maximized or minimized window keeps its normal one.
void EditorWindow::StoreRectangle() {
    QRect outer = frameGeometry();
    if (isMaximized() || isMinimized()) {
        const QRect inner = geometry();
        outer = normalGeometry().adjusted(outer.left() - inner.left(), outer.top() - inner.top(),
                                          outer.right() - inner.right(),
                                          outer.bottom() - inner.bottom());
    }
    const std::string& ini = setup.iniPath;
    platform.WriteProfileString(ini, kOptions, "left", std::to_string(outer.left()));
    platform.WriteProfileString(ini, kOptions, "top", std::to_string(outer.top()));
    platform.WriteProfileString(ini, kOptions, "right",
                                std::to_string(outer.left() + outer.width()));
    platform.WriteProfileString(ini, kOptions, "bottom",
                                std::to_string(outer.top() + outer.height()));
}

bool EditorWindow::CloseEditor() {
    CommitEdit();
    if (!SaveChangesFirst()) return false;
    StoreRectangle();
    return true;
}

// The close box cancels an open edit; otherwise it closes, asking first about changes.
void EditorWindow::closeEvent(QCloseEvent* event) {
    if (closeApproved) {
        event->accept();
        return;
    }
    if (EditOpen()) {
        CancelEdit();
        event->ignore();
        return;
    }
    if (CloseEditor()) {
        closeApproved = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void EditorWindow::ShowAbout() {
    AboutBox about(this);
    platform.RunDialog(about);
}

Platform::Answer EditorWindow::Message(const QString& text, Platform::Buttons buttons,
                                       Platform::Icon icon) {
    return platform.ShowMessage(this, setup.caption, text, buttons, icon);
}

// Cell texts are measured by summing per-byte advances of the grid's font.
void EditorWindow::BuildTextMeasure() {
    const QFontMetrics metrics(grid->font());
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const int advance =
            metrics.horizontalAdvance(desktop::FromCp1252(std::string_view(&byte, 1)));
        measure.advance[static_cast<std::size_t>(b)] =
            static_cast<std::uint16_t>(std::max(0, advance));
    }
}

}  // namespace tavrel
