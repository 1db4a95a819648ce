// The editor's one window: the menu, the grid over the open table and the cell editor laid over
// one cell at a time. It owns the document (the table, its state and the deleted rows) and keeps
// what is about the screen: the selection, the edit, scrolling and the dialogs. Every command runs
// to its end on the user-interface thread.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <string>

#include "EditorCommands.h"
#include "GridView.h"
#include "Platform.h"
#include "Status.h"
#include "TableDocument.h"
#include "TextMeasure.h"

class QAction;

namespace tavrel {

using base::Status;
using desktop::Platform;

class CellEditor;
class GridModel;

// Where the window finds its files, set once at start by the application.
struct EditorSetup {
    std::string programFolder;  // the program file's folder, with its trailing separator
    std::string iniPath;  // the settings file; the copy of the last table opened goes beside it
    std::string filePath;       // the table named on the command line, or empty
    QString caption;            // the program's name, the title of its message boxes
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
    Q_SIGNAL void CommandStarted(int id);

    // The table.
    void LoadTable(const std::string& path);
    bool SaveTable();    // false when the table could not be written
    bool CloseEditor();  // false when the user chose to keep the window open

    // The row commands, on the first selected row.
    void InsertBlankRow();
    void DeleteRow();
    void UndoDeleteRow();
    void CopyRow();
    void CutRow();
    void PasteRow();

    // Finding text, and the unit locations import.
    void Find();
    void FindAgain();
    void ShowFoundCell(int row, int column);
    void ImportUnitLocations();

    // The cell editor.
    void BeginEdit(int row, int column);
    void CommitEdit();
    bool EditOpen() const;
    int FirstSelectedRow() const;
    void SetRowSelected(int row, bool selected);

    // For the program and its tests.
    const TableState& State() const { return document.state; }
    const EditState& Edit() const { return edit; }
    const GridTable& Table() const { return document.Table(); }
    const TableDocument& Document() const { return document; }
    const std::string& FindText() const { return findText; }
    // The last short note shown in the window (a refused paste), for tests.
    const QString& LastNote() const { return lastNote; }
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
    void OnEditorFocusOut(Qt::FocusReason reason) override;

    void BuildMenu();
    void RestoreRectangle();
    void StoreRectangle();
    void SetOuterRect(const QRect& outer);
    void ShowAbout();

    void ReportFileError(const Status& status);
    void ReportDroppedFields(std::uint64_t fields, std::uint64_t lines);
    void OpenFile();
    void SaveFileAs();
    // Asks whether to save a changed table first; false when the command is to stop there.
    bool SaveChangesFirst();

    void CancelEdit();
    void HideEditor();
    void PlaceEditor();
    void MoveEditSideways(int column);
    void ScrollCellIntoView(int row, int column);
    void ShowNote(const QString& text, int row);
    void SelectRows(int first, int last);

    Platform::Answer Message(const QString& text, Platform::Buttons buttons = Platform::Buttons::OK,
                             Platform::Icon icon = Platform::Icon::EXCLAMATION);
    void BuildTextMeasure();

    Platform& platform;
    const EditorSetup setup;
    TableDocument document;
    EditState edit;
    std::string findText;  // the current search text, as typed
    TextMeasure measure;
    GridModel* model = nullptr;
    GridView* grid = nullptr;
    CellEditor* editor = nullptr;  // made after the grid, which reports to us from the start
    QRect restoredRect;            // the outer rectangle read at start, empty when none
    bool closeApproved = false;
    QString lastNote;
};

}  // namespace tavrel
