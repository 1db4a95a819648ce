// Cutting the fields of a game table line: no quoting, the separator always separates, and a
// separator at the very end of the line closes the last field without opening another.
#pragma once

#include <string_view>

namespace tavrel {

// Returns the line's first field (the text before the first separator, or the whole line) and
// leaves in `line` the text after that separator (empty when it was the last character).
// Callers repeat it while the line is not empty.
inline std::string_view TakeField(std::string_view& line, char separator) {
    const std::size_t at = line.find(separator);
    if (at == std::string_view::npos) {
        const std::string_view field = line;
        line = {};
        return field;
    }
    const std::string_view field = line.substr(0, at);
    line.remove_prefix(at + 1);
    return field;
}

}  // namespace tavrel
