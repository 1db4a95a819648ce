// Brisko, the game's pack creator.
#include <QApplication>
#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "PackerApp.h"
#include "Platform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    desktop::QtPlatform platform;
    const std::string programFile =
        QFile::encodeName(QApplication::applicationFilePath()).toStdString();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const char* root = std::getenv("BRISKO_ROOT");
    brisko::PackerApp app(platform, programFile, arguments, root ? root : "");
    std::string error;
    if (!app.Valid(error)) {
        std::fprintf(stderr, "Brisko: %s\n", error.c_str());
        return 2;
    }
    return app.Run();
}
