// Which member names can be written below a folder without escaping it or overwriting one another.
// The writer refuses such a list before it writes a pack, and the extraction refuses such a pack
// before it touches the target folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brisko {

// Why `name` cannot be written below a folder, or nullptr when it can. Unsafe are: the empty
// name; an absolute name ("\x", "/x", "C:\x", "C:x"); a name holding "/" (another separator on
// some hosts); an empty, "." or ".." folder level.
const char* UnsafeNameReason(std::string_view name);

struct NameClash {
    enum Kind {
        NONE,
        UNSAFE,          // names[first] is unsafe
        SAME_NAME,       // names[first] and names[second] are equal apart from letter case
        FILE_AND_FOLDER  // names[first] is also a folder level of names[second]
    };
    Kind kind = NONE;
    std::size_t first = 0;
    std::size_t second = 0;
};

// The first problem of a whole list of names, or a clash of kind NONE.
NameClash CheckMemberNames(const std::vector<std::string_view>& names);

}  // namespace brisko
