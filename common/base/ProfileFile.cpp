#include "ProfileFile.h"

#include <cerrno>
#include <cstdint>
#include <optional>
#include <vector>

#include "AtomicFile.h"
#include "Cp1252.h"

namespace base {
namespace {

// How the file stores its text, told by its first bytes.
enum class Encoding { ANSI, UTF8, UTF16LE, UTF16BE };

// One line of the file: its own bytes without the line end, written back as they were unless
// the line is replaced, and its text in Windows-1252, which names are matched against.
struct Line {
    std::string raw;
    std::string text;
};

struct Profile {
    Encoding encoding = Encoding::ANSI;
    std::vector<Line> lines;
    bool whole = true;  // false when writing it back would lose bytes (UTF-16 of an odd length)
};

// Blanks as the platform trims them, Ctrl-Z (the old end-of-file mark) among them.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view TrimFront(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimFront(text);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A name or value as far as its first NUL, where the platform's strings end.
std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
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

// ---- Encodings -------------------------------------------------------------------------------

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

std::string_view MarkOf(Encoding encoding) {
    switch (encoding) {
        case Encoding::UTF8:
            return kUtf8Mark;
        case Encoding::UTF16LE:
            return kUtf16LeMark;
        case Encoding::UTF16BE:
            return kUtf16BeMark;
        case Encoding::ANSI:
            break;
    }
    return {};
}

Encoding EncodingOf(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) return Encoding::UTF8;
    if (bytes.starts_with(kUtf16LeMark)) return Encoding::UTF16LE;
    if (bytes.starts_with(kUtf16BeMark)) return Encoding::UTF16BE;
    return Encoding::ANSI;
}

bool IsUtf16(Encoding encoding) {
    return encoding == Encoding::UTF16LE || encoding == Encoding::UTF16BE;
}

std::u16string Utf16Units(std::string_view bytes, Encoding encoding) {
    std::u16string units(bytes.size() / 2, u'\0');
    const bool little = encoding == Encoding::UTF16LE;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(little ? a | b << 8 : a << 8 | b);
    }
    return units;
}

std::string Utf16Bytes(std::u16string_view units, Encoding encoding) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += encoding == Encoding::UTF16LE ? low : high;
        bytes += encoding == Encoding::UTF16LE ? high : low;
    }
    return bytes;
}

// The next character of UTF-8 text at `i`, decoded the way the platform does it, or -1 for a
// broken sequence; that ends before the first byte that cannot continue it, which is read again.
// A sequence cut off by the end of the file takes the rest of the file with it.
long NextUtf8(std::string_view bytes, std::size_t& i, bool endOfFile) {
    const auto lead = static_cast<unsigned char>(bytes[i++]);
    if (lead < 0x80) return lead;
    int follow = 0;  // continuation bytes the lead byte asks for
    if (lead >= 0xC2 && lead <= 0xDF) follow = 1;
    if (lead >= 0xE0 && lead <= 0xEF) follow = 2;
    if (lead >= 0xF0 && lead <= 0xF4) follow = 3;
    if (follow == 0) return -1;
    if (endOfFile && i + static_cast<std::size_t>(follow) > bytes.size()) {
        i = bytes.size();
        return -1;
    }
    std::uint32_t c = lead & (0x7Fu >> (follow + 1));
    for (int left = follow; left > 0; --left) {
        if (i >= bytes.size() || (bytes[i] & 0xC0) != 0x80) return -1;
        c = c << 6 | (bytes[i] & 0x3F);
        if (left == 2 && c >= (0x110000u >> 6)) return -1;  // past U+10FFFF
        ++i;
        // Overlong forms and surrogates.
        if (left == 3 && c < 0x10) return -1;
        if (left == 2 && (c < 0x20 || (c >= (0xD800u >> 6) && c <= (0xDFFFu >> 6)))) return -1;
        if (left == 1 && c < 0x80) return -1;
    }
    return static_cast<long>(c);
}

