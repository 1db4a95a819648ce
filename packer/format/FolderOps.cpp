#include "FolderOps.h"

#include <algorithm>
#include <cerrno>
#include <unordered_map>
#include <utility>
#include <vector>

#include "HostPath.h"

namespace brisko {
namespace {

// Folders nested deeper than this are not emptied (each level holds a descriptor).
constexpr int kMaxDeleteDepth = 256;

using FolderId = std::pair<std::uint64_t, std::uint64_t>;

// The names in an opened folder, without "." and "..", sorted byte-wise.
std::vector<std::string> NamesIn(FileLayer& files, int fd) {
    std::vector<std::string> names;
    if (files.ListFolder(fd, names) != 0) names.clear();
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> NamesIn(FileLayer& files, const std::string& folder) {
    int fd = files.Open(folder, base::kRead | base::kFolder);
    if (fd < 0) return {};
    std::vector<std::string> names = NamesIn(files, fd);
    CloseQuietly(files, fd);
    return names;
}

const char* NameProblemText(HostNameProblem problem) {
    if (problem == HostNameProblem::BACKSLASH) {
        return "%1 cannot be packed under its own name: a file or folder name in it holds \"\\\".";
    }
    return "%1 cannot be packed: its name holds a character that the game's code page "
           "(Windows-1252) cannot hold.";
}

// One listing of a folder tree: where it stands, what it found, and its first problem.
class Listing {
public:
    Listing(FileLayer& files, std::size_t baseLength, NameList& list)
        : files_(files), baseLength_(baseLength), list_(list) {}

    void Folder(const std::string& folder);
    void Enter(const std::string& folder);
    Status Result() { return std::move(first_); }

private:
    void Keep(const char* pattern, const std::string& a, const std::string& b = "") {
        if (first_.ok()) first_ = Status::Error(Status::BAD_NAME, Format(pattern, a, b));
    }
    void File(const std::string& path);

    FileLayer& files_;
    const std::size_t baseLength_;
    NameList& list_;
    std::vector<FolderId> ancestors_;
    std::unordered_map<std::string, std::string> seen_;  // member name -> host path
    Status first_;
};

// Lists the folder whose id is already among the ancestors.
void Listing::Folder(const std::string& folder) {
    for (const std::string& name : NamesIn(files_, folder)) {
        if (name[0] == '.') continue;
        const std::string path = folder + name;
        if (FolderExists(path, files_)) {
            Enter(path);
        } else {
            File(path);
        }
    }
}

void Listing::Enter(const std::string& folder) {
    FileInfo info;
    if (files_.Stat(folder, info) != 0) return;
    const FolderId id{info.device, info.node};
    if (std::find(ancestors_.begin(), ancestors_.end(), id) != ancestors_.end()) {
        Keep("The folder %1 leads back into a folder above it; it was left out.", folder);
        return;
    }
    ancestors_.push_back(id);
    Folder(AsFolder(folder));
    ancestors_.pop_back();
}

void Listing::File(const std::string& path) {
    std::string member;
    const HostNameProblem problem =
        HostToMember(std::string_view(path).substr(baseLength_), member);
    if (problem != HostNameProblem::NONE) {
        Keep(NameProblemText(problem), path);
        return;
    }
    // Two host names (one UTF-8, one already 8-bit) can give the same member name.
    const auto [at, added] = seen_.emplace(member, path);
    if (!added) {
        Keep(
            "%1 and %2 have the same name in the game's code page (Windows-1252); a pack cannot "
            "hold both.",
            at->second, path);
        return;
    }
    list_.push_back(std::move(member));
}

bool EndsWithDotLevel(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !IsHostSeparator(path[start - 1]))
        --start;
    const std::string_view last = std::string_view(path).substr(start);
    return last == "." || last == "..";
}

// Whether `path` begins with `folder`, a separator matching either separator.
bool StartsWithFolder(const std::string& path, const std::string& folder) {
    if (path.size() < folder.size()) return false;
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (path[i] != folder[i] && !(IsHostSeparator(path[i]) && IsHostSeparator(folder[i]))) {
            return false;
        }
    }
    return true;
}

// Opens the folder `name` inside `parent` without following a link, making it readable and
// writable for its owner first when it is not (so that its contents can be removed).
int OpenFolderToEmpty(FileLayer& files, int parent, const std::string& name, const FileInfo& info) {
    const unsigned flags = base::kRead | base::kFolder | base::kNoFollow;
    const unsigned owned = info.permissions | 0700;
    int fd = files.OpenAt(parent, name, flags);
    if (fd < 0 && errno == EACCES && files.SetPermissionsAt(parent, name, owned) == 0) {
        fd = files.OpenAt(parent, name, flags);
    }
    if (fd >= 0 && (info.permissions & 0700) != 0700) files.SetPermissions(fd, owned);
    return fd;
}

// Records the first entry that could not be removed, and why.
void Note(EmptyFailure* failure, const std::string& path, int error) {
    if (failure && failure->path.empty()) *failure = {path, error};
}

// Empties the open folder `fd` (shown as `shown`) and closes it.
bool EmptyFolder(FileLayer& files, int fd, const std::string& shown, int depth,
                 EmptyFailure* failure) {
    std::vector<std::string> names;
    bool result = files.ListFolder(fd, names) == 0;
    if (!result) Note(failure, shown, errno);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = AsFolder(shown) + name;
        FileInfo info;
        if (files.StatAt(fd, name, info) != 0) {
            if (errno != ENOENT) result = false, Note(failure, path, errno);
            continue;
        }
        if (!info.IsFolder()) {
            // Files, links (as links) and anything else that is no folder.
            if (files.UnlinkAt(fd, name) != 0 && errno != ENOENT) {
                result = false, Note(failure, path, errno);
            }
            continue;
        }
        const int sub = depth < kMaxDeleteDepth ? OpenFolderToEmpty(files, fd, name, info) : -1;
        if (sub < 0) {
            result = false, Note(failure, path, depth < kMaxDeleteDepth ? errno : ENAMETOOLONG);
        } else if (!EmptyFolder(files, sub, path, depth + 1, failure)) {
            result = false;
        } else {
            files.UnlinkAt(fd, name, true);  // a failure here goes unreported
        }
    }
    CloseQuietly(files, fd);
    return result;
}

