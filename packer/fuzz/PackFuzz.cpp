// Fuzz target of the pack reader: opens the bytes as a pack and does what the commands do with
// it (directory, members, checksum verification, extraction into a scratch folder), checking on
// the way what must hold for any input:
//   - an opened pack's records all have names that end inside their field;
//   - a member that reads has exactly its recorded size;
//   - a pack the strict check finds sound reads every member;
//   - a pack with unsafe or clashing names is refused before the target is touched, and so is a
//     target that holds something when it must be empty;
//   - a complete extraction writes only below the target and agrees with the verification;
//   - the bytes read as a table give the same checksum by both ways of summing it.
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "FolderOps.h"
#include "PackFile.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "pack fuzz: %s\n", what);
        std::abort();
    }
}

// A scratch folder for the whole run: the pack file and the extraction target.
const std::string& Scratch() {
    static const std::string folder = [] {
        std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                              std::string("/packfuzz-XXXXXX");
        Require(::mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
        return pattern;
    }();
    return folder;
}

int CountFiles(const std::string& folder) {
    int count = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        const std::string path = folder + "/" + name;
        if (::lstat(path.c_str(), &st) != 0) continue;
        count += S_ISDIR(st.st_mode) ? CountFiles(path) : 1;
    }
    ::closedir(dir);
    return count;
}

bool WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

void Exercise(const std::string& packPath, const std::string& target) {
    brisko::CPackFile pack;
    pack.SetThreads(2);
    if (!pack.Open(packPath)) {
        Require(!pack.Error().ok() && pack.GetCount() == 0, "a failed open left a directory");
        return;
    }
    const std::uint32_t count = pack.GetCount();
    Require(pack.GetEntry(count) == nullptr && pack.GetEntry(-1) == nullptr,
            "an entry out of range");
    brisko::Buffer data;
    const bool sound = pack.VerifyMembers().empty();
    for (std::uint32_t i = 0; i < count; ++i) {
        const brisko::PackEntry* entry = pack.GetEntry(i);
        Require(entry && entry->Name().size() < brisko::kNameFieldSize, "a name without its end");
        const bool read = pack.ReadMember(*entry, data).ok();
        if (read) Require(data.size() == entry->uncompressedSize, "a member of another size");
        Require(read || !sound, "a member of a sound pack does not read");
    }
    const brisko::ChecksumResult verified = pack.VerifyChecksum(pack.StoredChecksum());
    Require(verified == brisko::CHECK_MATCHED_BOTH || verified == brisko::CHECK_FAILED_ALL,
            "a verification against the stored value gave a one-sided result");
    const bool tablesRead = pack.Error().ok();

    // A file the extraction must either leave alone (refused pack) or remove (emptied target).
    ::mkdir(target.c_str(), 0777);
    const std::string sentinel = target + "/sentinel";
    Require(WriteBytes(sentinel, reinterpret_cast<const std::uint8_t*>("x"), 1), "no sentinel");
    const bool namesSafe = pack.CheckMemberNames().ok();
    brisko::ExtractOptions mustBeEmpty;
    mustBeEmpty.existing = brisko::ExistingFolder::REFUSE;
    Require(!pack.ExtractAll(target, mustBeEmpty) && ::access(sentinel.c_str(), F_OK) == 0,
            "a folder that holds something was written into");
    const bool matched = pack.ExtractAll(target);
    const bool sentinelLeft = ::access(sentinel.c_str(), F_OK) == 0;
    if (!namesSafe) {
        Require(!matched && sentinelLeft, "a pack with unsafe names touched the target");
    } else if (pack.Error().ok()) {
        Require(!sentinelLeft, "the target was not emptied");
        Require(CountFiles(target) == static_cast<int>(count), "extraction wrote another count");
        if (tablesRead) {
            Require(matched == (verified == brisko::CHECK_MATCHED_BOTH),
                    "extraction and verification disagree");
        }
    }
    // Nothing but the pack and the target in the scratch folder.
    Require(CountFiles(Scratch()) == 1 + CountFiles(target), "a file outside the target");
    brisko::DeleteFolderContents(target);
}

// The input as the text of a table: the per-member sum, fed in two pieces cut at a line end,
// applied from a start taken from the input, gives what the plain field-by-field sum gives.
void CheckTableSums(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int start = size ? data[0] % brisko::kWeightCount : 0;
    brisko::ChecksumState plain{size, start};
    brisko::ChecksumState parts = plain;
    brisko::TableSum(text, plain);
    brisko::TableContribution sum;
    const std::size_t cut = text.find('\n', text.size() / 2);
    sum.Add(text.substr(0, cut == std::string_view::npos ? text.size() : cut + 1));
    if (cut != std::string_view::npos) sum.Add(text.substr(cut + 1));
    sum.ApplyTo(parts);
    Require(parts.accumulator == plain.accumulator && parts.weightIndex == plain.weightIndex,
            "the two ways of summing a table disagree");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string packPath = Scratch() + "/in.zpk";
    const std::string target = Scratch() + "/out";
    Require(WriteBytes(packPath, data, size), "cannot write the input");
    Exercise(packPath, target);
    ::unlink(packPath.c_str());
    CheckTableSums(data, size);
    return 0;
}
