#include "ExtractFolder.h"

#include <cerrno>
#include <utility>
#include <vector>

#include "FolderOps.h"
#include "HostPath.h"

namespace brisko {
namespace {

Status Refused(const char* pattern, const std::string& folder, const std::string& other = "") {
    return Status::Error(Status::REFUSED, Format(pattern, folder, other));
}

// The folder as the rules see it: without trailing separators and trailing "." levels, so that a
// link is a link however the path ends ("link/", "link//", "link/." are "link").
std::string CheckedPath(std::string path) {
    while (true) {
        path = WithoutTrailingSeparators(std::move(path));
        const bool dotLevel =
            path.size() >= 2 && path.back() == '.' && IsHostSeparator(path[path.size() - 2]);
        if (!dotLevel) return path;
        path.resize(path.size() - 1);  // the separators before it go in the next round
    }
}

// Whether the pack lies at any depth below the folder, after every link on both paths.
bool HoldsPack(FileLayer& files, const std::string& folder, const std::string& packPath) {
    const std::string realFolder = files.ResolvePath(folder);
    const std::string realPack = files.ResolvePath(packPath);
    if (realFolder.empty() || realPack.empty()) return false;
    const std::string inside = AsFolder(realFolder);
    return realPack.compare(0, inside.size(), inside) == 0;
}

// The folder exists as a folder (not a link), or is created; REFUSED or a file error otherwise.
Status CheckOrCreate(FileLayer& files, const std::string& path, bool& created) {
    FileInfo info;
    created = false;
    if (files.LinkStat(path, info) != 0) {
        if (errno != ENOENT) return FileError(Status::CANNOT_OPEN, path, errno);
        if (files.MakeFolder(path) != 0) return FileError(Status::CANNOT_OPEN, path, errno);
        created = true;
        return Status::Ok();
    }
    if (info.kind == base::FileKind::LINK) {
        return Refused("The folder %1 is a symbolic link; nothing was extracted into it.", path);
    }
    if (!info.IsFolder())
        return Refused("%1 is not a folder; nothing was extracted into it.", path);
    return Status::Ok();
}

// Empties the open folder `fd`, or refuses it, when it holds anything.
Status EmptyOrRefuse(FileLayer& files, int fd, const std::string& path, ExistingFolder existing) {
    std::vector<std::string> names;
    if (files.ListFolder(fd, names) != 0) return FileError(Status::CANNOT_OPEN, path, errno);
    if (names.empty()) return Status::Ok();
    if (existing == ExistingFolder::REFUSE) {
        return Refused("The folder %1 is not empty; nothing was extracted into it.", path);
    }
    const int emptied = files.OpenAt(fd, ".", base::kRead | base::kFolder);
    if (emptied < 0) return FileError(Status::CANNOT_OPEN, path, errno);
    EmptyFailure failure;
    if (EmptyOpenFolder(emptied, path, files, &failure)) return Status::Ok();
    return Status::Error(Status::WRITE_FAILED,
                         Format("The folder %1 could not be emptied, so nothing was extracted "
                                "into it: %2",
                                path, FileErrorText(failure.path, failure.error)));
}

}  // namespace

Status PrepareExtractFolder(const std::string& folder, const std::string& packPath,
                            ExistingFolder existing, FileLayer& files, ExtractFolder& opened) {
    const std::string path = CheckedPath(folder.empty() ? std::string(".") : folder);
    bool created = false;
    Status status = CheckOrCreate(files, path, created);
    if (!status.ok()) return status;
    // (A folder just created is neither the root nor holds the pack.)
    if (IsRootFolder(path, files)) {
        return Refused("The folder %1 is the root folder; nothing was extracted into it.", path);
    }
    if (HoldsPack(files, path, packPath)) {
        return Refused("The folder %1 holds the pack %2; nothing was extracted into it.", path,
                       packPath);
    }
    const int fd = files.Open(path, base::kRead | base::kFolder | base::kNoFollow);
    if (fd < 0) return FileError(Status::CANNOT_OPEN, path, errno);
    status = EmptyOrRefuse(files, fd, path, existing);
    if (!status.ok()) {
        int closing = fd;
        CloseQuietly(files, closing);
        return status;
    }
    opened = {path, fd, created};
    return Status::Ok();
}

}  // namespace brisko
