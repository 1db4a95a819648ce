// The pack creator program: works out the data tree's folders from where the program file lies
// (or from a data root the user names) and runs the window until it closes.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "Platform.h"

namespace brisko {

// What the window takes from the program's start.
struct PackerSetup {
    std::string programFolder;    // the data root: "Scenarios/" and "Data Files/" below it
    std::string scenariosFolder;  // programFolder + "Scenarios/"
    QString caption;              // the program file's name without its extension
};

class PackerApp {
public:
    // programFile: the running program's full path; arguments: the command line after the
    // program's name; rootVariable: the value of BRISKO_ROOT (empty when unset).
    PackerApp(desktop::Platform& platform, const std::string& programFile,
              const std::vector<std::string>& arguments, const std::string& rootVariable);

    // False with `error` set when the command line makes no sense.
    bool Valid(std::string& error) const;
    // Shows the window and returns when it has closed.
    int Run();

    const PackerSetup& Setup() const { return setup; }

    // The folder of a program file, with its trailing separator.
    static std::string ProgramFolder(const std::string& programFile);

private:
    desktop::Platform& platform;
    PackerSetup setup;
    std::string error;
};

}  // namespace brisko