// UTF-8 as UTF-16; each broken sequence becomes one U+FFFD.
std::u16string Utf8Units(std::string_view bytes, bool endOfFile) {
    std::u16string units;
    units.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const long c = NextUtf8(bytes, i, endOfFile);
        if (c < 0) {
            units += u'\uFFFD';
        } else if (c > 0xFFFF) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

// Windows-1252 text as the file stores it.
std::string Encode(Encoding encoding, std::string_view text) {
    switch (encoding) {
        case Encoding::UTF8:
            return Cp1252ToUtf8(text);
        case Encoding::UTF16LE:
        case Encoding::UTF16BE:
            return Utf16Bytes(Cp1252ToUtf16(text), encoding);
        case Encoding::ANSI:
            break;
    }
    return std::string(text);
}

Line MakeLine(Encoding encoding, std::string text) {
    return Line{Encode(encoding, text), std::move(text)};
}

// ---- Lines -----------------------------------------------------------------------------------

// Where each line of `text` starts and how long it is without its end (CR LF, LF or a lone CR).
template <typename Char>
std::vector<std::pair<std::size_t, std::size_t>> LineSpans(std::basic_string_view<Char> text) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != Char('\r') && text[end] != Char('\n'))
            ++end;
        spans.emplace_back(start, end - start);
        if (end + 1 < text.size() && text[end] == Char('\r') && text[end + 1] == Char('\n')) ++end;
        start = end + 1;
    }
    return spans;
}

// The file's lines; false when it exists but cannot be read (a missing file has no lines).
bool Load(FileLayer& files, const std::string& path, Profile& profile) {
    std::string bytes;
    const int error = ReadWholeFile(files, path, bytes);
    if (error == ENOENT) return true;
    if (error != 0) return false;
    profile.encoding = EncodingOf(bytes);
    const std::string_view body = std::string_view(bytes).substr(MarkOf(profile.encoding).size());
    if (IsUtf16(profile.encoding)) {
        // A last odd byte is no character: it is not read, and the file is not written back.
        profile.whole = body.size() % 2 == 0;
        const std::u16string units = Utf16Units(body, profile.encoding);
        for (const auto& [start, length] : LineSpans(std::u16string_view(units))) {
            profile.lines.push_back(
                {std::string(body.substr(2 * start, 2 * length)),
                 Utf16ToCp1252(std::u16string_view(units).substr(start, length))});
        }
        return true;
    }
    for (const auto& [start, length] : LineSpans(body)) {
        const std::string_view raw = body.substr(start, length);
        const bool last = start + length == body.size();
        profile.lines.push_back({std::string(raw), profile.encoding == Encoding::UTF8
                                                       ? Utf16ToCp1252(Utf8Units(raw, last))
                                                       : std::string(raw)});
    }
    return true;
}

bool Save(FileLayer& files, const std::string& path, const Profile& profile) {
    std::string bytes(MarkOf(profile.encoding));
    const std::string end = Encode(profile.encoding, "\r\n");
    for (const Line& line : profile.lines)
        bytes += line.raw + end;
    AtomicFile file(files, path);
    return file.Create() && file.Write(bytes.data(), bytes.size()) && file.Commit();
}

// ---- Sections and keys -----------------------------------------------------------------------

// The section name of a "[name]" line, which ends at its last "]".
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0) return std::nullopt;
    return UpToNul(Trim(line.substr(1, close - 1)));
}

// A line that is no section: a key with the value after its first "=", or with none.
struct Entry {
    std::string_view key;
    std::optional<std::string_view> value;
};

std::optional<Entry> EntryOf(std::string_view line) {
    line = Trim(line);
    if (line.empty()) return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return Entry{UpToNul(line), std::nullopt};
    return Entry{UpToNul(Trim(line.substr(0, eq))), UpToNul(Trim(line.substr(eq + 1)))};
}

// Where a key stands: its section's header line and its own line (npos when absent).
struct Place {
    std::size_t section = std::string::npos;
    std::size_t key = std::string::npos;
    std::size_t lastInSection = std::string::npos;  // last non-blank line of the section
};

Place Find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Place place;
    bool inside = section.empty();  // the lines before the first section form the section ""
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionOf(lines[i].text)) {
            if (inside) break;  // only the first section of that name counts
            inside = SameName(*name, section);
            if (inside) place.section = place.lastInSection = i;
            continue;
        }
        if (!inside || Trim(lines[i].text).empty()) continue;
        place.lastInSection = i;
        if (SameName(EntryOf(lines[i].text)->key, key)) {
            place.key = i;
            break;
        }
    }
    return place;
}

