// Tavrel, the game's table editor.
#include <QApplication>
#include <QFile>

#include "EditorApp.h"
#include "Platform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    desktop::QtPlatform platform;
    const std::string programFile =
        QFile::encodeName(QApplication::applicationFilePath()).toStdString();
    tavrel::EditorApp app(platform, programFile, tavrel::EditorApp::ArgumentText(argc, argv));
    return app.Run();
}
