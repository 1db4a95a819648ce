// tavrel-window-bench: drives the editor's window offscreen over a big table and times what a
// user waits for: opening the table until the first page is painted, Page Down, End, a click on
// a cell and typing into it.
//   tavrel-window-bench TABLE [--shot PNG]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "CellEditor.h"
#include "EditorWindow.h"
#include "Platform.h"

namespace {

// Every question answered without a person: the bench never changes a file.
class QuietPlatform : public desktop::QtPlatform {
public:
    Answer ShowMessage(QWidget*, const QString&, const QString& text, Buttons, Icon) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Answer::NO;
    }
    std::string ReadProfileString(const std::string&, std::string_view, std::string_view,
                                  std::string_view fallback, std::size_t) override {
        return std::string(fallback);
    }
    bool WriteProfileString(const std::string&, std::string_view, std::string_view,
                            std::string_view) override {
        return true;
    }
};

// Runs the action and paints what it changed; returns milliseconds.
double Time(tavrel::EditorWindow& window, const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    QCoreApplication::processEvents();
    window.Grid().viewport()->repaint();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-22s median %7.2f ms   worst %7.2f ms   (%zu runs)\n", what,
                times[times.size() / 2], times.back(), times.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrel-window-bench TABLE [--shot PNG]\n");
        return 2;
    }
    const std::string table = argv[1];
    QuietPlatform platform;
    const std::string folder = QFile::encodeName(QDir::tempPath()).toStdString() + "/";

    QElapsedTimer open;
    open.start();
    tavrel::EditorWindow window(platform, {folder, folder + "bench.ini", table, "Tavrel"});
    window.Start();
    window.resize(1000, 700);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    window.Grid().viewport()->repaint();
    const double openMs = static_cast<double>(open.nsecsElapsed()) / 1e6;
    std::printf("%s: %d rows, %d columns\n", table.c_str(), window.Table().RowCount(),
                window.Table().ColumnCount());
    std::printf("%-22s %7.1f ms\n", "open to first page", openMs);

    tavrel::GridView& grid = window.Grid();
    std::vector<double> pageDown, end, home, click, typing;
    for (int i = 0; i < 20; ++i) {
        pageDown.push_back(Time(window, [&] { QTest::keyClick(&grid, Qt::Key_PageDown); }));
    }
    for (int i = 0; i < 5; ++i) {
        end.push_back(Time(window, [&] { QTest::keyClick(&grid, Qt::Key_End); }));
        home.push_back(Time(window, [&] { QTest::keyClick(&grid, Qt::Key_Home); }));
    }
    QTest::keyClick(&grid, Qt::Key_End);
    for (int i = 0; i < 10; ++i) {
        const QPoint at = grid.CellRect(grid.rowAt(40 + i * 10), 1 + i % 3).center();
        click.push_back(Time(window, [&] {
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        }));
        typing.push_back(Time(window, [&] { QTest::keyClick(&grid, Qt::Key_7); }));
        typing.push_back(Time(window, [&] { QTest::keyClick(&window.Editor(), Qt::Key_8); }));
    }
    Report("Page Down", pageDown);
    Report("End", end);
    Report("Home", home);
    Report("click on a cell", click);
    Report("typing a character", typing);

    if (argc > 3 && std::string(argv[2]) == "--shot") window.grab().save(argv[3]);
    return 0;
}
