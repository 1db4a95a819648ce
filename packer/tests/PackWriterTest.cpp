// Writing packs: the byte layout against a pack built step by step from the format's rules, the
// same bytes whatever the number of threads, and failures that leave an old pack whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "Buffer.h"
#include "FaultyFiles.h"
#include "HostPath.h"
#include "PackStamp.h"
#include "PackTestFiles.h"
#include "PackWriter.h"

namespace brisko {
namespace {

using Members = std::vector<std::pair<std::string, std::string>>;

constexpr std::uint64_t kCreated = 133500000000000000ull;  // a moment in 2024

struct Packed {
    Status status;
    std::string bytes;
    PackWritten written;
};

// The classic streams: what compress2 gives at level 9, as the reference pack holds them.
PackWriteOptions Classic(PackWriteOptions options = {}) {
    options.zlib = true;
    return options;
}

// Writes the members into a folder, packs them in this order and reads the pack back.
Packed PackMembers(const test::TempDir& dir, const Members& members,
                   PackWriteOptions options = {}) {
    NameList names;
    test::Tree tree;
    for (const auto& [name, bytes] : members) {
        names.push_back(name);
        tree[name] = bytes;
    }
    test::MakeTree(dir.File("scen"), tree);
    if (!options.created) options.created = kCreated;
    const std::string pack = dir.File("scen.zpk");
    Packed packed;
    packed.status = WritePackFile(names, pack, dir.File("scen") + "/", options, &packed.written);
    if (test::Exists(pack)) packed.bytes = test::ReadFile(pack);
    return packed;
}

TEST(WritePackFileTest, EmptyListWritesNothingAndKeepsTheStamp) {
    test::TempDir dir;
    PackStamp.SetChecksum(0x1122334455667788ull);
    PackStamp.SetCreated(99);
    const Status status = WritePackFile({}, dir.File("p.zpk"), dir.File(""));
    EXPECT_EQ(status.kind, Status::NOTHING_TO_PACK);
    EXPECT_EQ(status.message, "There are no files to pack into " + dir.File("p.zpk") + ".");
    EXPECT_TRUE(test::EntriesIn(dir.Path()).empty());
    EXPECT_EQ(PackStamp.Checksum(), 0x1122334455667788ull);
    EXPECT_EQ(PackStamp.Created(), 99u);
}

// The same layout whichever kind of stream the members are: the directory, the offsets and the
// checksum as the format's rules give them, every stream inflating with zlib to its file's bytes;
// the classic streams are compress2's at level 9 byte for byte.
struct LayoutCase {
    const char* name;
    bool zlib;
    Members members;
};

// Test names and failures show the case by its name.
void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.name;
}

class Layouts : public testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, FollowTheFormatAndSetTheStampWhenComplete) {
    const LayoutCase& c = GetParam();
    test::TempDir dir;
    PackWriteOptions options;
    options.zlib = c.zlib;
    const Packed packed = PackMembers(dir, c.members, options);
    ASSERT_TRUE(packed.status.ok()) << packed.status.message;
    const std::vector<std::string> streams = test::MemberStreams(packed.bytes);
    ASSERT_EQ(streams.size(), c.members.size());
    for (std::size_t i = 0; i < streams.size(); ++i) {
        EXPECT_EQ(test::InflateWithZlib(streams[i], c.members[i].second.size()),
                  c.members[i].second)
            << c.members[i].first;
        if (c.zlib) {
            EXPECT_EQ(streams[i], test::Compress9(c.members[i].second));
        }
    }
    const auto taken = [&](std::size_t i, const std::string&) { return streams[i]; };
    EXPECT_EQ(packed.bytes, test::ReferencePack(c.members, kCreated, taken));
    std::vector<std::string> tables;
    std::uint64_t sizes = 0;
    for (const auto& [name, bytes] : c.members) {
        if (name.find(".csv") != std::string::npos || name.find(".CSV") != std::string::npos) {
            tables.push_back(bytes);
        }
        sizes += bytes.size();
    }
    const std::uint64_t checksum = test::ReferenceChecksum(tables, kCreated);
    EXPECT_EQ(PackStamp.Checksum(), checksum);
    EXPECT_EQ(PackStamp.Created(), kCreated);
    EXPECT_EQ(packed.written.checksum, checksum);
    EXPECT_EQ(packed.written.created, kCreated);
    EXPECT_EQ(packed.written.members, c.members.size());
    EXPECT_EQ(packed.written.uncompressedBytes, sizes);
    EXPECT_EQ(packed.written.packBytes, packed.bytes.size());
}

