// Brisko, the game's pack creator.
#include <QApplication>
#include <cstdio>

#include "HostPaths.h"
#include "HostText.h"
#include "PackerApp.h"
#include "Platform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    desktop::QtPlatform platform;
    brisko::PackerApp app(platform, desktop::ProgramFile(), base::CommandLineArguments(argc, argv),
                          base::EnvironmentVariable("BRISKO_ROOT"));
    std::string error;
    if (!app.Valid(error)) {
        std::fprintf(stderr, "Brisko: %s\n", error.c_str());
        return 2;
    }
    return app.Run();
}
