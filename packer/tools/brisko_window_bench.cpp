// brisko-window-bench: the pack creator's window offscreen over a data tree of 52 scenario
// folders of 200 files and their packs of 200 members, timing what a user waits for: the window
// opening with its lists filled, a folder selected until its files are painted, and a pack
// selected until its members are painted.
//   brisko-window-bench [DATA_ROOT]   (made in a temporary folder when not given)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "FolderOps.h"
#include "PackerWindow.h"
#include "Platform.h"

namespace {

namespace fs = std::filesystem;

constexpr int kScenarios = 52;
constexpr int kMembers = 200;

// 52 folders of 200 small tables and texts in a few sub-folders, and the pack of each.
void MakeTree(const std::string& root) {
    const std::string scenarios = root + "/Scenarios/";
    for (int s = 0; s < kScenarios; ++s) {
        const std::string name = "S" + std::to_string(s) + " - Scenario " + std::to_string(s);
        const std::string folder = scenarios + name + "/";
        for (int m = 0; m < kMembers; ++m) {
            const std::string sub = m % 4 == 0 ? "Data Files/" : m % 4 == 1 ? "maps/" : "";
            fs::create_directories(folder + sub);
            std::ofstream(folder + sub + "table" + std::to_string(m) + ".csv")
                << "id,men,\r\n"
                << m << "," << s << ",\r\n";
        }
        brisko::NameList names;
        brisko::ListFolderFiles(folder, folder, names);
        brisko::WritePackFile(names, scenarios + name + ".zpk", folder);
    }
}

class QuietPlatform : public desktop::QtPlatform {
public:
    Answer ShowMessage(QWidget*, const QString&, const QString& text, Buttons, Icon) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Answer::OK;
    }
};

double Millis(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Selects a list's row and paints the window; returns milliseconds.
double SelectAndPaint(brisko::PackerWindow& window, QListWidget& list, int row) {
    QElapsedTimer timer;
    timer.start();
    list.setCurrentRow(row);
    QCoreApplication::processEvents();
    window.repaint();
    return Millis(timer);
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-26s median %7.2f ms   worst %7.2f ms   (%zu runs)\n", what,
                times[times.size() / 2], times.back(), times.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir scratch;
    std::string root = argc > 1 ? argv[1] : scratch.path().toStdString();
    if (argc < 2) MakeTree(root);
    root += "/";

    QuietPlatform platform;
    QElapsedTimer timer;
    timer.start();
    brisko::PackerWindow window(platform, {root, root + "Scenarios/", "Brisko"});
    window.show();
    QCoreApplication::processEvents();
    window.repaint();
    const double open = Millis(timer);
    std::printf("%d folders, %d packs listed\n", window.folderList->count(),
                window.packList->count());
    std::printf("%-26s %7.2f ms\n", "open with lists filled", open);

    std::vector<double> folders, packs;
    for (int row = 0; row < window.folderList->count(); ++row)
        folders.push_back(SelectAndPaint(window, *window.folderList, row));
    for (int row = 0; row < window.packList->count(); ++row)
        packs.push_back(SelectAndPaint(window, *window.packList, row));
    std::printf("last pack: %d members shown\n", window.contentsList->count());
    Report("select a folder", folders);
    Report("select a pack", packs);
    return 0;
}