const Members kLayoutMembers = {
    {"units.csv", "Id,Men,\r\n1,12,\r\n2,-7,\r\n"},
    {"Data Files\\Orders.CSV", "5,6\n7,,x,8,\n"},  // upper case: still a table
    {"maps\\Sub\\Map.bmp", std::string("\0\1\2\xff", 4) + std::string(3000, 'a')},
    {"briefing.txt", "12,13,14\r\n"},  // numbers, but no table
    {"empty.ini", ""},
};

INSTANTIATE_TEST_SUITE_P(
    Pack, Layouts,
    testing::Values(LayoutCase{"Default", false, kLayoutMembers},
                    LayoutCase{"Zlib", true, kLayoutMembers},
                    LayoutCase{"DefaultOneEmptyFile", false, {{"empty.txt", ""}}},
                    LayoutCase{"ZlibOneEmptyFile", true, {{"empty.txt", ""}}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(WritePackFileTest, OneEmptyFileGivesAnEightByteStreamAndT300) {
    test::TempDir dir;
    const Packed packed = PackMembers(dir, {{"empty.txt", ""}}, Classic());
    ASSERT_TRUE(packed.status.ok()) << packed.status.message;
    ASSERT_EQ(packed.bytes.size(), 304u);
    EXPECT_EQ(test::U32At(packed.bytes, 8), 1u);         // N
    EXPECT_EQ(test::U32At(packed.bytes, 12), 300u);      // T
    EXPECT_EQ(test::U32At(packed.bytes, 16 + 260), 8u);  // compressed size
    EXPECT_EQ(test::U32At(packed.bytes, 16 + 264), 0u);  // data offset
    EXPECT_EQ(test::U32At(packed.bytes, 16 + 268), 0u);  // uncompressed size
}

TEST(WritePackFileTest, NamesKeepTheirCaseAndTheRestOfTheFieldIsZeros) {
    test::TempDir dir;
    const Packed packed = PackMembers(dir, kLayoutMembers);
    ASSERT_TRUE(packed.status.ok()) << packed.status.message;
    EXPECT_EQ(packed.bytes.substr(16 + 272, 22), std::string("Data Files\\Orders.CSV\0", 22));
    EXPECT_EQ(packed.bytes.substr(16 + 272 + 22, 238), std::string(238, '\0'));
}

// On the game's tables the default streams are no larger than zlib's level 9 makes them.
TEST(WritePackFileTest, DefaultStreamsOfTablesAreNoLargerThanZlibs) {
    test::TempDir dir;
    const Members members = {{"a.csv", test::GameTable(3000, 12, 1)},
                             {"b.csv", test::GameTable(800, 25, 2)}};
    const Packed fast = PackMembers(dir, members);
    ASSERT_TRUE(fast.status.ok());
    const std::vector<std::string> streams = test::MemberStreams(fast.bytes);
    for (std::size_t i = 0; i < members.size(); ++i) {
        EXPECT_LE(streams[i].size(), test::Compress9(members[i].second).size()) << i;
    }
}

TEST(WritePackFileTest, PackWithoutTablesHasTheSeedAsChecksum) {
    test::TempDir dir;
    const Packed packed = PackMembers(dir, {{"a.txt", "1,2,3"}, {"b.ini", "[x]\r\ny=4\r\n"}});
    ASSERT_TRUE(packed.status.ok());
    const std::uint64_t stored = std::uint64_t(test::U32At(packed.bytes, packed.bytes.size() - 4))
                                     << 32 |
                                 test::U32At(packed.bytes, 0);
    EXPECT_EQ(stored, kCreated + SeedOffset);
}

TEST(WritePackFileTest, PacksOfTheSameFolderDifferOnlyInTimeAndChecksum) {
    test::TempDir first;
    test::TempDir second;
    const Members members = {{"a.csv", "1,2,3\r\n"}, {"b.bmp", "xyz"}};
    PackWriteOptions later;
    later.created = kCreated + 10000;
    const Packed a = PackMembers(first, members);
    const Packed b = PackMembers(second, members, later);
    ASSERT_EQ(a.bytes.size(), b.bytes.size());
    const std::size_t createdHigh = 16 + 272 * 2;
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) {
        if (a.bytes[i] != b.bytes[i]) differing.push_back(i);
    }
    for (std::size_t i : differing) {
        EXPECT_TRUE(i < 8 || (i >= createdHigh && i < createdHigh + 4) || i >= a.bytes.size() - 4)
            << "byte " << i;
    }
    EXPECT_FALSE(differing.empty());
}

TEST(WritePackFileTest, ThreadsAndHoldingLimitsNeverChangeTheBytes) {
    const Members members = test::ManyMembers();
    const std::string classic = test::ReferencePack(members, kCreated);
    std::string fast;  // the default streams, as the first such row wrote them
    struct Case {
        unsigned threads;
        std::size_t pendingLimit;
        bool zlib;
    };
    const Case cases[] = {{1, 64u << 20, false}, {2, 64u << 20, false}, {3, 0, false},
                          {8, 20000, false},     {1, 64u << 20, true},  {2, 64u << 20, true},
                          {3, 0, true},          {4, 1, true},          {8, 20000, true},
                          {0, 64u << 20, true}};
    for (const Case& c : cases) {
        test::TempDir dir;
        PackWriteOptions options;
        options.threads = c.threads;
        options.pendingLimit = c.pendingLimit;
        options.zlib = c.zlib;
        PackTimings timings;
        options.timings = &timings;
        const Packed packed = PackMembers(dir, members, options);
        ASSERT_TRUE(packed.status.ok()) << packed.status.message;
        if (!c.zlib && fast.empty()) fast = packed.bytes;
        EXPECT_TRUE(packed.bytes == (c.zlib ? classic : fast))
            << c.threads << " threads, limit " << c.pendingLimit << (c.zlib ? ", zlib" : "");
        EXPECT_GT(timings.compressing, 0);
        EXPECT_GE(timings.total, timings.writing);
    }
}

// Memory that runs out for one member ends the write with a text naming that member; the buffers
// it leaves stay fit for the members still in hand, and the old pack stays.
TEST(WritePackFileTest, MemoryRunningOutNamesTheMember) {
    struct Case {
        const char* name;
        std::size_t size;  // of the member that runs out
        bool zlib;
        std::size_t limit;
    };
    const Case cases[] = {
        {"InputBuffer", 6u << 20, false, 5u << 20},
        {"OutputBuffer", 9u << 19, true, 19u << 18},  // 4.5 MiB fits, its bound does not
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        std::string big = test::GameTable(static_cast<int>(c.size / 60), 12, 5);
        big.resize(c.size, '7');
        const Members members = {{"a.csv", "1,2"},
                                 {"big.csv", big},
                                 {"c.csv", "3,4"},
                                 {"d.csv", test::GameTable(2000, 9, 6)}};
        test::WriteFile(dir.File("scen.zpk"), "old pack");
        PackWriteOptions options;
        options.threads = 1;
        options.zlib = c.zlib;
        Buffer::Limit() = c.limit;
        const Packed packed = PackMembers(dir, members, options);
        Buffer::Limit() = std::numeric_limits<std::size_t>::max();
        EXPECT_EQ(packed.status.kind, Status::NO_MEMORY) << c.name;
        EXPECT_EQ(packed.status.message, "Not enough memory to pack " + dir.File("scen") +
                                             "/big.csv into " + dir.File("scen.zpk") + ".")
            << c.name;
        EXPECT_EQ(packed.bytes, "old pack") << c.name;
    }
}

TEST(WritePackFileTest, NameOf259CharactersFits) {
    test::TempDir dir;
    const std::string name =
        std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" + std::string(57, 'c');
    const Packed packed = PackMembers(dir, {{name, "x"}});
    ASSERT_TRUE(packed.status.ok()) << packed.status.message;
    EXPECT_EQ(packed.bytes.substr(16, 260), name + '\0');
}

TEST(WritePackFileTest, PackThatWouldReachTheSizeLimitIsRefused) {
    test::TempDir dir;
    PackWriteOptions options;
    options.packSizeLimit = 20 + 272 * 2 + 4 + 40;  // room for the directory, not for the data
    const Packed packed =
        PackMembers(dir, {{"a.csv", test::GameTable(10, 5, 1)}, {"b.csv", "1"}}, options);
    EXPECT_EQ(packed.status.kind, Status::TOO_LARGE);
    EXPECT_EQ(packed.status.message, "The pack " + dir.File("scen.zpk") +
                                         " would reach 4 GiB; a pack must stay below 4 GiB.");
    EXPECT_FALSE(test::Exists(dir.File("scen.zpk")));
    EXPECT_EQ(test::EntriesIn(dir.Path()), std::vector<std::string>{"scen"});
}

TEST(WritePackFileTest, LinkToAnOldPackKeepsTheLinkAndReplacesTheFileItNames) {
    if (const char* why = test::FileLinksUnseen()) GTEST_SKIP() << why;
    test::TempDir dir;
    test::WriteFile(dir.File("real.zpk"), "old");
    EXPECT_TRUE(test::MakeLink("real.zpk", dir.File("scen.zpk"), false));
    const Packed packed = PackMembers(dir, {{"a.csv", "1,2"}}, Classic());
    ASSERT_TRUE(packed.status.ok()) << packed.status.message;
    EXPECT_TRUE(test::IsLink(dir.File("scen.zpk")));
    EXPECT_EQ(test::ReadFile(dir.File("real.zpk")),
              test::ReferencePack({{"a.csv", "1,2"}}, kCreated));
}

}  // namespace
}  // namespace brisko