// A section or key name as the caller gives it: a C string, trimmed.
std::string_view AskedName(std::string_view name) {
    return Trim(UpToNul(name));
}

// The key's value, or nothing when the file cannot be read or the key is missing or has none.
std::optional<std::string> Lookup(FileLayer& files, const std::string& path,
                                  std::string_view section, std::string_view key) {
    Profile profile;
    if (!Load(files, path, profile)) return std::nullopt;
    const Place place = Find(profile.lines, AskedName(section), AskedName(key));
    if (place.key == std::string::npos) return std::nullopt;
    const std::optional<std::string_view> value = EntryOf(profile.lines[place.key].text)->value;
    if (!value) return std::nullopt;
    return std::string(*value);
}

// The value as the platform copies it into a buffer of maxChars + 1 characters, without one pair
// of matching quotes: the closing quote is cut off after the copy, so a quoted value that only
// just does not fit loses its last character instead.
std::string Copied(std::string_view value, std::size_t maxChars) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (!quoted) return std::string(value.substr(0, maxChars));
    value.remove_prefix(1);
    std::string copy(value.substr(0, maxChars));
    if (maxChars >= value.size() - 1 && !copy.empty()) copy.pop_back();
    return copy;
}

// An integer the way the platform reads one: blanks, a sign, a base prefix, digits, wrapped to
// 32 bits.
int ParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    std::uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        const char prefix = text[i + 1];
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    std::uint32_t number = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        std::uint32_t digit = base;
        if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
        if (c >= 'a' && c <= 'z') digit = static_cast<std::uint32_t>(c - 'a' + 10);
        if (c >= 'A' && c <= 'Z') digit = static_cast<std::uint32_t>(c - 'A' + 10);
        if (digit >= base) break;
        number = number * base + digit;
    }
    return static_cast<int>(negative ? 0u - number : number);
}

// True when each of section, key and value stays in its place on its line: no line end or NUL,
// no "]" that would end the section name early, no "=" that would end the key early and no key
// that reads as a section line. (The platform writes these as given and breaks the file.)
bool Storable(std::string_view section, std::string_view key, std::string_view value) {
    constexpr std::string_view kBreaks("\r\n\0", 3);
    const auto holds = [](std::string_view text, std::string_view chars) {
        return text.find_first_of(chars) != std::string_view::npos;
    };
    return !section.empty() && !holds(section, kBreaks) && !holds(section, "]") &&
           !holds(key, kBreaks) && !holds(key, "=") && !key.starts_with('[') &&
           !holds(value, kBreaks);
}

void Set(Profile& profile, std::string_view section, std::string_view key, std::string_view value) {
    const Place place = Find(profile.lines, section, key);
    const std::string entry = std::string(key) + "=" + std::string(value);
    std::vector<Line>& lines = profile.lines;
    if (place.key != std::string::npos) {
        // The key keeps the spelling the file gave it.
        std::string text = std::string(EntryOf(lines[place.key].text)->key) + "=";
        lines[place.key] = MakeLine(profile.encoding, text + std::string(value));
    } else if (place.section != std::string::npos) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.lastInSection + 1),
                     MakeLine(profile.encoding, entry));
    } else {
        lines.push_back(MakeLine(profile.encoding, "[" + std::string(section) + "]"));
        lines.push_back(MakeLine(profile.encoding, entry));
    }
}

}  // namespace

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback, std::size_t maxChars,
                              FileLayer& files) {
    if (const std::optional<std::string> value = Lookup(files, path, section, key))
        return Copied(*value, maxChars);
    return std::string(fallback.substr(0, maxChars));
}

int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int fallback, FileLayer& files) {
    const std::optional<std::string> value = Lookup(files, path, section, key);
    // The platform reads the value into a buffer of 30 characters; an empty one is missing.
    const std::string text = value ? Copied(*value, 29) : std::string();
    return text.empty() ? fallback : ParseInt(text);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, FileLayer& files) {
    section = Trim(section);
    key = Trim(key);
    value = TrimFront(value);
    if (!Storable(section, key, value)) return false;
    Profile profile;
    if (!Load(files, path, profile) || !profile.whole) return false;
    Set(profile, section, key, value);
    return Save(files, path, profile);
}

}  // namespace base
