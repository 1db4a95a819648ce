#include "FolderOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "HostPath.h"

namespace brisko {
namespace {

// Folders nested deeper than this are not emptied (each level holds a descriptor).
constexpr int kMaxDeleteDepth = 256;

using FolderId = std::pair<dev_t, ino_t>;

// The names in an opened folder, without "." and "..", sorted byte-wise. Closes `fd`.
std::vector<std::string> NamesIn(int fd) {
    std::vector<std::string> names;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd < 0 ? std::vector<std::string>() : NamesIn(fd);
}

PackStatus ListInto(const std::string& folder, std::size_t baseLength, NameList& list,
                    std::vector<FolderId>& ancestors) {
    PackStatus first;
    const auto keep = [&first](PackStatus status) {
        if (first.ok()) first = std::move(status);
    };
    for (const std::string& name : NamesIn(folder)) {
        if (name[0] == '.') continue;
        const std::string path = folder + name;
        if (FolderExists(path)) {
            struct stat st;
            if (::stat(path.c_str(), &st) != 0) continue;
            const FolderId id{st.st_dev, st.st_ino};
            if (std::find(ancestors.begin(), ancestors.end(), id) != ancestors.end()) {
                keep(PackStatus::Error(
                    PackStatus::BAD_NAME,
                    Format("The folder %1 leads back into a folder above it; it was left out.",
                           path)));
                continue;
            }
            ancestors.push_back(id);
            keep(ListInto(path + kHostSeparator, baseLength, list, ancestors));
            ancestors.pop_back();
            continue;
        }
        std::string member;
        if (!HostToMember(std::string_view(path).substr(baseLength), member)) {
            keep(PackStatus::Error(
                PackStatus::BAD_NAME,
                Format("%1 cannot be packed under its own name: a file or folder name in it "
                       "holds \"\\\".",
                       path)));
            continue;
        }
        list.push_back(std::move(member));
    }
    return first;
}

bool EndsWithDotLevel(const std::string& path) {
    const std::size_t slash = path.rfind(kHostSeparator);
    const std::string_view last =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    return last == "." || last == "..";
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == kHostSeparator)
        path.pop_back();
    return path;
}

// Opens the folder `name` inside `parent` without following a link, making it readable and
// writable for its owner first when it is not (so that its contents can be removed).
int OpenFolderToEmpty(int parent, const char* name, const struct stat& st) {
    int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES &&
        ::fchmodat(parent, name, (st.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW) == 0) {
        fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd >= 0 && (st.st_mode & S_IRWXU) != S_IRWXU) ::fchmod(fd, (st.st_mode & 07777) | S_IRWXU);
    return fd;
}

bool EmptyFolder(int fd, int depth) {
    const int listing = ::dup(fd);
    const std::vector<std::string> names =
        listing < 0 ? std::vector<std::string>() : NamesIn(listing);
    bool result = listing >= 0;
    for (const std::string& name : names) {
        struct stat st;
        if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) result = false;
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            // Files, links (as links) and anything else that is no folder.
            if (::unlinkat(fd, name.c_str(), 0) != 0 && errno != ENOENT) result = false;
            continue;
        }
        const int sub = depth < kMaxDeleteDepth ? OpenFolderToEmpty(fd, name.c_str(), st) : -1;
        if (sub < 0 || !EmptyFolder(sub, depth + 1)) {
            result = false;
        } else {
            ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);  // a failure here goes unreported
        }
    }
    ::close(fd);
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

PackStatus ListFolderFiles(const std::string& folder, const std::string& baseFolder,
                           NameList& list) {
    const std::string start = AsFolder(folder);
    const std::string base = AsFolder(baseFolder);
    const std::size_t baseLength = start.compare(0, base.size(), base) == 0 ? base.size() : 0;
    std::vector<FolderId> ancestors;
    struct stat st;
    if (::stat(start.c_str(), &st) == 0) ancestors.push_back({st.st_dev, st.st_ino});
    return ListInto(start, baseLength, list, ancestors);
}

void ListMatchingFiles(const std::string& pattern, NameList& list) {
    const std::size_t slash = pattern.rfind(kHostSeparator);
    const std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
    const std::string_view wildcard =
        std::string_view(pattern).substr(slash == std::string::npos ? 0 : slash + 1);
    for (const std::string& name : NamesIn(folder)) {
        if (name[0] != '.' && MatchesWildcard(wildcard, name)) list.push_back(name);
    }
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (Match(pattern, name)) return true;
    return name.find('.') == std::string_view::npos && Match(pattern, std::string(name) + ".");
}

bool FolderExists(const std::string& path) {
    if (path.size() < 2) return false;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) return false;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return false;
    ::closedir(dir);
    return true;
}

bool IsRootFolder(const std::string& path) {
    struct stat st;
    struct stat root;
    return ::stat(path.c_str(), &st) == 0 && ::stat("/", &root) == 0 && st.st_dev == root.st_dev &&
           st.st_ino == root.st_ino;
}

bool MayEmptyFolder(const std::string& folder) {
    return FolderExists(folder) && !EndsWithDotLevel(WithoutTrailingSeparators(folder)) &&
           !IsRootFolder(folder);
}

bool DeleteFolderContents(const std::string& folder) {
    if (!MayEmptyFolder(folder)) return false;
    const std::string path = WithoutTrailingSeparators(folder);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return fd >= 0 && EmptyFolder(fd, 0);
}

bool DeleteFolderContentsAt(int folderFd) {
    return EmptyFolder(folderFd, 0);
}

}  // namespace brisko
