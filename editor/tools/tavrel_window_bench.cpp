// tavrel-window-bench: drives the editor's window offscreen over a big table and times what a
// user waits for: opening the table until the first page is painted, Page Down, End, a click on
// a cell and typing into it, the row commands at the top of the table, and a Find Again that
// finds nothing.
//   tavrel-window-bench TABLE [--open-only] [--shot PNG]
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QComboBox>
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
#include "FindDialog.h"
#include "Platform.h"

namespace {

constexpr const char* kMissing = "no such text in the table";

// Every question answered without a person: the bench never changes a file. The Find dialog is
// answered with a text the table does not hold.
class QuietPlatform : public desktop::QtPlatform {
public:
    Answer ShowMessage(QWidget*, const QString&, const QString& text, Buttons, Icon) override {
        lastMessage = text;
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
    int RunDialog(QDialog& dialog) override {
        auto* find = dynamic_cast<tavrel::FindDialog*>(&dialog);
        if (!find) return QDialog::Rejected;
        find->Combo().setEditText(kMissing);
        find->Confirm();
        return find->result();
    }
    void SetClipboardText(const QString& text) override { clipboard = text; }
    QString ClipboardText() override { return clipboard; }

    QString lastMessage;
    QString clipboard;
};

// Runs the action and paints what it changed; returns milliseconds. `alone`, when given, gets the
// time of the action itself, up to the table, the model and the view holding the change.
double Time(tavrel::EditorWindow& window, const std::function<void()>& action,
            std::vector<double>* alone = nullptr) {
    QElapsedTimer timer;
    timer.start();
    action();
    if (alone) alone->push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    QCoreApplication::processEvents();
    window.Grid().viewport()->repaint();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-22s median %7.2f ms   worst %7.2f ms   (%zu runs)\n", what,
                times[times.size() / 2], times.back(), times.size());
}

// Processor time of this process, which a busy machine does not inflate as it does the clock.
double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Navigation(tavrel::EditorWindow& window) {
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
    QTest::keyClick(&window.Editor(), Qt::Key_Escape);
    Report("Page Down", pageDown);
    Report("End", end);
    Report("Home", home);
    Report("click on a cell", click);
    Report("typing a character", typing);
}

// Each command at row 0 with the view attached, the way the menu runs it: the command alone,
// and with the repaint that follows it.
void RowCommands(tavrel::EditorWindow& window) {
    struct Command {
        const char* name;
        int id;
        std::vector<double> alone, painted;
    };
    Command commands[] = {{"Delete Row at row 0", tavrel::ID_DELETE_ROW, {}, {}},
                          {"Undo Delete Row", tavrel::ID_UNDO_DELETE_ROW, {}, {}},
                          {"Insert Blank Row", tavrel::ID_INSERT_ROW, {}, {}},
                          {"Paste Row at row 0", tavrel::ID_PASTE_ROW, {}, {}}};
    const auto run = [&](Command& command) {
        command.painted.push_back(Time(
            window, [&] { window.OnCommand(command.id); }, &command.alone));
    };
    const auto atTop = [&] {
        window.SetRowSelected(-1, false);
        window.SetRowSelected(0, true);
    };
    for (int i = 0; i < 10; ++i) {
        atTop();
        run(commands[0]);
        run(commands[1]);
        atTop();
        run(commands[2]);
        window.OnCommand(tavrel::ID_DELETE_ROW);
        atTop();
        window.OnCommand(tavrel::ID_COPY_ROW);
        run(commands[3]);
        window.OnCommand(tavrel::ID_DELETE_ROW);
    }
    for (Command& command : commands) {
        Report(command.name, command.alone);
        Report("  and its repaint", command.painted);
    }
}

void FindNothing(tavrel::EditorWindow& window, QuietPlatform& platform) {
    window.OnCommand(tavrel::ID_FIND);  // sets the search text; finds nothing
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        window.SetRowSelected(-1, false);
        Time(
            window, [&] { QTest::keyClick(&window.Grid(), Qt::Key_F3); }, &times);
    }
    Report("Find Again, no match", times);
    std::printf("  (it said \"%s\")\n", qPrintable(platform.lastMessage));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrel-window-bench TABLE [--open-only] [--shot PNG]\n");
        return 2;
    }
    const std::string table = argv[1];
    bool openOnly = false;
    QString shot;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--open-only") openOnly = true;
        if (arg == "--shot" && i + 1 < argc) shot = argv[++i];
    }
    QuietPlatform platform;
    const std::string folder = QFile::encodeName(QDir::tempPath()).toStdString() + "/";
    const double baseMegabytes = PeakMegabytes();

    QElapsedTimer open;
    open.start();
    const double cpuBefore = CpuMilliseconds();
    tavrel::EditorWindow window(platform, {folder, folder + "bench.ini", table, "Tavrel"});
    window.Start();
    window.resize(1000, 700);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    window.Grid().viewport()->repaint();
    const double openMs = static_cast<double>(open.nsecsElapsed()) / 1e6;
    const double openCpuMs = CpuMilliseconds() - cpuBefore;
    std::printf("%s: %d rows, %d columns\n", table.c_str(), window.Table().RowCount(),
                window.Table().ColumnCount());
    std::printf(
        "%-22s %7.1f ms (%.1f ms of processor time)   peak memory %.1f MB (program "
        "base %.1f MB)\n",
        "open to first page", openMs, openCpuMs, PeakMegabytes(), baseMegabytes);
    if (!platform.lastMessage.isEmpty()) {
        std::printf("  (it said \"%s\")\n", qPrintable(platform.lastMessage));
    }
    if (!openOnly) {
        Navigation(window);
        RowCommands(window);
        FindNothing(window, platform);
    }
    if (!shot.isEmpty()) window.grab().save(shot);
    return 0;
}
