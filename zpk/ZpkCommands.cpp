#include "ZpkCommands.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "Catalog.h"
#include "Checksum.h"
#include "FolderOps.h"
#include "HostPath.h"
#include "PackFile.h"
#include "PackFormat.h"
#include "PackStamp.h"
#include "PackWriter.h"
#include "ScenarioBatch.h"
#include "ZpkBuild.h"
#include "ZpkOptions.h"
#include "ZpkText.h"

namespace zpk {
namespace {

using brisko::CPackFile;
using brisko::FileInfo;
using brisko::FileLayer;
using brisko::Status;

int Error(const std::string& message) {
    std::fprintf(stderr, "zpk: %s\n", SafeLine(message).c_str());
    return kExitError;
}

int Error(const Status& status) {
    return Error(status.message);
}

// The creation time as a UTC date and time, when it is one.
std::string CreatedText(std::uint64_t created) {
    const std::uint64_t ms = created / brisko::kCreatedTicksPerMillisecond;
    const std::int64_t epochMs = static_cast<std::int64_t>(ms) -
                                 static_cast<std::int64_t>(brisko::kUnixEpochAsCreated /
                                                           brisko::kCreatedTicksPerMillisecond);
    std::int64_t seconds = epochMs / 1000;
    std::int64_t rest = epochMs % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm tm{};
    char text[64];
#ifdef _WIN32
    const bool converted = ::gmtime_s(&tm, &time) == 0;
#else
    const bool converted = ::gmtime_r(&time, &tm) != nullptr;
#endif
    if (!converted || !std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm)) {
        return "not a date";
    }
    char full[96];
    std::snprintf(full, sizeof full, "%s.%03d UTC", text, static_cast<int>(rest));
    return full;
}

bool Open(CPackFile& pack, const std::string& path, int& exitCode) {
    if (pack.Open(path)) return true;
    exitCode = Error(pack.Error());
    return false;
}

int List(const Options& options) {
    CPackFile pack;
    int exitCode = kExitOk;
    if (!Open(pack, options.operands[0], exitCode)) return exitCode;
    const std::string encoding = TerminalEncoding();
    for (std::uint32_t i = 0; i < pack.GetCount(); ++i) {
        const brisko::PackEntry* entry = pack.GetEntry(i);
        std::printf("%s\t%u\t%u\n", TerminalText(entry->Name(), encoding).c_str(),
                    entry->uncompressedSize, entry->compressedSize);
    }
    return kExitOk;
}

int Info(const Options& options) {
    CPackFile pack;
    int exitCode = kExitOk;
    if (!Open(pack, options.operands[0], exitCode)) return exitCode;
    const std::uint64_t checksum = pack.StoredChecksum();
    std::printf("members: %u\n", pack.GetCount());
    std::printf("created: %llu (%s)\n", static_cast<unsigned long long>(pack.Created()),
                CreatedText(pack.Created()).c_str());
    std::printf("checksum low: %u\n", static_cast<std::uint32_t>(checksum));
    std::printf("checksum high: %d\n",
                static_cast<std::int32_t>(static_cast<std::uint32_t>(checksum >> 32)));
    std::printf("trailer offset: %u\n", pack.TrailerOffset());
    return kExitOk;
}

void PrintTimings(const brisko::PackTimings& t, double listing, std::size_t members) {
    const double cpu = t.reading + t.compressing + t.checksum + t.writing;
    std::printf("members: %zu\n", members);
    std::printf("listing: %.3f s\n", listing);
    std::printf("pack wall time: %.3f s\n", t.total);
    std::printf("CPU time: reading %.3f s, compressing %.3f s, checksum %.3f s, writing %.3f s\n",
                t.reading, t.compressing, t.checksum, t.writing);
    std::printf("checksum share: %.2f%% of the CPU time, %.2f%% of the wall time\n",
                cpu > 0 ? 100 * t.checksum / cpu : 0.0,
                t.total > 0 ? 100 * t.checksum / t.total : 0.0);
}

int Pack(const Options& options) {
    const std::string& folder = options.operands[0];
    const std::string& packPath = options.operands[1];
    FileInfo info;
    if (FileLayer::System().Stat(folder, info) != 0) {
        return Error(brisko::FileErrorText(folder, errno));
    }
    if (!info.IsFolder()) return Error(folder + " is not a folder.");
    const auto start = std::chrono::steady_clock::now();
    brisko::NameList names;
    Status status = brisko::ListFolderFiles(folder, folder, names);
    const double listing =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!status.ok()) return Error(status);
    brisko::PackTimings timings;
    brisko::PackWriteOptions write;
    write.threads = options.threads;
    write.timings = &timings;
    write.zlib = options.zlib;
    status = brisko::WritePackFile(names, packPath, folder, write);
    if (status.kind == Status::NOTHING_TO_PACK) {
        return Error(folder + " holds no files to pack; no pack was written.");
    }
    if (!status.ok()) return Error(status);
    if (options.timings) PrintTimings(timings, listing, names.size());
    return kExitOk;
}

