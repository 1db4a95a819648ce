// Reading packs: the directory and the members of intact packs, the exact outcome of damaged and
// hostile ones, and checksum verification.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "PackFile.h"
#include "PackStamp.h"
#include "PackTestFiles.h"

namespace brisko {
namespace {

using Members = std::vector<std::pair<std::string, std::string>>;

constexpr std::uint64_t kCreated = 133500000000000000ull;

const Members kMembers = {
    {"units.csv", "Id,Men,\r\n1,12,\r\n2,-7,\r\n"},
    {"Maps\\Map.BMP", std::string("\0\1\2\xff", 4) + std::string(500, 'm')},
    {"Data Files\\orders.CSV", "5,6\n7,,x,8,\n"},
};

// Writes the pack that the format's rules give for these members.
std::string WritePack(const test::TempDir& dir, const Members& members,
                      const char* name = "p.zpk") {
    const std::string path = dir.File(name);
    test::WriteFile(path, test::ReferencePack(members, kCreated));
    return path;
}

std::string ReadAll(const CPackFile& pack, const PackEntry& entry) {
    Buffer data;
    const Status status = pack.ReadMember(entry, data);
    EXPECT_TRUE(status.ok()) << status.message;
    return std::string(data.view());
}

TEST(CPackFileTest, OpensTheDirectoryAndReadsEveryMemberExactly) {
    test::TempDir dir;
    const std::string path = WritePack(dir, kMembers);
    CPackFile pack;
    ASSERT_TRUE(pack.Open(path)) << pack.Error().message;
    ASSERT_EQ(pack.GetCount(), kMembers.size());
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        const PackEntry* entry = pack.GetEntry(static_cast<std::int64_t>(i));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->Name(), kMembers[i].first);  // letter case as packed
        EXPECT_EQ(entry->uncompressedSize, kMembers[i].second.size());
        EXPECT_EQ(ReadAll(pack, *entry), kMembers[i].second);
    }
    const std::uint64_t checksum =
        test::ReferenceChecksum({kMembers[0].second, kMembers[2].second}, kCreated);
    EXPECT_EQ(pack.StoredChecksum(), checksum);
    EXPECT_EQ(PackStamp.Checksum(), checksum);
    EXPECT_EQ(PackStamp.Created(), kCreated);
    EXPECT_EQ(pack.GetEntry(3), nullptr);
    EXPECT_EQ(pack.GetEntry(-1), nullptr);
    pack.Close();
    EXPECT_EQ(pack.GetCount(), 0u);
    EXPECT_EQ(pack.GetEntry(0), nullptr);
}

// A pack open in one reader is opened and read by another, and stays open to a program that
// writes it (on Windows: the share modes of the reader).
TEST(CPackFileTest, OpenPackCanBeOpenedByOthers) {
    test::TempDir dir;
    const std::string path = WritePack(dir, kMembers);
    CPackFile first;
    ASSERT_TRUE(first.Open(path)) << first.Error().message;
    CPackFile second;
    ASSERT_TRUE(second.Open(path)) << second.Error().message;
    EXPECT_EQ(second.VerifyChecksum(second.StoredChecksum()), CHECK_MATCHED_BOTH);
    EXPECT_EQ(ReadAll(first, *first.GetEntry(2)), kMembers[2].second);
    base::FileLayer& files = base::FileLayer::System();
    int writer = files.Open(path, base::kWrite);
    EXPECT_GE(writer, 0) << errno;
    base::CloseQuietly(files, writer);
    EXPECT_EQ(ReadAll(second, *second.GetEntry(0)), kMembers[0].second);
}

TEST(CPackFileTest, HighlyCompressedMemberReads) {
    test::TempDir dir;
    const std::string zeros(10 << 20, '\0');  // close to deflate's highest ratio
    CPackFile pack;
    ASSERT_TRUE(pack.Open(WritePack(dir, {{"zeros.bin", zeros}})));
    EXPECT_LT(pack.GetEntry(0)->compressedSize * 1000ull, zeros.size());
    EXPECT_TRUE(ReadAll(pack, *pack.GetEntry(0)) == zeros);
}