// Matches from the start of both; '*' backtracks to its last position.
bool Match(std::string_view pattern, std::string_view name) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace

Status ListFolderFiles(const std::string& folder, const std::string& baseFolder, NameList& list,
                       FileLayer& files) {
    const std::string start = AsFolder(folder);
    const std::string base = AsFolder(baseFolder);
    const std::size_t baseLength = StartsWithFolder(start, base) ? base.size() : 0;
    Listing listing(files, baseLength, list);
    listing.Enter(start);
    return listing.Result();
}

void ListMatchingFiles(const std::string& pattern, NameList& list, FileLayer& files) {
    std::size_t cut = pattern.size();
    while (cut > 0 && !IsHostSeparator(pattern[cut - 1]))
        --cut;
    const std::size_t slash = cut == 0 ? std::string::npos : cut - 1;
    const std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
    const std::string_view wildcard =
        std::string_view(pattern).substr(slash == std::string::npos ? 0 : slash + 1);
    for (const std::string& name : NamesIn(files, folder)) {
        if (name[0] != '.' && MatchesWildcard(wildcard, name)) list.push_back(name);
    }
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (Match(pattern, name)) return true;
    return name.find('.') == std::string_view::npos && Match(pattern, std::string(name) + ".");
}

bool FolderExists(const std::string& path, FileLayer& files) {
    if (path.empty()) return false;
    FileInfo info;
    if (files.Stat(path, info) == 0 && info.IsFile() && info.size > 0) return false;
    int fd = files.Open(path, base::kRead | base::kFolder);
    if (fd < 0) return false;
    CloseQuietly(files, fd);
    return true;
}

namespace {

// The root folder of the file system that holds `path`: "/", or on Windows the root of the drive
// or share that the path leads to.
std::string RootOf(const std::string& path, FileLayer& files) {
#ifdef _WIN32
    const std::string full = files.ResolvePath(path);
    if (full.size() >= 3 && full[1] == ':') return full.substr(0, 3);
    const std::size_t server = full.rfind("\\\\", 0) == 0 ? full.find('\\', 2) : std::string::npos;
    const std::size_t share = server == std::string::npos ? server : full.find('\\', server + 1);
    return share == std::string::npos ? full : full.substr(0, share + 1);
#else
    (void)path;
    (void)files;
    return "/";
#endif
}

}  // namespace

bool IsRootFolder(const std::string& path, FileLayer& files) {
    FileInfo folder;
    FileInfo root;
    return files.Stat(path, folder) == 0 && files.Stat(RootOf(path, files), root) == 0 &&
           folder.SameAs(root);
}

bool MayEmptyFolder(const std::string& folder, FileLayer& files) {
    return FolderExists(folder, files) && !EndsWithDotLevel(WithoutTrailingSeparators(folder)) &&
           !IsRootFolder(folder, files);
}

bool DeleteFolderContents(const std::string& folder, FileLayer& files) {
    if (!MayEmptyFolder(folder, files)) return false;
    const std::string path = WithoutTrailingSeparators(folder);
    const int fd = files.Open(path, base::kRead | base::kFolder | base::kNoFollow);
    return fd >= 0 && EmptyFolder(files, fd, path, 0, nullptr);
}

bool EmptyOpenFolder(int folderFd, const std::string& shown, FileLayer& files,
                     EmptyFailure* failure) {
    return EmptyFolder(files, folderFd, shown, 0, failure);
}

}  // namespace brisko
