#include "Catalog.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "AtomicFile.h"
#include "PackStamp.h"

namespace brisko {
namespace {

constexpr char kLineEnd[] = "\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// A line without any blank, so that spacing does not matter to the reader.
std::string WithoutBlanks(std::string_view line) {
    std::string text;
    for (char c : line) {
        if (!IsBlank(c)) text += c;
    }
    return text;
}

// Reads the catalog's lines one by one, skipping empty ones, and tells where it failed.
class CatalogReader {
public:
    CatalogReader(std::string_view text, const std::string& path) : text_(text), path_(path) {}

    bool Expect(const std::string& wanted, const char* what);
    template <typename Value>
    bool Values(CatalogSlots& slots, Value CatalogSlot::*field, long long least, long long most);
    bool AtEnd();
    const Status& Error() const { return error_; }

private:
    bool Next(std::string& line);
    bool Fail(const std::string& what);

    std::string_view text_;
    const std::string& path_;
    int lineNumber_ = 0;
    Status error_;
};

bool CatalogReader::Next(std::string& line) {
    while (!text_.empty()) {
        const std::size_t end = text_.find('\n');
        line = WithoutBlanks(text_.substr(0, end));
        text_ = end == std::string_view::npos ? std::string_view() : text_.substr(end + 1);
        ++lineNumber_;
        if (!line.empty()) return true;
    }
    return false;
}

bool CatalogReader::Fail(const std::string& what) {
    error_ = Status::Error(Status::NOT_A_PACK, Format("%1 is not a checksum catalog: line %2 %3.",
                                                      path_, std::to_string(lineNumber_), what));
    return false;
}

bool CatalogReader::Expect(const std::string& wanted, const char* what) {
    std::string line;
    if (!Next(line)) {
        ++lineNumber_;
        return Fail(std::string("is missing; ") + what + " was expected");
    }
    return line == WithoutBlanks(wanted) || Fail(std::string("is not ") + what);
}

template <typename Value>
bool CatalogReader::Values(CatalogSlots& slots, Value CatalogSlot::*field, long long least,
                           long long most) {
    for (CatalogSlot& slot : slots) {
        std::string line;
        if (!Next(line)) {
            ++lineNumber_;
            return Fail("is missing; a value was expected");
        }
        long long value = 0;
        int used = 0;
        const bool number = std::sscanf(line.c_str(), "%lld,%n", &value, &used) == 1 &&
                            static_cast<std::size_t>(used) == line.size() && line.back() == ',';
        const bool digits = line.find_first_not_of("-0123456789,") == std::string::npos;
        if (!number || !digits || value < least || value > most || line.size() > 13) {
            return Fail("holds no value of the array followed by a comma");
        }
        slot.*field = static_cast<Value>(value);
    }
    return true;
}

bool CatalogReader::AtEnd() {
    std::string line;
    return !Next(line) || Fail("follows the end of the catalog");
}

}  // namespace

std::uint64_t CatalogSlot::Value() const {
    return JoinHalves(low, high);
}

CatalogSlot CatalogSlot::Of(std::uint64_t checksum) {
    return {static_cast<std::uint32_t>(checksum),
            static_cast<std::int32_t>(static_cast<std::uint32_t>(checksum >> 32))};
}

std::string CatalogText(const CatalogSlots& slots) {
    std::string text;
    char line[32];
    text += std::string(kCatalogLowDeclaration) + kLineEnd + "{" + kLineEnd;
    for (const CatalogSlot& slot : slots) {
        std::snprintf(line, sizeof line, "\t%u,%s", slot.low, kLineEnd);
        text += line;
    }
    text += std::string("};") + kLineEnd + kLineEnd;
    text += std::string(kCatalogHighDeclaration) + kLineEnd + "{" + kLineEnd;
    for (const CatalogSlot& slot : slots) {
        std::snprintf(line, sizeof line, "\t%d,%s", slot.high, kLineEnd);
        text += line;
    }
    text += std::string("};") + kLineEnd;
    return text;
}

Status WriteCatalog(const std::string& path, const CatalogSlots& slots, FileLayer& files) {
    const std::string text = CatalogText(slots);
    AtomicFile file(files, path);
    if (!file.Create()) return FileError(Status::CANNOT_OPEN, path, file.Error());
    if (!file.Write(text.data(), text.size()) || !file.Commit()) {
        return FileError(Status::WRITE_FAILED, path, file.Error());
    }
    return Status::Ok();
}

Status ParseCatalog(std::string_view text, const std::string& path, CatalogSlots& slots) {
    CatalogSlots read;
    CatalogReader reader(text, path);
    const bool ok = reader.Expect(kCatalogLowDeclaration, "the declaration of TableLowPart") &&
                    reader.Expect("{", "\"{\"") &&
                    reader.Values(read, &CatalogSlot::low, 0, 4294967295LL) &&
                    reader.Expect("};", "\"};\"") &&
                    reader.Expect(kCatalogHighDeclaration, "the declaration of TableHighPart") &&
                    reader.Expect("{", "\"{\"") &&
                    reader.Values(read, &CatalogSlot::high, -2147483648LL, 2147483647LL) &&
                    reader.Expect("};", "\"};\"") && reader.AtEnd();
    if (!ok) return reader.Error();
    slots = read;
    return Status::Ok();
}

Status ReadCatalog(const std::string& path, CatalogSlots& slots, FileLayer& files) {
    std::string text;
    const int error = base::ReadWholeFile(files, path, text);
    if (error != 0) return FileError(Status::CANNOT_OPEN, path, error);
    return ParseCatalog(text, path, slots);
}

}  // namespace brisko
