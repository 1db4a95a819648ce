#include "ProfileFile.h"

#include <climits>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "AtomicFile.h"

namespace base {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The file as lines without their line ends (LF or CR LF).
std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::size_t cut = end;
        if (cut > start && bytes[cut - 1] == '\r') --cut;
        lines.emplace_back(bytes, start, cut - start);
        start = end + 1;
    }
    return lines;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// The key and raw value of a "key=value" line; comment lines (";" or "#") hold no key.
std::optional<std::pair<std::string_view, std::string_view>> EntryOf(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#' || line.front() == '[') {
        return std::nullopt;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::make_pair(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
}

// Where a key stands: its section's header line and its own line (npos when absent).
struct Place {
    std::size_t section = std::string::npos;
    std::size_t key = std::string::npos;
    std::size_t lastInSection = std::string::npos;  // last non-blank line of the section
};

Place Find(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
    Place place;
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionOf(lines[i])) {
            if (inside) break;  // only the first section of that name counts
            inside = SameName(*name, section);
            if (inside) place.section = place.lastInSection = i;
            continue;
        }
        if (!inside) continue;
        if (!Trim(lines[i]).empty()) place.lastInSection = i;
        const auto entry = EntryOf(lines[i]);
        if (entry && SameName(entry->first, key)) {
            place.key = i;
            break;
        }
    }
    return place;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::optional<std::string> Lookup(const std::string& path, std::string_view section,
                                  std::string_view key) {
    const std::vector<std::string> lines = ReadLines(path);
    const Place place = Find(lines, section, key);
    if (place.key == std::string::npos) return std::nullopt;
    return std::string(Unquote(EntryOf(lines[place.key])->second));
}

}  // namespace

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t maxChars) {
    std::string value = Lookup(path, section, key).value_or(std::string(fallback));
    if (value.size() > maxChars) value.resize(maxChars);
    return value;
}

int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int fallback) {
    const std::optional<std::string> value = Lookup(path, section, key);
    if (!value) return fallback;
    std::string_view text = Trim(*value);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        number = number * 10 + (c - '0');
        if (number > static_cast<long long>(INT_MAX) + 1)
            number = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) number = -number;
    if (number > INT_MAX) number = INT_MAX;
    return static_cast<int>(number);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    std::vector<std::string> lines = ReadLines(path);
    const Place place = Find(lines, section, key);
    std::string entry = std::string(key) + "=" + std::string(value);
    if (place.key != std::string::npos) {
        // The key keeps the spelling the file gave it.
        lines[place.key] = std::string(EntryOf(lines[place.key])->first) + "=" + std::string(value);
    } else if (place.section != std::string::npos) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.lastInSection + 1),
                     std::move(entry));
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::move(entry));
    }
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    AtomicFile file(FileLayer::System(), path);
    return file.Create() && file.Write(bytes.data(), bytes.size()) && file.Commit();
}

}  // namespace base
