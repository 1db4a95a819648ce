#include "PackerApp.h"

#include <QApplication>
#include <QFileInfo>

#include "HostPath.h"
#include "HostPaths.h"
#include "PackerWindow.h"

namespace brisko {

PackerApp::PackerApp(desktop::Platform& platformServices, const std::string& programFile,
                     const std::vector<std::string>& arguments, const std::string& rootVariable)
    : platform(platformServices) {
    // The data tree is the program's folder, unless the user names another root (an installed
    // program does not sit in the data tree): --root DIR first, then BRISKO_ROOT.
    std::string root = rootVariable;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--root" && i + 1 < arguments.size()) {
            root = arguments[++i];
        } else if (argument.rfind("--root=", 0) == 0) {
            root = argument.substr(7);
        } else {
            error = "unknown argument: " + argument + "\nusage: Brisko [--root DATA_FOLDER]";
            break;
        }
    }
    setup.programFolder = root.empty() ? ProgramFolder(programFile) : AsFolder(root);
    setup.scenariosFolder = setup.programFolder + "Scenarios" + kHostSeparator;
    setup.caption = QFileInfo(desktop::PathToQt(programFile)).completeBaseName();
}

bool PackerApp::Valid(std::string& message) const {
    message = error;
    return error.empty();
}

std::string PackerApp::ProgramFolder(const std::string& programFile) {
    const std::size_t slash = programFile.find_last_of(kHostSeparator);
    return slash == std::string::npos ? std::string() : programFile.substr(0, slash + 1);
}

int PackerApp::Run() {
    PackerWindow window(platform, setup);
    window.show();
    window.exec();
    return 0;
}

}  // namespace brisko
