#include "EditorCommands.h"

namespace tavrel {
namespace {

constexpr const char* kFile = "&File";
constexpr const char* kEdit = "&Edit";

constexpr CommandItem kCommands[] = {
    {kFile, ID_FILE_OPEN, "&Open...", 0, false},
    {kFile, ID_FILE_SAVE, "&Save", 0, false},
    {kFile, ID_FILE_SAVE_AS, "Save &As...", 0, false},
    {kFile, 0, "", 0, false},
    {kFile, ID_APP_EXIT, "&Exit", 0, false},
    {kFile, 0, "", 0, false},
    {kFile, ID_APP_ABOUT, "A&bout...", 0, false},
    {kEdit, ID_INSERT_ROW, "&Insert Blank Row\tInsert", Qt::Key_Insert, false},
    {kEdit, ID_DELETE_ROW, "&Delete Row\tDelete", Qt::Key_Delete, false},
    {kEdit, ID_UNDO_DELETE_ROW, "&Undo Delete Row\tCtrl+Z", Qt::Key_Z, true},
    {kEdit, 0, "", 0, false},
    {kEdit, ID_COPY_ROW, "&Copy Row\tCtrl+C", Qt::Key_C, true},
    {kEdit, ID_PASTE_ROW, "&Paste Row\tCtrl+V", Qt::Key_V, true},
    {kEdit, ID_CUT_ROW, "C&ut Row\tCtrl+X", Qt::Key_X, true},
    {kEdit, 0, "", 0, false},
    {kEdit, ID_IMPORT_UNITLOCS, "&Import Unitlocs.csv", 0, false},
    {kEdit, 0, "", 0, false},
    {kEdit, ID_FIND, "&Find\tCtrl+F", Qt::Key_F, true},
    {kEdit, ID_FIND_AGAIN, "Find A&gain\tF3", Qt::Key_F3, false},
};

}  // namespace

std::span<const CommandItem> CommandTable() {
    return kCommands;
}

int CommandForKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers & Qt::ControlModifier;
    for (const CommandItem& item : kCommands) {
        if (item.id != 0 && item.key == key && (!item.ctrl || ctrl)) return item.id;
    }
    return 0;
}

}  // namespace tavrel
