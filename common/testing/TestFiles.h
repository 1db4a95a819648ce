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
// as a reparse point. False when the host makes none.
bool MakeLink(const std::string& target, const std::string& link, bool folder);

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
