#include "HostPath.h"

#include <algorithm>

#include "Cp1252.h"

namespace brisko {
namespace {

// One file or folder name of a host path as Windows-1252 bytes.
HostNameProblem LevelToMember(std::string_view level, std::string& member) {
    if (level.find(kMemberSeparator) != std::string_view::npos) return HostNameProblem::BACKSLASH;
    std::string bytes;
    switch (base::Utf8ToCp1252(level, bytes)) {
        case base::Utf8Conversion::OK:
            member += bytes;
            return HostNameProblem::NONE;
        case base::Utf8Conversion::NOT_UTF8:
            if (!kHostNamesMayBeBytes) break;
            member += level;  // already 8-bit text
            return HostNameProblem::NONE;
        case base::Utf8Conversion::UNMAPPABLE:
            break;
    }
    return HostNameProblem::UNMAPPABLE;
}

// The length of the root that a path begins with: "/", and on Windows "\", "C:\" or "C:".
std::size_t RootLength(std::string_view path) {
#ifdef _WIN32
    const bool drive = path.size() >= 2 && path[1] == ':';
    if (drive) return path.size() >= 3 && IsHostSeparator(path[2]) ? 3 : 2;
#endif
    return !path.empty() && IsHostSeparator(path[0]) ? 1 : 0;
}

}  // namespace

std::string MemberToHost(std::string_view member) {
    std::string path = base::Cp1252ToUtf8(member);
    if constexpr (kHostSeparator != kMemberSeparator) {
        for (char& c : path) {
            if (c == kMemberSeparator) c = kHostSeparator;
        }
    }
    return path;
}

HostNameProblem HostToMember(std::string_view relative, std::string& member) {
    member.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t end = relative.find(kHostSeparator, start);
        const HostNameProblem problem = LevelToMember(relative.substr(start, end - start), member);
        if (problem != HostNameProblem::NONE) return problem;
        if (end == std::string_view::npos) return HostNameProblem::NONE;
        member += kMemberSeparator;
        start = end + 1;
    }
}

std::string AsFolder(std::string folder) {
    if (!folder.empty() && !IsHostSeparator(folder.back())) folder += kHostSeparator;
    return folder;
}

std::string WithoutTrailingSeparators(std::string path) {
    const std::size_t keep = std::max<std::size_t>(RootLength(path), 1);
    while (path.size() > keep && IsHostSeparator(path.back()))
        path.pop_back();
    return path;
}

std::string HostJoin(const std::string& folder, std::string_view member) {
    return AsFolder(folder) + MemberToHost(member);
}

std::string SourcePath(const std::string& folder, std::string_view member, FileLayer& files) {
    const bool ascii = std::all_of(member.begin(), member.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !kHostNamesMayBeBytes) return HostJoin(folder, member);
    std::string path = AsFolder(folder);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = member.find(kMemberSeparator, start);
        const std::string_view level = member.substr(start, end - start);
        const std::string utf8 = base::Cp1252ToUtf8(level);
        FileInfo info;
        const bool asUtf8 = utf8 == level || files.LinkStat(path + utf8, info) == 0;
        path += asUtf8 ? utf8 : std::string(level);
        if (end == std::string_view::npos) return path;
        path += kHostSeparator;
        start = end + 1;
    }
}

std::string FoldCase(std::string_view name) {
    return base::Cp1252FoldCase(name);
}

}  // namespace brisko
