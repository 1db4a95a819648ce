#include "HostPath.h"

namespace brisko {

std::string MemberToHost(std::string_view member) {
    std::string path(member);
    if constexpr (kHostSeparator != kMemberSeparator) {
        for (char& c : path) {
            if (c == kMemberSeparator) c = kHostSeparator;
        }
    }
    return path;
}

bool HostToMember(std::string_view relative, std::string& member) {
    member.assign(relative);
    if constexpr (kHostSeparator != kMemberSeparator) {
        if (member.find(kMemberSeparator) != std::string::npos) return false;
        for (char& c : member) {
            if (c == kHostSeparator) c = kMemberSeparator;
        }
    }
    return true;
}

std::string AsFolder(std::string folder) {
    // Windows takes "/" between folders too.
    const bool ends = !folder.empty() && (folder.back() == kHostSeparator || folder.back() == '/');
    if (!folder.empty() && !ends) folder += kHostSeparator;
    return folder;
}

std::string HostJoin(const std::string& folder, std::string_view member) {
    return AsFolder(folder) + MemberToHost(member);
}

std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

}  // namespace brisko
