// Member names in packs, and names listed from folders, are 8-bit texts in the game's code page,
// Windows-1252, with "\" between folder levels. Host paths are UTF-8 on every host (on Windows
// the file layer takes them to UTF-16) and use the host's separator: names are mapped only where
// a file or folder is opened, created or listed, never inside a pack.
#pragma once

#include <string>
#include <string_view>

#include "PackBase.h"

namespace brisko {

#ifdef _WIN32
constexpr char kHostSeparator = '\\';
// Every name there is UTF-16 text (a lone surrogate aside, which no code page holds).
constexpr bool kHostNamesMayBeBytes = false;
#else
constexpr char kHostSeparator = '/';
// A name is any bytes: UTF-8 as a rule, but an 8-bit name written by another program too.
constexpr bool kHostNamesMayBeBytes = true;
#endif
constexpr char kMemberSeparator = '\\';

// Whether `c` ends a folder level of a host path: the host's separator, and on Windows "/" too.
constexpr bool IsHostSeparator(char c) {
    return c == kHostSeparator || (kHostSeparator == '\\' && c == '/');
}

// The path without separators at its end; a root ("/", on Windows also "\", "C:\") stays whole.
std::string WithoutTrailingSeparators(std::string path);

// The member name as a relative host path: "\" becomes the host's separator and the Windows-1252
// characters become UTF-8.
std::string MemberToHost(std::string_view member);

enum class HostNameProblem {
    NONE,
    BACKSLASH,   // a file or folder name holds "\": it could not be told from a folder level
    UNMAPPABLE,  // a name holds a character that Windows-1252 cannot hold
};

// A relative host path as a member name. Each UTF-8 file or folder name becomes its
// Windows-1252 bytes; on POSIX a name that is not valid UTF-8 is taken as the 8-bit bytes it
// already is, on Windows it is UNMAPPABLE (it can only be a lone surrogate there).
HostNameProblem HostToMember(std::string_view relative, std::string& member);

// The folder path with a separator at its end (an empty path stays empty).
std::string AsFolder(std::string folder);

// folder + member, the member mapped to the host.
std::string HostJoin(const std::string& folder, std::string_view member);

// The host path of a member's source file below `folder`, for a name that ListFolderFiles gave:
// each file or folder name as UTF-8, or on POSIX, where nothing of that name exists, as the 8-bit
// bytes it is (a host name that was no UTF-8 when it was listed).
std::string SourcePath(const std::string& folder, std::string_view member, FileLayer& files);

// The folded form of an 8-bit name, for comparing names without regard to letter case, the
// Windows-1252 letters included ("É" and "é" are the same letter).
std::string FoldCase(std::string_view name);

}  // namespace brisko