TEST(CPackFileTest, FileThatCannotBeOpenedGivesItsTextAndNoDirectory) {
    test::TempDir dir;
    CPackFile pack;
    EXPECT_FALSE(pack.Open(dir.File("missing.zpk")));
    EXPECT_EQ(pack.Error().kind, Status::CANNOT_OPEN);
    EXPECT_EQ(pack.Error().message, dir.File("missing.zpk") + " was not found.");
    EXPECT_EQ(pack.GetEntry(0), nullptr);
    EXPECT_FALSE(pack.Open(dir.File("")));
    EXPECT_EQ(pack.Error().message, dir.File("") + " is not a pack: it is not a plain file.");
}

// A damaged pack is refused by Open with the exact reason; nothing of it is kept.
struct DamageCase {
    const char* name;
    std::function<void(std::string&)> damage;
    std::string reason;  // after "<path> is damaged: " or as the whole text after the path
};

// Test names and failures show the case by its name.
void PrintTo(const DamageCase& c, std::ostream* out) {
    *out << c.name;
}

class DamagedPacks : public testing::TestWithParam<DamageCase> {};

const std::size_t kEntry1 = 16 + 272;  // the second record

TEST_P(DamagedPacks, AreNotOpened) {
    test::TempDir dir;
    std::string bytes = test::ReferencePack(kMembers, kCreated);
    GetParam().damage(bytes);
    const std::string path = dir.File("p.zpk");
    test::WriteFile(path, bytes);
    PackStamp.SetChecksum(5);
    PackStamp.SetCreated(6);
    CPackFile pack;
    EXPECT_FALSE(pack.Open(path));
    EXPECT_EQ(pack.Error().kind, Status::NOT_A_PACK);
    EXPECT_EQ(pack.Error().message, path + GetParam().reason);
    EXPECT_EQ(pack.GetCount(), 0u);
    EXPECT_EQ(pack.GetEntry(0), nullptr);
    EXPECT_EQ(PackStamp.Checksum(), 5u);
    EXPECT_EQ(PackStamp.Created(), 6u);
}

void Truncate(std::string& bytes, std::size_t size) {
    bytes.resize(size);
}

