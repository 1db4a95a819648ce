// Member names in packs, and names listed from folders, use "\" between folder levels. The host
// may use another separator: names are mapped only where a file or folder is opened, created or
// listed, never inside a pack.
#pragma once

#include <string>
#include <string_view>

namespace brisko {

#ifdef _WIN32
constexpr char kHostSeparator = '\\';
#else
constexpr char kHostSeparator = '/';
#endif
constexpr char kMemberSeparator = '\\';

// The member name as a relative host path.
std::string MemberToHost(std::string_view member);

// A relative host path as a member name. False when a file or folder name in it holds "\" (it
// could not be told apart from a folder level).
bool HostToMember(std::string_view relative, std::string& member);

// The folder path with a separator at its end (an empty path stays empty).
std::string AsFolder(std::string folder);

// folder + member, the member mapped to the host.
std::string HostJoin(const std::string& folder, std::string_view member);

// The lower-case form of an 8-bit name, for comparing names without regard to letter case.
std::string FoldCase(std::string_view name);

}  // namespace brisko
