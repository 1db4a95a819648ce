// Scratch folders, whole-file reads and writes, and a way to run a check as a user without root's
// rights, for every test program.
#pragma once

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

// Windows has no errno of its own for a full quota: its quota error arrives as ENOSPC.
#ifndef EDQUOT
#define EDQUOT ENOSPC
#endif

namespace base::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of `name` inside the folder, as text (UTF-8).
    std::string File(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// A path held as text (UTF-8 on every host, as in the programs) as a path of the standard
// library, and back.
std::filesystem::path HostPath(const std::string& path);
std::string PathText(const std::filesystem::path& path);

// Makes `link` a link to `target` (absolute, or relative to the link's folder): a symbolic link;
// on Windows a junction for a folder, or under Wine a symbolic link of the host, which Wine shows
// as a reparse point. False when the host makes none (under Wine: a link to a file or to nothing,
// see FileLinksUnseen).
bool MakeLink(const std::string& target, const std::string& link, bool folder);

// On Windows: makes the folder `link` a junction (a mount point) to the folder `target`; false
// when the host makes none (Wine makes none).
bool MakeJunction(const std::string& target, const std::string& link);

// True when the tests run under Wine rather than on Windows or Linux.
bool UnderWine();

// Why links to files and links to nothing cannot be checked on this host, or null when they can.
// Wine (8) shows a host's link to a folder as a reparse point, but a link to a file as the file
// itself and a link to nothing not at all, and makes no links of its own; Linux and Windows show
// them all.
const char* FileLinksUnseen();

// Why removing a link cannot be checked on this host, or null when it can: Wine (8) removes what
// a host's link names instead of the link.
const char* LinksUnremovable();

// Whether `path` is itself a link (a symbolic link, a junction), looked at through the file layer
// without following it.
bool IsLink(const std::string& path);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// Runs `check` as a user without root's rights and gives what it returned: "" when it passed,
// else what went wrong. When this process is not root, `check` runs here directly. As root it runs
// in a child process as the user "nobody" (uid and gid 65534), so that permissions hold as they
// do for a real user; the folders it uses must be open to that user.
std::string AsUnprivilegedUser(const std::function<std::string()>& check);

// True when the process runs as root, whose writes no permission stops.
bool RunningAsRoot();

}  // namespace base::test
