// The File commands: loading and saving the table, Open, Save As, the question before changes
// would be lost, and the unit locations import.
#include <QFile>
#include <QScrollBar>

#include "CellEditor.h"
#include "CsvFile.h"
#include "EditorWindow.h"
#include "GridModel.h"
#include "HostPaths.h"
#include "UnitLocations.h"

namespace tavrel {
namespace {

constexpr const char* kCsvFilter = "CSV Files (*.csv)|*.csv||";
constexpr const char* kSaveQuestion = "The CSV file has changed, do you want to save the file?.";
constexpr const char* kUnitLocFilter = "UnitLoc Files (unitlocs.csv)|unitlocs.csv||";
constexpr const char* kImportQuestion =
    "This will replace the dir and loc columns of the currently open units.csv file\n"
    "with the ones from the selected unitlocs.csv file.\nContinue?";
constexpr const char* kDroppedFieldsText =
    "%1 fields on %2 lines lie past the last column of the header and were not loaded.\n"
    "Saving the file will remove them.";

QString PathText(const std::string& path) {
    return desktop::PathToQt(path);
}

}  // namespace

// A file that cannot be opened gets the exclamation icon (its text is the path for a load,
// "Could not open file." for a save); a failure after opening gets the error text and the stop
// icon.
void EditorWindow::ReportFileError(const Status& status) {
    const Platform::Icon icon =
        status.kind == Status::CANNOT_OPEN ? Platform::Icon::EXCLAMATION : Platform::Icon::STOP;
    Message(PathText(status.message), Platform::Buttons::OK, icon);
}

void EditorWindow::LoadTable(const std::string& path) {
    // Beside the settings file: the program's folder, or the user's own folder for an installed
    // program, whose folder the user may not write.
    const std::string settingsFolder =
        setup.iniPath.substr(0, setup.iniPath.find_last_of("/\\") + 1);
    BackupTable(path, settingsFolder + "tavrel.bak");
    HideEditor();
    edit.editRow = edit.editColumn = -1;

    LoadedTable loaded;
    const Status status = LoadCsv(path, measure, loaded);
    if (!status.ok()) {  // the table, the title and the settings stay as they were
        ReportFileError(status);
        return;
    }
    TableState& state = document.state;
    state.modified = false;
    setWindowTitle("Tavrel - " + PathText(path));
    state.filePath = path;
    platform.WriteProfileString(setup.iniPath, "Options", "lastopen", path);
    document.Reset([&loaded](GridTable& t) { t = std::move(loaded.table); });
    state.columnCount = loaded.columnCount;
    state.loadedRowCount = loaded.loadedRowCount;
    grid->scrollToTop();  // a new table starts at its top left
    grid->ScrollHorizontally(-grid->horizontalScrollBar()->value());
    if (loaded.droppedFields > 0) ReportDroppedFields(loaded.droppedFields, loaded.droppedLines);
}

// Fields past the header's columns have no cell to go to; the user hears of them once, before a
// save can remove them.
void EditorWindow::ReportDroppedFields(std::uint64_t fields, std::uint64_t lines) {
    Message(QString::fromStdString(
        base::Format(kDroppedFieldsText, std::to_string(fields), std::to_string(lines))));
}

void EditorWindow::ImportUnitLocations() {
    CommitEdit();
    if (Message(kImportQuestion, Platform::Buttons::YES_NO) != Platform::Answer::YES) return;
    const std::optional<std::string> path =
        platform.AskOpenFile(this, {kUnitLocFilter, "csv", setup.programFolder + "unitlocs.csv"});
    if (!path) return;
    const Status status = tavrel::ImportUnitLocations(document, *path);
    if (!status.ok()) ReportFileError(status);
}

// The old file is replaced only once the new one is complete, so a failed save leaves both the
// file and the table's changed state as they were.
bool EditorWindow::SaveTable() {
    CommitEdit();
    TableState& state = document.state;
    const Status status = SaveCsv(document.Table(), state.filePath);
    if (!status.ok()) {
        ReportFileError(status);
        return false;
    }
    platform.WriteProfileString(setup.iniPath, "Options", "lastopen", state.filePath);
    state.modified = false;
    Message("Saved");
    return true;
}

bool EditorWindow::SaveChangesFirst() {
    if (!document.state.modified) return true;
    switch (Message(kSaveQuestion, Platform::Buttons::YES_NO_CANCEL)) {
        case Platform::Answer::CANCEL:
            return false;
        case Platform::Answer::YES:
            return SaveTable();  // a failed save keeps the changes open
        default:
            return true;
    }
}

void EditorWindow::OpenFile() {
    CommitEdit();
    if (!SaveChangesFirst()) return;
    const std::optional<std::string> path =
        platform.AskOpenFile(this, {kCsvFilter, "csv", setup.programFolder + "*.csv"});
    if (path) LoadTable(*path);
}

// Later saves go to the new file; the title keeps the file that was loaded.
void EditorWindow::SaveFileAs() {
    const std::optional<std::string> path =
        platform.AskSaveFile(this, {kCsvFilter, "csv", document.state.filePath});
    if (!path) return;
    document.state.filePath = *path;
    SaveTable();
}

}  // namespace tavrel
