#include "MemberNames.h"

#include <unordered_map>

#include "HostPath.h"

namespace brisko {

const char* UnsafeNameReason(std::string_view name) {
    if (name.empty()) return "is empty";
    if (name[0] == '\\' || name[0] == '/') return "is an absolute path";
    const char first = static_cast<char>(name[0] | 0x20);
    if (name.size() >= 2 && name[1] == ':' && first >= 'a' && first <= 'z') {
        return "names a drive";
    }
    if (name.find('/') != std::string_view::npos) return "holds \"/\"";
    std::size_t start = 0;
    while (true) {
        const std::size_t end = name.find('\\', start);
        const std::string_view level = name.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (level.empty()) return "holds an empty folder name";
        if (level == "." || level == "..") return "holds a \".\" or \"..\" folder";
        if (end == std::string_view::npos) return nullptr;
        start = end + 1;
    }
}

NameClash CheckMemberNames(const std::vector<std::string_view>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (UnsafeNameReason(names[i])) return {NameClash::UNSAFE, i, i};
    }
    std::unordered_map<std::string, std::size_t> files;  // folded name -> index
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto [at, added] = files.emplace(FoldCase(names[i]), i);
        if (!added) return {NameClash::SAME_NAME, at->second, i};
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string folded = FoldCase(names[i]);
        for (std::size_t cut = folded.find('\\'); cut != std::string::npos;
             cut = folded.find('\\', cut + 1)) {
            const auto file = files.find(folded.substr(0, cut));
            if (file != files.end()) return {NameClash::FILE_AND_FOLDER, file->second, i};
        }
    }
    return {};
}

}  // namespace brisko
