// tavrel-table: loads a game table with the editor's own loading code, optionally saves it
// unchanged with the editor's saving code, and prints its size, the times taken and the peak
// memory. Lets a user normalise a table from a script, and measures the table code.
#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
// after windows.h
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CsvFile.h"
#include "HostText.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string file;
    std::string saveTo;
    int repeat = 1;
    bool sync = true;  // save durably: sync the file and its folder
};

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

#ifdef _WIN32
double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}
#else
double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}
#endif

int Usage() {
    std::fprintf(stderr, "usage: tavrel-table FILE [--save OUT] [--repeat N] [--no-sync]\n");
    return 2;
}

bool ParseArgs(const std::vector<std::string>& words, Options& options) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& arg = words[i];
        const bool hasValue = i + 1 < words.size();
        if (arg == "--save" && hasValue) {
            options.saveTo = words[++i];
        } else if (arg == "--repeat" && hasValue) {
            options.repeat = std::atoi(words[++i].c_str());
            if (options.repeat < 1) return false;
        } else if (arg == "--no-sync") {
            options.sync = false;
        } else if (!arg.empty() && arg[0] != '-' && options.file.empty()) {
            options.file = arg;
        } else {
            return false;
        }
    }
    return !options.file.empty();
}

double Best(const std::vector<double>& times) {
    return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

// Inserting and removing a row at the top moves every row below: time both on the loaded table
// (the table is the same afterwards).
void TimeTopRowEdits(tavrel::GridTable& table) {
    Clock::time_point start = Clock::now();
    table.InsertRow(0);
    const double insert = Seconds(start);
    start = Clock::now();
    table.DeleteRow(0);
    const double remove = Seconds(start);
    std::printf("insert row 0: %.3f ms  delete row 0: %.3f ms\n", insert * 1e3, remove * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    // Paths as UTF-8 on every host, in what it prints too.
    base::WriteUtf8Output();
    Options options;
    if (!ParseArgs(base::CommandLineArguments(argc, argv), options)) {
        return Usage();
    }
    const double baseMegabytes = PeakMegabytes();
    const tavrel::TextMeasure measure = tavrel::TextMeasure::Uniform(7);

    std::vector<double> loads;
    std::vector<double> saves;
    tavrel::LoadedTable loaded;
    for (int run = 0; run < options.repeat; ++run) {
        loaded = tavrel::LoadedTable();  // each run loads into an empty table, as the editor does
        Clock::time_point start = Clock::now();
        const base::Status status = tavrel::LoadCsv(options.file, measure, loaded);
        loads.push_back(Seconds(start));
        if (!status.ok()) {
            std::fprintf(stderr, "tavrel-table: cannot read %s: %s\n", options.file.c_str(),
                         status.message.c_str());
            return 1;
        }
        if (options.saveTo.empty()) continue;
        start = Clock::now();
        const base::Status saved =
            tavrel::SaveCsv(loaded.table, options.saveTo, base::FileLayer::System(), options.sync);
        saves.push_back(Seconds(start));
        if (!saved.ok()) {
            std::fprintf(stderr, "tavrel-table: cannot write %s: %s\n", options.saveTo.c_str(),
                         saved.message.c_str());
            return 1;
        }
    }

    const tavrel::GridTable& table = loaded.table;
    std::printf("%s: %d rows, %d columns (with %d blank rows and columns), %d saved columns\n",
                options.file.c_str(), loaded.loadedRowCount, loaded.columnCount,
                tavrel::kMarginRows, table.SavedColumnCount());
    std::printf("load: %.3f s", Best(loads));
    if (!saves.empty()) std::printf("  save: %.3f s", Best(saves));
    std::printf("  (best of %d)\n", options.repeat);
    TimeTopRowEdits(loaded.table);
    std::printf("peak memory: %.1f MB (program base %.1f MB)\n", PeakMegabytes(), baseMegabytes);
    return 0;
}
