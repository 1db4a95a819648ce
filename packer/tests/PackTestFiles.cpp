#include "PackTestFiles.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "PackFormat.h"

namespace brisko::test {

namespace fs = std::filesystem;

void MakeTree(const std::string& folder, const Tree& tree) {
    for (const auto& [name, bytes] : tree) {
        std::string relative = name;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const fs::path path = base::test::HostPath(folder) / base::test::HostPath(relative);
        fs::create_directories(path.parent_path());
        WriteFile(base::test::PathText(path), bytes);
    }
}

Tree ReadTree(const std::string& folder) {
    Tree tree;
    const fs::path top = base::test::HostPath(folder);
    for (const auto& entry : fs::recursive_directory_iterator(top)) {
        if (entry.is_directory()) continue;
        std::string name = base::test::PathText(fs::relative(entry.path(), top));
        std::replace(name.begin(), name.end(), '/', '\\');
        tree[name] = ReadFile(base::test::PathText(entry.path()));
    }
    return tree;
}

std::string TreeDifference(const Tree& actual, const Tree& expected) {
    std::string text;
    for (const auto& [name, bytes] : actual) {
        const auto other = expected.find(name);
        if (other == expected.end()) {
            text += "unexpected " + name + "; ";
        } else if (other->second != bytes) {
            text += "other bytes in " + name + "; ";
        }
    }
    for (const auto& [name, bytes] : expected) {
        if (!actual.count(name)) text += "missing " + name + "; ";
    }
    return text;
}

std::vector<std::string> EntriesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(base::test::PathText(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Compress9(const std::string& bytes) {
    uLongf size = compressBound(bytes.size());
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(bytes.data()), bytes.size(), 9) != Z_OK) {
        throw std::runtime_error("compress2 failed");
    }
    out.resize(size);
    return out;
}

std::string InflateWithZlib(const std::string& stream, std::size_t size) {
    std::string out(size, '\0');
    uLongf produced = size;
    uLong consumed = stream.size();
    Bytef spare;
    const int z = uncompress2(size ? reinterpret_cast<Bytef*>(out.data()) : &spare, &produced,
                              reinterpret_cast<const Bytef*>(stream.data()), &consumed);
    if (z != Z_OK || produced != size || consumed != stream.size()) {
        throw std::runtime_error("not one zlib stream of the recorded size");
    }
    return out;
}

std::vector<std::string> MemberStreams(const std::string& pack) {
    const std::uint32_t count = U32At(pack, 8);
    const std::size_t dataStart = 20 + std::size_t{272} * count;
    std::vector<std::string> streams;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t record = 16 + std::size_t{272} * i;
        streams.push_back(
            pack.substr(dataStart + U32At(pack, record + 264), U32At(pack, record + 260)));
    }
    return streams;
}

std::uint32_t U32At(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(offset + i));
    return value;
}

void SetU32At(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<char>(value >> (8 * i));
}

namespace {

// Cuts text into lines and fields the plain way, for the reference checksum.
std::vector<std::int32_t> FieldsOf(const std::string& text) {
    std::vector<std::int32_t> fields;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos) end = text.size();
        if (end > start && text[end - 1] == '\r' && end < text.size()) --end;
        std::string line = text.substr(start, end - start);
        while (!line.empty()) {
            std::size_t i = 0;
            while (i < line.size() &&
                   std::string(" \t\n\v\f\r").find(line[i]) != std::string::npos) {
                ++i;
            }
            bool negative = false;
            if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
            std::uint32_t value = 0;
            while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
                value = value * 10u + static_cast<std::uint32_t>(line[i++] - '0');
            }
            fields.push_back(static_cast<std::int32_t>(negative ? 0u - value : value));
            const std::size_t comma = line.find(',');
            line = comma == std::string::npos || comma + 1 == line.size() ? ""
                                                                          : line.substr(comma + 1);
        }
        start = next;
    }
    return fields;
}

void Put(std::string& to, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        to += static_cast<char>(value >> (8 * i));
}

}  // namespace

std::uint64_t ReferenceChecksum(const std::vector<std::string>& tables, std::uint64_t created) {
    std::uint64_t sum = created + SeedOffset;
    std::size_t j = 0;
    for (const std::string& table : tables) {
        for (std::int32_t value : FieldsOf(table)) {
            const std::uint32_t low = static_cast<std::uint32_t>(ChecksumWeights[j % 25]) *
                                      static_cast<std::uint32_t>(value);
            sum += static_cast<std::uint64_t>(
                static_cast<std::int64_t>(static_cast<std::int32_t>(low)));
            ++j;
        }
    }
    return sum;
}

std::string ReferencePack(const std::vector<std::pair<std::string, std::string>>& members,
                          std::uint64_t created, const StreamMaker& makeStream) {
    std::vector<std::string> tables;
    std::string directory;
    std::string data;
    for (const auto& [name, bytes] : members) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
        if (lower.find(".csv") != std::string::npos) tables.push_back(bytes);
        const std::string stream =
            makeStream ? makeStream(directory.size() / 272, bytes) : Compress9(bytes);
        std::string record = name;
        record.resize(260, '\0');
        Put(record, static_cast<std::uint32_t>(stream.size()));
        Put(record, static_cast<std::uint32_t>(data.size()));
        Put(record, static_cast<std::uint32_t>(bytes.size()));
        directory += record;
        data += stream;
    }
    const std::uint64_t checksum = ReferenceChecksum(tables, created);
    std::string pack;
    Put(pack, static_cast<std::uint32_t>(checksum));
    Put(pack, static_cast<std::uint32_t>(created));
    Put(pack, static_cast<std::uint32_t>(members.size()));
    Put(pack, static_cast<std::uint32_t>(20 + directory.size() + data.size()));
    pack += directory;
    Put(pack, static_cast<std::uint32_t>(created >> 32));
    pack += data;
    Put(pack, static_cast<std::uint32_t>(checksum >> 32));
    return pack;
}

std::vector<std::pair<std::string, std::string>> ManyMembers() {
    std::vector<std::pair<std::string, std::string>> members;
    const int rows[] = {5, 900, 0, 40, 2500, 1, 300, 1200, 7, 60, 2000, 3};
    for (int i = 0; i < 12; ++i) {
        const std::string name =
            (i % 3 ? "t" : "Data Files\\t") + std::to_string(i) + (i % 4 == 3 ? ".bin" : ".csv");
        members.push_back({name, GameTable(rows[i], 9, static_cast<unsigned>(i))});
    }
    return members;
}

std::string GameTable(int rows, int fields, unsigned seed) {
    static const char* const kWords[] = {"Rifle", "Lancer", "Carter", "Warden", "HQ", "Scout"};
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    std::string text;
    for (int r = 0; r < rows; ++r) {
        for (int f = 0; f < fields; ++f) {
            switch (f % 5) {
                case 0:
                    text += std::to_string(r);
                    break;
                case 1:
                    text += std::to_string(next() % 1000);
                    break;
                case 2:
                    text += std::to_string(static_cast<int>(next() % 4000) - 2000);
                    break;
                case 3:
                    text += kWords[next() % 6];
                    break;
                default:
                    text += std::to_string(next() % 5000000000ull);
                    break;  // wraps at times
            }
            text += ',';
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace brisko::test
