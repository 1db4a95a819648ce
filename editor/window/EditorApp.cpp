#include "EditorApp.h"

#include <QApplication>
#include <QFileInfo>

namespace tavrel {

EditorApp::EditorApp(Platform& platformServices, const std::string& programFile,
                     const std::string& argumentText)
    : platform(platformServices) {
    setup.programFolder = ProgramFolder(programFile);
    setup.iniPath = setup.programFolder + "Tavrel.ini";
    setup.filePath = CommandLinePath(argumentText);
    setup.caption = QFileInfo(QString::fromLocal8Bit(programFile)).completeBaseName();
}

std::string EditorApp::ProgramFolder(const std::string& programFile) {
    const std::size_t slash = programFile.find_last_of('/');
    return slash == std::string::npos ? std::string() : programFile.substr(0, slash + 1);
}

std::string EditorApp::CommandLinePath(const std::string& argumentText) {
    if (!argumentText.empty() && argumentText.front() == '"') {
        // The first and the last character go, whatever the last one is.
        return argumentText.size() >= 2 ? argumentText.substr(1, argumentText.size() - 2) : "";
    }
    return argumentText;
}

std::string EditorApp::ArgumentText(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
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
