// Folders on disk as the pack creator sees them: the files of a scenario folder as member names,
// the scenario folders and packs beside one another, and the emptying of a folder before a pack
// is extracted into it. Paths of folders and patterns are host paths; listed names use "\"
// between folder levels.
#pragma once

#include <string>
#include <string_view>

#include "PackBase.h"
#include "PackWriter.h"

namespace brisko {

// Appends every file below `folder`, at any depth, as its path relative to `baseFolder` (which is
// `folder` or a folder above it). Each folder's entries are taken in byte order of their names, a
// sub-folder's files at the place where the sub-folder sorts, so one folder always gives the same
// list. Names are member names: Windows-1252, "\" between folder levels (see HostPath.h). Names
// beginning with "." are left out with everything inside them. A file that cannot be listed under
// a faithful member name (its name, or a folder's above it, holds "\" or a character that
// Windows-1252 cannot hold) or a folder that leads back into itself is left out, and the first
// such is returned as an error (BAD_NAME); an unreadable or missing folder adds nothing.
Status ListFolderFiles(const std::string& folder, const std::string& baseFolder, NameList& list,
                       FileLayer& files = FileLayer::System());

// Appends the bare names of the entries of one folder that match a wildcard pattern such as
// "Scenarios/*.zpk" or "Scenarios/*." ("*." matches names without an extension), files and
// folders alike, in byte order, leaving out names beginning with ".". The names are host names,
// as the file system spells them, so that paths made from them reach the files (HostToMember
// gives the Windows-1252 text of one).
void ListMatchingFiles(const std::string& pattern, NameList& list,
                       FileLayer& files = FileLayer::System());

// Whether `name` matches `pattern` ("*" any run, "?" any one character, letter case ignored; a
// name without "." also matches as if it ended in ".").
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// True when `path` names a folder whose contents can be listed. The empty path and a file that is
// not empty are no folder; a one-letter name is a folder like any other.
bool FolderExists(const std::string& path, FileLayer& files = FileLayer::System());

// Deletes every file and sub-folder inside `folder`, at any depth, and keeps the folder itself;
// true when everything inside could be removed. Links are removed as links and never followed;
// read-only entries are removed too. A `folder` that is no folder, is itself a link, ends in "."
// or "..", or is the root folder, is refused (false).
bool DeleteFolderContents(const std::string& folder, FileLayer& files = FileLayer::System());

// Whether DeleteFolderContents would go ahead with `folder` (it may still fail part-way).
bool MayEmptyFolder(const std::string& folder, FileLayer& files = FileLayer::System());

// True when `path` names the root folder of the file system.
bool IsRootFolder(const std::string& path, FileLayer& files = FileLayer::System());

// The first entry that could not be removed while a folder was emptied, and errno of why.
struct EmptyFailure {
    std::string path;
    int error = 0;
};

// DeleteFolderContents for a folder already opened (the descriptor is closed), shown in
// `failure` as `shown`.
bool EmptyOpenFolder(int folderFd, const std::string& shown, FileLayer& files,
                     EmptyFailure* failure = nullptr);

}  // namespace brisko
