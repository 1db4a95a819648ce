#include "EditorApp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "HostPaths.h"

namespace tavrel {

EditorApp::EditorApp(Platform& platformServices, const std::string& programFile,
                     const std::string& argumentText)
    : platform(platformServices) {
    setup.programFolder = ProgramFolder(programFile);
    const std::string besideProgram = setup.programFolder + "Tavrel.ini";
    const QFileInfo folder(
        desktop::PathToQt(setup.programFolder.empty() ? "." : setup.programFolder));
    const QFileInfo file(desktop::PathToQt(besideProgram));
    const bool writable =
        (folder.isDir() && folder.isWritable()) || (file.isFile() && file.isWritable());
    std::string userFolder;
    if (!writable) {
        const QString config =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        if (!config.isEmpty()) {
            QDir().mkpath(config + "/Tavrel");
            userFolder = desktop::PathFromQt(QDir(config + "/Tavrel").absolutePath()) + "/";
        }
    }
    setup.iniPath = SettingsPath(setup.programFolder, writable, userFolder);
    setup.filePath = CommandLinePath(argumentText);
    setup.caption = QFileInfo(desktop::PathToQt(programFile)).completeBaseName();
}

std::string EditorApp::ProgramFolder(const std::string& programFile) {
    const std::size_t slash = programFile.find_last_of('/');
    return slash == std::string::npos ? std::string() : programFile.substr(0, slash + 1);
}

std::string EditorApp::SettingsPath(const std::string& programFolder, bool programFolderWritable,
                                    const std::string& userFolder) {
    if (programFolderWritable || userFolder.empty()) return programFolder + "Tavrel.ini";
    return userFolder + "Tavrel.ini";
}

std::string EditorApp::CommandLinePath(const std::string& argumentText) {
    if (!argumentText.empty() && argumentText.front() == '"') {
        // The first and the last character go, whatever the last one is.
        return argumentText.size() >= 2 ? argumentText.substr(1, argumentText.size() - 2) : "";
    }
    return argumentText;
}

std::string EditorApp::ArgumentText(const std::vector<std::string>& arguments) {
    std::string text;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) text += ' ';
        text += arguments[i];
    }
    return text;
}

int EditorApp::Run() {
    EditorWindow window(platform, setup);
    window.Start();
    window.show();
    QApplication::exec();
    return 0;
}

}  // namespace tavrel
