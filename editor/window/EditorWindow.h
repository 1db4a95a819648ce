// The editor's one window: the menu, the grid over the open table and the cell editor laid over
// one cell at a time. It owns the table (the only copy of the data), the table's state and the
// edit state, and runs every command to its end on the user-interface thread.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <string>

#include "GridTable.h"
#include "GridView.h"
#include "Platform.h"
#include "Status.h"
#include "TextMeasure.h"

class QAction;

namespace tavrel {

using base::Status;
using desktop::Platform;

class CellEditor;
class GridModel;

// Menu command ids.
enum Command {
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 32773,
    ID_APP_EXIT = 57602,
    ID_APP_ABOUT = 32776,
    ID_INSERT_ROW = 32778,
    ID_DELETE_ROW = 32779,
    ID_UNDO_DELETE_ROW = 32783,
    ID_COPY_ROW = 32780,
    ID_PASTE_ROW = 32781,
    ID_CUT_ROW = 32784,
    ID_IMPORT_UNITLOCS = 32777,
    ID_FIND = 57636,
    ID_FIND_AGAIN = 32790,
};

// Where the window finds its files, set once at start by the application.
struct EditorSetup {
    std::string programFolder;  // the program file's folder, with its trailing separator
    std::string iniPath;        // the settings file beside the program
    std::string filePath;       // the table named on the command line, or empty
    QString caption;            // the program's name, the title of its message boxes
};

// The open table: which file, how it was read, and whether it changed since.
struct TableState {
    std::string filePath;    // empty when no table is open
    int columnCount = 0;     // columns the last load made (header fields and blank margin)
    int loadedRowCount = 0;  // data lines the last load read
    bool modified = false;   // the table differs from its file
};

// The cell the editor is over; -1 when none.
struct EditState {
    int editRow = -1;
    int editColumn = -1;
    QRect editRect;                // the cell's rectangle where the editor was placed
    std::string editOriginalText;  // the cell's text when the edit began; Escape puts it back
};

class EditorWindow : public QMainWindow, private GridEvents {
    Q_OBJECT

public:
    EditorWindow(Platform& platform, EditorSetup setup, QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Reads the settings, restores the window's place and opens the command-line or last table.
    void Start();

    // Runs a menu command by its id.
    void OnCommand(int id);

    // The table.
    void LoadTable(const std::string& path);
    bool SaveTable();    // false when the table could not be written
    bool CloseEditor();  // false when the user chose to keep the window open

    // The cell editor.
    void BeginEdit(int row, int column);
    void CommitEdit();
    bool EditOpen() const;
    int FirstSelectedRow() const;
    void SetRowSelected(int row, bool selected);

    // For the program and its tests.
    const TableState& State() const { return state; }
    const EditState& Edit() const { return edit; }
    const GridTable& Table() const { return table; }
    const EditorSetup& Setup() const { return setup; }
    GridView& Grid() { return *grid; }
    CellEditor& Editor() { return *editor; }
    QAction* Action(int id) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // GridEvents.
    bool OnGridKey(QKeyEvent& event) override;
    void OnDefaultAction() override;
    void OnCancelAction() override;
    void OnGridClick(int row, int column) override;
    void OnGridLayoutChanged() override;
    void OnGridFocusOut(Qt::FocusReason reason) override;
    void OnEditorFocusOut() override;

    void BuildMenu();
    void RestoreRectangle();
    void StoreRectangle();
    void SetOuterRect(const QRect& outer);
    void ShowAbout();

    void ReportFileError(const Status& status);
    void OpenFile();
    void SaveFileAs();
    // Asks whether to save a changed table first; false when the command is to stop there.
    bool SaveChangesFirst();

    void CancelEdit();
    void HideEditor();
    void PlaceEditor();
    void MoveEditSideways(int column);
    void TypeCharacter(QChar character);

    Platform::Answer Message(const QString& text, Platform::Buttons buttons = Platform::Buttons::OK,
                             Platform::Icon icon = Platform::Icon::EXCLAMATION);
    void BuildTextMeasure();

    Platform& platform;
    const EditorSetup setup;
    GridTable table;
    TableState state;
    EditState edit;
    TextMeasure measure;
    GridModel* model = nullptr;
    GridView* grid = nullptr;
    CellEditor* editor = nullptr;  // made after the grid, which reports to us from the start
    QRect restoredRect;            // the outer rectangle read at start, empty when none
    bool closeApproved = false;
};

}  // namespace tavrel
