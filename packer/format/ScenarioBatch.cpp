// BuildAllPacks: the scenarios one after another, each in its steps (copy the common tables in,
// list and clean the folder, pack it, remove the copies, read the new pack's checksum back), and
// the catalog at the end. Member streams are shared through one cache for the whole batch and
// made ahead on all cores (BatchPrefetch); the steps on disk stay strictly in table order.
#include "ScenarioBatch.h"

#include <cerrno>
#include <memory>
#include <thread>

#include "BatchPrefetch.h"
#include "Checksum.h"
#include "FolderOps.h"
#include "HostPath.h"
#include "PackFile.h"
#include "PackWriter.h"
#include "StreamCache.h"

namespace brisko {
namespace {

// What the batch keeps in a scenario's pack: files whose relative path holds one of these, in
// this letter case; every other file of the scenario folder is deleted.
bool KeptByTheBatch(std::string_view member) {
    for (const char* mark : {".csv", ".ini", ".txt"}) {
        if (member.find(mark) != std::string_view::npos) return true;
    }
    return false;
}

// The writer's outcomes after which the batch goes on (the scenario shows as "Error"); every
// other failure is a file error that ends the batch.
bool GaveUpWithoutFileError(Status::Kind kind) {
    return kind == Status::NOTHING_TO_PACK || kind == Status::BAD_NAME ||
           kind == Status::TOO_LARGE || kind == Status::NO_MEMORY;
}

std::string CommonMember(std::string_view name) {
    return "Data Files\\" + std::string(name);
}

class Batch {
public:
    explicit Batch(const BatchOptions& options);
    BatchResult Run();

private:
    std::string ScenarioFolder(int index) const;
    std::vector<PlannedFile> Plan(int index) const;
    void Report(BatchProgress::Stage stage, int index, const ScenarioOutcome* outcome = nullptr,
                std::size_t done = 0, std::size_t total = 0) const;
    ScenarioOutcome Build(int index);
    Status CopyCommonTables(const std::string& folder, std::vector<std::string>& copies) const;
    void Remove(const std::vector<std::string>& copies) const;
    Status ListAndClean(const std::string& folder, NameList& names) const;

