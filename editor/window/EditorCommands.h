// The editor's commands in one table: the menu is built from it, the grid's keys are looked up
// in it, and the tests walk it.
#pragma once

#include <Qt>
#include <span>

namespace tavrel {

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

// One menu item: a command, or a separator (id 0).
struct CommandItem {
    const char* menu;  // the menu it is in, "&File" or "&Edit"
    int id;
    const char* text;  // as the menu shows it; the shortcut after the tab is shown only
    int key;           // the key on the grid that runs it, 0 for none
    bool ctrl;         // the key counts only with Ctrl held; other modifiers are not examined
};

std::span<const CommandItem> CommandTable();

// The command a key pressed on the grid runs, 0 for none. Delete is one of them; the grid takes
// it for itself while a cell is being edited.
int CommandForKey(int key, Qt::KeyboardModifiers modifiers);

}  // namespace tavrel
