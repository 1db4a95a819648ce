// The editor program: finds its folder and settings file, takes the table named on the command
// line and runs the window until it closes.
#pragma once

#include <string>
#include <vector>

#include "EditorWindow.h"

namespace tavrel {

class EditorApp {
public:
    // programFile: the running program's full path; argumentText: the command line after the
    // program's name.
    EditorApp(Platform& platform, const std::string& programFile, const std::string& argumentText);

    // Shows the window and returns when it has closed.
    int Run();

    const EditorSetup& Setup() const { return setup; }

    // The folder of a program file, with its trailing separator.
    static std::string ProgramFolder(const std::string& programFile);
    // Where "Tavrel.ini" lives: beside the program, as a copy of the program that sits in the
    // game's folder expects; when the user may write neither that folder nor a settings file there
    // (an installed program), in the user's own settings folder (userFolder, ending in a separator;
    // empty when the host names none).
    static std::string SettingsPath(const std::string& programFolder, bool programFolderWritable,
                                    const std::string& userFolder);
    // The path named by the command line: surrounding double quotes removed, spaces kept.
    static std::string CommandLinePath(const std::string& argumentText);
    // The command line's arguments as one text, as the platform hands it to a program.
    static std::string ArgumentText(const std::vector<std::string>& arguments);

private:
    Platform& platform;
    EditorSetup setup;
};

}  // namespace tavrel
