#include "ZpkCommands.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "Checksum.h"
#include "FolderOps.h"
#include "HostPath.h"
#include "PackFile.h"
#include "PackFormat.h"
#include "PackStamp.h"
#include "PackWriter.h"
#include "ZpkOptions.h"

namespace zpk {
namespace {

using brisko::CPackFile;
using brisko::FileInfo;
using brisko::FileLayer;
using brisko::Status;

int Error(const std::string& message) {
    std::fprintf(stderr, "zpk: %s\n", message.c_str());
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
    for (std::uint32_t i = 0; i < pack.GetCount(); ++i) {
        const brisko::PackEntry* entry = pack.GetEntry(i);
        std::printf("%.*s\t%u\t%u\n", static_cast<int>(entry->Name().size()), entry->Name().data(),
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
    status = brisko::WritePackFile(names, packPath, folder, write);
    if (status.kind == Status::NOTHING_TO_PACK) {
        return Error(folder + " holds no files to pack; no pack was written.");
    }
    if (!status.ok()) return Error(status);
    if (options.timings) PrintTimings(timings, listing, names.size());
    return kExitOk;
}

std::string RealPath(const std::string& path) {
    return FileLayer::System().ResolvePath(path);
}

// Whether the folder holds nothing at all, hidden entries included.
bool IsEmptyFolder(const std::string& folder) {
    FileLayer& files = FileLayer::System();
    int fd = files.Open(folder, base::kRead | base::kFolder);
    if (fd < 0) return false;
    std::vector<std::string> names;
    const bool listed = files.ListFolder(fd, names) == 0;
    base::CloseQuietly(files, fd);
    return listed && names.empty();
}

// Removes the empty folder that the extraction created.
void RemoveCreatedFolder(std::string folder) {
    while (folder.size() > 1 && folder.back() == brisko::kHostSeparator)
        folder.pop_back();
    const std::size_t cut = folder.rfind(brisko::kHostSeparator);
    const std::string parent = cut == std::string::npos ? "." : folder.substr(0, cut + 1);
    FileLayer& files = FileLayer::System();
    int fd = files.Open(parent, base::kRead | base::kFolder);
    if (fd < 0) return;
    files.UnlinkAt(fd, folder.substr(cut + 1), true);
    base::CloseQuietly(files, fd);
}

// What the target folder must be before anything is written: missing, or an empty folder, or with
// --replace any folder that is not a link, not the root and does not hold the pack. Empties it
// with --replace. `created` tells whether the extraction will create it; `target` is the path to
// extract into (an existing folder by its full path, so that "." and ".." work too).
int PrepareTarget(const Options& options, bool& created, std::string& target) {
    const std::string& packPath = options.operands[0];
    const std::string& folder = options.operands[1];
    FileInfo info;
    created = FileLayer::System().LinkStat(folder, info) != 0;
    target = folder;
    if (created) return errno == ENOENT ? kExitOk : Error(brisko::FileErrorText(folder, errno));
    if (info.kind == base::FileKind::LINK) {
        return Error(folder + " is a symbolic link; refusing to extract into it.");
    }
    if (!info.IsFolder()) return Error(folder + " is not a folder.");
    target = RealPath(folder);
    if (target.empty()) return Error(brisko::FileErrorText(folder, errno));
    if (!options.replace) {
        if (IsEmptyFolder(target)) return kExitOk;
        return Error(folder + " is not empty; give --replace to empty it first.");
    }
    const std::string realPack = RealPath(packPath);
    if (brisko::IsRootFolder(target)) {
        return Error("refusing to empty the root folder " + folder + ".");
    }
    if (realPack.compare(0, target.size() + 1, target + brisko::kHostSeparator) == 0) {
        return Error(folder + " holds the pack " + packPath + "; refusing to empty it.");
    }
    if (!brisko::DeleteFolderContents(target)) {
        return Error(folder + " could not be emptied completely; nothing was extracted.");
    }
    return kExitOk;
}

int Extract(const Options& options) {
    CPackFile pack;
    pack.SetThreads(options.threads);
    int exitCode = kExitOk;
    if (!Open(pack, options.operands[0], exitCode)) return exitCode;
    const Status names = pack.CheckMemberNames();
    if (!names.ok()) return Error(names);
    bool created = false;
    std::string target;
    exitCode = PrepareTarget(options, created, target);
    if (exitCode != kExitOk) return exitCode;
    if (pack.ExtractAll(target)) return kExitOk;
    if (pack.Error().ok()) {
        std::fprintf(stderr, "Checksum failed.\n");
        return kExitMismatch;
    }
    // Nothing half-extracted stays: the folder held nothing of the user's by now.
    if (pack.Error().kind != Status::REFUSED) {
        brisko::DeleteFolderContents(target);
        if (created) RemoveCreatedFolder(target);
    }
    return Error(pack.Error());
}

int Verify(const Options& options) {
    CPackFile pack;
    int exitCode = kExitOk;
    if (!Open(pack, options.operands[0], exitCode)) return exitCode;
    const std::uint64_t expected = options.expect
                                       ? brisko::JoinHalves(options.expectLow, options.expectHigh)
                                       : pack.StoredChecksum();
    const brisko::ChecksumResult result = pack.VerifyChecksum(expected);
    const Status& error = pack.Error();
    if (!error.ok() && error.kind != Status::DAMAGED_MEMBER) return Error(error);
    std::printf("%s\n", brisko::ChecksumResultText(result));
    if (!error.ok()) Error(error);
    return result == brisko::CHECK_MATCHED_BOTH ? kExitOk : kExitMismatch;
}

}  // namespace

int Run(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
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
    return Verify(options);
}

}  // namespace zpk
