// The editor program: finds its folder and settings file, takes the table named on the command
// line and runs the window until it closes.
#pragma once

#include <string>

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
    // The path named by the command line: surrounding double quotes removed, spaces kept.
    static std::string CommandLinePath(const std::string& argumentText);
    // The command line's arguments as one text, as the platform hands it to a program.
    static std::string ArgumentText(int argc, char** argv);

private:
    Platform& platform;
    EditorSetup setup;
};

}  // namespace tavrel
