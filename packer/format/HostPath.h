// Member names in packs, and names listed from folders, are 8-bit texts in the game's code page,
// Windows-1252, with "\" between folder levels. The host may use another separator and, as here,
// UTF-8 file names: names are mapped only where a file or folder is opened, created or listed,
// never inside a pack.
#pragma once

#include <string>
#include <string_view>

#include "PackBase.h"

namespace brisko {

#ifdef _WIN32
constexpr char kHostSeparator = '\\';
constexpr bool kHostNamesUtf8 = false;  // the host's 8-bit calls take the code page's bytes
#else
constexpr char kHostSeparator = '/';
constexpr bool kHostNamesUtf8 = true;
#endif
constexpr char kMemberSeparator = '\\';

// The member name as a relative host path: "\" becomes the host's separator, and on a host whose
// file names are UTF-8 the Windows-1252 characters become UTF-8.
std::string MemberToHost(std::string_view member);

enum class HostNameProblem {
    NONE,
    BACKSLASH,   // a file or folder name holds "\": it could not be told from a folder level
    UNMAPPABLE,  // a name holds a character that Windows-1252 cannot hold
};

// A relative host path as a member name. Each UTF-8 file or folder name becomes its
// Windows-1252 bytes; a name that is not valid UTF-8 is taken as the 8-bit bytes it already is.
HostNameProblem HostToMember(std::string_view relative, std::string& member);

// The folder path with a separator at its end (an empty path stays empty).
std::string AsFolder(std::string folder);

// folder + member, the member mapped to the host.
std::string HostJoin(const std::string& folder, std::string_view member);

// The host path of a member's source file below `folder`, for a name that ListFolderFiles gave:
// each file or folder name as UTF-8, or, where nothing of that name exists, as the 8-bit bytes it
// is (a host name that was no UTF-8 when it was listed).
std::string SourcePath(const std::string& folder, std::string_view member, FileLayer& files);

// The folded form of an 8-bit name, for comparing names without regard to letter case, the
// Windows-1252 letters included ("É" and "é" are the same letter).
std::string FoldCase(std::string_view name);

}  // namespace brisko