    const BatchOptions& options_;
    FileLayer& files_;
    StreamCache cache_;
    Status ended_;  // the file error that ended the batch
};

Batch::Batch(const BatchOptions& options)
    : options_(options), files_(options.files ? *options.files : FileLayer::System()) {}

std::string Batch::ScenarioFolder(int index) const {
    return HostJoin(options_.root, "Scenarios\\" + std::string(ScenarioFolderName(index)));
}

void Batch::Report(BatchProgress::Stage stage, int index, const ScenarioOutcome* outcome,
                   std::size_t done, std::size_t total) const {
    if (!options_.progress) return;
    BatchProgress progress;
    progress.stage = stage;
    progress.index = index;
    progress.packName = ScenarioPackNames[static_cast<std::size_t>(index)];
    progress.membersDone = done;
    progress.membersTotal = total;
    progress.outcome = outcome;
    options_.progress(progress);
}

// What the scenario's pack will most likely hold, for the threads that compress ahead: its kept
// files, its own copies of common tables left out, the common tables put in.
std::vector<PlannedFile> Batch::Plan(int index) const {
    const std::string folder = ScenarioFolder(index);
    FileLayer& system = FileLayer::System();
    NameList names;
    ListFolderFiles(folder, folder, names, system);
    std::vector<PlannedFile> planned;
    for (const std::string& name : names) {
        bool common = false;
        for (std::string_view table : CommonDataFiles)
            common = common || FoldCase(name) == FoldCase(CommonMember(table));
        if (!common && KeptByTheBatch(name)) {
            planned.push_back({SourcePath(folder, name, system), IsTableName(name)});
        }
    }
    if (FolderExists(HostJoin(folder, "Data Files"), system)) {
        for (std::string_view table : CommonDataFiles)
            planned.push_back({HostJoin(options_.root, CommonMember(table)), true});
    }
    return planned;
}

// Copies each common table over the scenario's file of that name in any letter case. A missing
// source or a scenario without "Data Files" skips the table; any other failure is a file error.
Status Batch::CopyCommonTables(const std::string& folder, std::vector<std::string>& copies) const {
    const std::string dataFolder = HostJoin(folder, "Data Files");
    if (!FolderExists(dataFolder, files_)) return Status::Ok();
    NameList present;
    ListMatchingFiles(AsFolder(dataFolder) + "*", present, files_);
    for (std::string_view table : CommonDataFiles) {
        const std::string source = HostJoin(options_.root, CommonMember(table));
        FileInfo info;
        if (files_.Stat(source, info) != 0 && errno == ENOENT) continue;
        for (const std::string& name : present) {
            if (FoldCase(name) == FoldCase(table)) files_.Unlink(AsFolder(dataFolder) + name);
        }
        const std::string copy = HostJoin(dataFolder, table);
        Status status = base::CopyFile(files_, source, copy, false);  // removed again soon
        if (!status.ok()) return status;
        copies.push_back(copy);
    }
    return Status::Ok();
}

void Batch::Remove(const std::vector<std::string>& copies) const {
    for (const std::string& copy : copies)
        files_.Unlink(copy);  // a failure here goes unreported
}

// Whether a folder on the way from `folder` to its file `path` is a symbolic link: the listing
// follows linked folders, the deleting never reaches through one.
bool ThroughLink(FileLayer& files, const std::string& folder, const std::string& path) {
    for (std::size_t cut = path.find(kHostSeparator, folder.size() + 1); cut != std::string::npos;
         cut = path.find(kHostSeparator, cut + 1)) {
        FileInfo info;
        if (files.LinkStat(path.substr(0, cut), info) != 0 || !info.IsFolder()) return true;
    }
    return false;
}

// Lists the folder and deletes from the disk (and the list) every file the batch does not keep.
Status Batch::ListAndClean(const std::string& folder, NameList& names) const {
    Status status = ListFolderFiles(folder, folder, names, files_);
    if (!status.ok()) return status;
    NameList kept;
    for (std::string& name : names) {
        if (KeptByTheBatch(name)) {
            kept.push_back(std::move(name));
            continue;
        }
        const std::string path = SourcePath(folder, name, files_);
        if (!ThroughLink(files_, AsFolder(folder), path)) {
            files_.Unlink(path);  // a failure here goes unreported
        }
    }
    names = std::move(kept);
    return Status::Ok();
}

ScenarioOutcome Batch::Build(int index) {
    ScenarioOutcome outcome;
    outcome.index = index;
    outcome.packName = std::string(ScenarioPackNames[static_cast<std::size_t>(index)]);
    const std::string folder = ScenarioFolder(index);
    const std::string packPath = HostJoin(options_.root, "Scenarios\\" + outcome.packName);
    if (!FolderExists(folder, files_)) {
        outcome.reason = Status::Error(Status::NOTHING_TO_PACK,
                                       Format("The scenario folder %1 was not found.", folder));
        return outcome;
    }
    std::vector<std::string> copies;
    Status status = CopyCommonTables(folder, copies);
    NameList names;
    if (status.ok()) status = ListAndClean(folder, names);
    PackWritten written;
    if (status.ok()) {
        PackWriteOptions write;
        write.files = &files_;
        write.zlib = options_.zlib;
        write.cache = &cache_;
        write.cacheUser = index;
        write.threads = 1;  // the batch's other threads compress ahead into the cache
        write.progress = [&](std::size_t done, std::size_t total) {
            Report(BatchProgress::MEMBERS_PACKED, index, nullptr, done, total);
        };
        status = WritePackFile(names, packPath, folder, write, &written);
    }
    Remove(copies);
    outcome.commonTables = static_cast<std::uint32_t>(copies.size());
    if (!status.ok()) {
        if (!GaveUpWithoutFileError(status.kind)) {
            ended_ = status;
            outcome.endedBatch = true;
        }
        outcome.reason = std::move(status);
        return outcome;
    }
    CPackFile pack(files_);
    if (!pack.Open(packPath)) {
        outcome.reason = pack.Error();
        return outcome;
    }
    outcome.built = true;
    outcome.members = pack.GetCount();
    outcome.uncompressedBytes = written.uncompressedBytes;
    outcome.packBytes = pack.FileSize();
    outcome.checksum = CatalogSlot::Of(pack.StoredChecksum());
    return outcome;
}

BatchResult Batch::Run() {
    BatchResult result;
    result.catalogPath = options_.catalogPath.empty() ? HostJoin(options_.root, "catalog.txt")
                                                      : options_.catalogPath;
    const unsigned cores =
        options_.threads ? options_.threads : std::thread::hardware_concurrency();
    std::unique_ptr<BatchPrefetch> ahead;
    if (cores > 1) {
        ahead = std::make_unique<BatchPrefetch>(
            cache_, [this](int index) { return Plan(index); }, SCEN_COUNT, cores, options_.zlib);
    }
    for (int index = 0; index < SCEN_COUNT; ++index) {
        if (options_.cancel && options_.cancel->load()) {
            result.status = Status::Error(
                Status::CANCELLED,
                Format("The build was stopped after %1 of %2 scenarios; no catalog was written.",
                       std::to_string(index), std::to_string(SCEN_COUNT)));
            return result;
        }
        Report(BatchProgress::SCENARIO_STARTED, index);
        result.scenarios.push_back(Build(index));
        const ScenarioOutcome& outcome = result.scenarios.back();
        result.slots[static_cast<std::size_t>(index)] = outcome.checksum;
        cache_.DropUpTo(index - 1);  // the common tables were needed again by this one
        if (ahead) ahead->Reached(index + 1);
        Report(BatchProgress::SCENARIO_FINISHED, index, &outcome);
        if (!ended_.ok()) {
            result.status = ended_;
            return result;
        }
    }
    ahead.reset();
    result.status = WriteCatalog(result.catalogPath, result.slots, files_);
    result.catalogWritten = result.status.ok();
    return result;
}

}  // namespace

int BatchResult::NotBuilt() const {
    int count = 0;
    for (const ScenarioOutcome& outcome : scenarios)
        count += outcome.built ? 0 : 1;
    return count;
}

BatchResult BuildAllPacks(const BatchOptions& options) {
    try {
        Batch batch(options);
        return batch.Run();
    } catch (const std::bad_alloc&) {
        BatchResult result;
        result.status = Status::Error(Status::NO_MEMORY, "Not enough memory to build the packs.");
        return result;
    }
}

}  // namespace brisko