INSTANTIATE_TEST_SUITE_P(
    Pack, DamagedPacks,
    testing::Values(
        DamageCase{"Empty", [](std::string& b) { Truncate(b, 0); },
                   " is not a pack: it is too short to hold a pack header."},
        DamageCase{"TruncatedInHeader", [](std::string& b) { Truncate(b, 15); },
                   " is not a pack: it is too short to hold a pack header."},
        DamageCase{"TruncatedInDirectory", [](std::string& b) { Truncate(b, 400); },
                   " is damaged: its directory of 3 members runs past the end of the file."},
        DamageCase{"TruncatedBeforeCreatedHigh", [](std::string& b) { Truncate(b, 16 + 816 + 3); },
                   " is damaged: its directory of 3 members runs past the end of the file."},
        DamageCase{"TruncatedInData", [](std::string& b) { Truncate(b, b.size() - 30); },
                   " is damaged: its trailer offset 901 lies outside its data area."},
        DamageCase{"TruncatedInTrailer", [](std::string& b) { Truncate(b, b.size() - 1); },
                   " is damaged: its trailer offset 901 lies outside its data area."},
        DamageCase{"HugeMemberCount", [](std::string& b) { test::SetU32At(b, 8, 0xFFFFFFFF); },
                   " is damaged: its directory of 4294967295 members runs past the end of the "
                   "file."},
        DamageCase{
            "TrailerBeyondTheEnd",
            [](std::string& b) { test::SetU32At(b, 12, static_cast<std::uint32_t>(b.size())); },
            " is damaged: its trailer offset 905 lies outside its data area."},
        DamageCase{"TrailerInsideTheDirectory", [](std::string& b) { test::SetU32At(b, 12, 100); },
                   " is damaged: its trailer offset 100 lies outside its data area."},
        DamageCase{"NameWithoutItsEnd",
                   [](std::string& b) { b.replace(kEntry1, 260, std::string(260, 'n')); },
                   " is damaged: the name of member 2 has no end."},
        DamageCase{"OffsetBeyondTheEnd",
                   [](std::string& b) { test::SetU32At(b, kEntry1 + 264, 0x7FFFFFF0); },
                   " is damaged: the data of member 2 lies outside the data area."},
        DamageCase{"CompressedSizeIntoTheTrailer",
                   [](std::string& b) {
                       test::SetU32At(b, kEntry1 + 272 + 260,
                                      test::U32At(b, kEntry1 + 272 + 260) + 1);
                   },
                   " is damaged: the data of member 3 lies outside the data area."},
        DamageCase{"OverlappingMembers",
                   [](std::string& b) {
                       test::SetU32At(b, kEntry1 + 272 + 264, test::U32At(b, kEntry1 + 264) + 4);
                   },
                   " is damaged: the data of members 2 and 3 overlap."},
        DamageCase{"SameDataTwice", [](std::string& b) { test::SetU32At(b, kEntry1 + 264, 0); },
                   " is damaged: the data of members 1 and 2 overlap."}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(CPackFileTest, BytesAfterTheTrailerAreIgnored) {
    test::TempDir dir;
    const std::string path = dir.File("p.zpk");
    test::WriteFile(path, test::ReferencePack(kMembers, kCreated) + "tail");
    CPackFile pack;
    ASSERT_TRUE(pack.Open(path)) << pack.Error().message;
    EXPECT_EQ(ReadAll(pack, *pack.GetEntry(2)), kMembers[2].second);
}

// A pack that opens but whose member data is damaged: reading the member fails with the exact
// reason, verification fails, extraction stops.
struct MemberDamageCase {
    const char* name;
    std::function<std::string()> pack;  // a one-member pack "a.csv"
    const char* reason;
    const char* extracted = nullptr;  // what the extraction says instead, after the path
};

// Test names and failures show the case by its name.
void PrintTo(const MemberDamageCase& c, std::ostream* out) {
    *out << c.name;
}

class DamagedMembers : public testing::TestWithParam<MemberDamageCase> {};

// A one-member pack "a.csv" with the given stream and recorded size.
std::string OneMember(const std::string& stream, std::uint32_t size) {
    std::string bytes = test::ReferencePack({{"a.csv", "1,2,3"}}, kCreated);
    const std::string data = bytes.substr(16 + 272 + 4, test::U32At(bytes, 16 + 260));
    bytes.replace(16 + 272 + 4, data.size(), stream);
    test::SetU32At(bytes, 16 + 260, static_cast<std::uint32_t>(stream.size()));
    test::SetU32At(bytes, 16 + 268, size);
    test::SetU32At(bytes, 12, static_cast<std::uint32_t>(16 + 272 + 4 + stream.size()));
    return bytes;
}

TEST_P(DamagedMembers, FailToReadAndToVerify) {
    test::TempDir dir;
    const std::string path = dir.File("p.zpk");
    test::WriteFile(path, GetParam().pack());
    CPackFile pack;
    ASSERT_TRUE(pack.Open(path)) << pack.Error().message;
    Buffer data;
    const Status status = pack.ReadMember(*pack.GetEntry(0), data);
    EXPECT_EQ(status.kind, Status::DAMAGED_MEMBER);
    const std::string message = "The member a.csv of " + path + " is damaged: " + GetParam().reason;
    EXPECT_EQ(status.message, message);
    EXPECT_EQ(pack.VerifyChecksum(pack.StoredChecksum()), CHECK_FAILED_ALL);
    EXPECT_EQ(pack.Error().message, message);
    test::WriteFile(dir.File("keep"), "");
    EXPECT_FALSE(pack.ExtractAll(dir.File("out")));
    EXPECT_EQ(pack.Error().message, GetParam().extracted
                                        ? "The member a.csv of " + path + GetParam().extracted
                                        : message);
    EXPECT_TRUE(test::EntriesIn(dir.File("out")).empty());  // no partial member
}

const std::string kStream = test::Compress9("1,2,3");

INSTANTIATE_TEST_SUITE_P(
    Pack, DamagedMembers,
    testing::Values(
        MemberDamageCase{"BadHeader",
                         [] {
                             std::string s = kStream;
                             s[0] = static_cast<char>(s[0] ^ 0x55);
                             return OneMember(s, 5);
                         },
                         "its data does not inflate."},
        MemberDamageCase{"StreamChecksumWrong",
                         [] {
                             std::string s = kStream;
                             s.back() = static_cast<char>(s.back() ^ 1);
                             return OneMember(s, 5);
                         },
                         "its data does not inflate."},
        MemberDamageCase{"SizeFarBeyondTheStream", [] { return OneMember(kStream, 0xFFFFFFF0); },
                         "its recorded size is more than its data can hold."},
        MemberDamageCase{"SizeOneMore", [] { return OneMember(kStream, 6); },
                         "its data inflates to less than its recorded size."},
        MemberDamageCase{"SizeOneLess", [] { return OneMember(kStream, 4); },
                         "its data inflates to more than its recorded size."},
        MemberDamageCase{"BytesAfterTheStream", [] { return OneMember(kStream + "xyz", 5); },
                         "bytes follow the end of its data."},
        MemberDamageCase{"StreamCutShort",
                         [] { return OneMember(kStream.substr(0, kStream.size() - 2), 5); },
                         "its data does not inflate."},
        MemberDamageCase{"NoData", [] { return OneMember("", 5); }, "it holds no data.",
                         " holds no data: its compression failed when the pack was written."}),
    [](const testing::TestParamInfo<MemberDamageCase>& info) {
        return std::string(info.param.name);
    });

// A pack whose first table had one field changed after it was written: the stored checksum and
// creation time are those of the original.
std::string ChangedAfterWriting(const Members& original, Members& changed) {
    changed = original;
    changed[0].second = "Id,Men,\r\n1,13,\r\n2,-7,\r\n";
    const std::string before = test::ReferencePack(original, kCreated);
    std::string after = test::ReferencePack(changed, kCreated);
    after.replace(0, 4, before, 0, 4);
    after.replace(after.size() - 4, 4, before, before.size() - 4, 4);
    return after;
}

TEST(VerifyChecksumTest, GivesEachOutcome) {
    test::TempDir dir;
    Members changed;
    test::WriteFile(dir.File("changed.zpk"), ChangedAfterWriting(kMembers, changed));
    const std::string intact = WritePack(dir, kMembers);
    const std::uint64_t changedSum =
        test::ReferenceChecksum({changed[0].second, changed[2].second}, kCreated);

    CPackFile pack;
    ASSERT_TRUE(pack.Open(intact));
    const std::uint64_t stored = pack.StoredChecksum();
    EXPECT_EQ(pack.VerifyChecksum(stored), CHECK_MATCHED_BOTH);
    EXPECT_EQ(pack.VerifyChecksum(PackStamp.checksumLow, PackStamp.checksumHigh),
              CHECK_MATCHED_BOTH);
    EXPECT_EQ(pack.VerifyChecksum(stored + 1), CHECK_MATCHED_FILE);
    EXPECT_TRUE(pack.Error().ok());

    ASSERT_TRUE(pack.Open(dir.File("changed.zpk")));
    EXPECT_EQ(pack.StoredChecksum(), stored);
    EXPECT_EQ(pack.VerifyChecksum(stored), CHECK_FAILED_ALL);
    EXPECT_EQ(pack.VerifyChecksum(changedSum), CHECK_MATCHED_VALUE);
    EXPECT_EQ(pack.VerifyChecksum(changedSum + 1), CHECK_FAILED_ALL);
    EXPECT_TRUE(pack.Error().ok());
}

TEST(VerifyChecksumTest, PackWithoutTablesMatchesItsSeed) {
    test::TempDir dir;
    CPackFile pack;
    ASSERT_TRUE(pack.Open(WritePack(dir, {{"a.txt", "1,2,3"}, {"b.bmp", "5"}})));
    EXPECT_EQ(pack.StoredChecksum(), kCreated + SeedOffset);
    EXPECT_EQ(pack.VerifyChecksum(pack.StoredChecksum()), CHECK_MATCHED_BOTH);
}

// Each pack keeps what its own Open read, whatever was opened since.
TEST(VerifyChecksumTest, UsesThePacksOwnChecksumAfterAnotherOpen) {
    test::TempDir dir;
    CPackFile first;
    ASSERT_TRUE(first.Open(WritePack(dir, kMembers)));
    CPackFile second;
    ASSERT_TRUE(second.Open(WritePack(dir, {{"x.csv", "9,9"}}, "q.zpk")));
    EXPECT_NE(PackStamp.Checksum(), first.StoredChecksum());
    EXPECT_EQ(first.VerifyChecksum(first.StoredChecksum()), CHECK_MATCHED_BOTH);
}

}  // namespace
}  // namespace brisko