// Prints each line of a message that may name several members.
int ErrorLines(const Status& status) {
    std::size_t start = 0;
    while (start <= status.message.size()) {
        const std::size_t end = status.message.find('\n', start);
        Error(status.message.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return kExitError;
}

int Extract(const Options& options) {
    CPackFile pack;
    pack.SetThreads(options.threads);
    int exitCode = kExitOk;
    if (!Open(pack, options.operands[0], exitCode)) return exitCode;
    brisko::ExtractOptions extract;
    extract.existing =
        options.replace ? brisko::ExistingFolder::EMPTY : brisko::ExistingFolder::REFUSE;
    extract.removeOnFailure = true;  // except for members without data: the others stay
    if (pack.ExtractAll(options.operands[1], extract)) return kExitOk;
    if (pack.Error().ok()) {
        std::fprintf(stderr, "Checksum failed.\n");
        return kExitMismatch;
    }
    return ErrorLines(pack.Error());
}

// The expected value: the stored checksum, the one given, or the pack's slot in a catalog.
bool ExpectedValue(const Options& options, const CPackFile& pack, std::uint64_t& expected) {
    expected = pack.StoredChecksum();
    if (options.expect) expected = brisko::JoinHalves(options.expectLow, options.expectHigh);
    if (options.catalog.empty()) return true;
    const std::string& path = options.operands[0];
    std::size_t start = path.size();  // of the pack's own name
    while (start > 0 && !brisko::IsHostSeparator(path[start - 1]))
        --start;
    const std::string name = path.substr(start);
    const int index = brisko::ScenarioIndex(name);
    if (index < 0) {
        Error(name +
              " is not one of the game's scenario packs, so the catalog holds no value "
              "for it.");
        return false;
    }
    brisko::CatalogSlots slots;
    const Status read = brisko::ReadCatalog(options.catalog, slots);
    if (!read.ok()) {
        Error(read);
        return false;
    }
    expected = slots[static_cast<std::size_t>(index)].Value();
    return true;
}

int Verify(const Options& options) {
    CPackFile pack;
    int exitCode = kExitOk;
    if (!Open(pack, options.operands[0], exitCode)) return exitCode;
    std::uint64_t expected = 0;
    if (!ExpectedValue(options, pack, expected)) return kExitError;
    if (!options.checksumOnly) {
        for (const Status& problem : pack.VerifyMembers()) {
            if (problem.kind != Status::DAMAGED_MEMBER && problem.kind != Status::NOT_A_PACK) {
                return Error(problem);  // a read that failed: a file error, not damage
            }
            std::printf("%s\n", SafeLine(problem.message).c_str());
            exitCode = kExitMismatch;
        }
    }
    const brisko::ChecksumResult result = pack.VerifyChecksum(expected);
    const Status& error = pack.Error();
    if (!error.ok() && error.kind != Status::DAMAGED_MEMBER) return Error(error);
    std::printf("%s\n", brisko::ChecksumResultText(result));
    if (!error.ok() && options.checksumOnly) Error(error);  // named above otherwise
    return result == brisko::CHECK_MATCHED_BOTH ? exitCode : kExitMismatch;
}

}  // namespace

int Run(const std::vector<std::string>& arguments) {
    Options options;
    std::string error;
    if (!ParseOptions(arguments, options, error)) {
        std::fprintf(stderr, "zpk: %s\nTry 'zpk --help'.\n", error.c_str());
        return kExitError;
    }
    if (options.version) {
        std::printf("zpk %s\n", ZPK_VERSION);
        return kExitOk;
    }
    if (options.help || options.command == "help") {
        const std::string topic = options.command == "help"
                                      ? (options.operands.empty() ? "" : options.operands[0])
                                      : options.command;
        std::fputs(HelpText(topic), stdout);
        return kExitOk;
    }
    if (options.command == "list") return List(options);
    if (options.command == "info") return Info(options);
    if (options.command == "pack") return Pack(options);
    if (options.command == "extract") return Extract(options);
    if (options.command == "build") return Build(options);
    return Verify(options);
}

}  // namespace zpk
