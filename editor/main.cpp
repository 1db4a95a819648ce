// Tavrel, the game's table editor.
#include <QApplication>

#include "EditorApp.h"
#include "HostPaths.h"
#include "HostText.h"
#include "Platform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    desktop::QtPlatform platform;
    tavrel::EditorApp app(platform, desktop::ProgramFile(),
                          tavrel::EditorApp::ArgumentText(base::CommandLineArguments(argc, argv)));
    return app.Run();
}
