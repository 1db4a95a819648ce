// Scratch folders, whole-file reads and writes, folder trees and pack bytes for the pack tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FaultyFiles.h"
#include "TestFiles.h"

namespace brisko::test {

using base::test::CallInfo;
using base::test::Exists;
using base::test::FaultyFiles;
using base::test::FileCall;
using base::test::FileLinksUnseen;
using base::test::HostPath;
using base::test::IsLink;
using base::test::LinksUnremovable;
using base::test::MakeJunction;
using base::test::MakeLink;
using base::test::PathText;
using base::test::ReadFile;
using base::test::TempDir;
using base::test::UnderWine;
using base::test::WriteFile;

// Files by member name ("\" between folders) and their bytes.
using Tree = std::map<std::string, std::string>;

// Writes every file of the tree below `folder`, making the folders on the way.
void MakeTree(const std::string& folder, const Tree& tree);
// Every file below `folder` by its member name (links are listed by the file they name).
Tree ReadTree(const std::string& folder);
// "" when the trees are equal, else a short account of the first differences (names only).
std::string TreeDifference(const Tree& actual, const Tree& expected);
// The entries directly in `folder`, sorted.
std::vector<std::string> EntriesIn(const std::filesystem::path& folder);

// One zlib stream of the bytes, as compress2 gives it at level 9.
std::string Compress9(const std::string& bytes);
// The bytes of one zlib stream, inflated with zlib's own uncompress; throws when the stream is not
// one whole stream of exactly `size` bytes.
std::string InflateWithZlib(const std::string& stream, std::size_t size);

// The member streams of pack bytes, in directory order, cut out by the format's rules.
std::vector<std::string> MemberStreams(const std::string& pack);

// Little-endian words inside pack bytes.
std::uint32_t U32At(const std::string& bytes, std::size_t offset);
void SetU32At(std::string& bytes, std::size_t offset, std::uint32_t value);

// The pack that the format's algorithm gives for these members (in this order), built here step
// by step from the layout and the checksum rules, to hold the writer's bytes against. The member
// streams are compress2's at level 9, or those `stream` gives for member i.
using StreamMaker = std::function<std::string(std::size_t i, const std::string& bytes)>;
std::string ReferencePack(const std::vector<std::pair<std::string, std::string>>& members,
                          std::uint64_t created, const StreamMaker& stream = nullptr);

// The checksum the rules give for these table texts (in this order) and this creation time,
// worked out field by field with plain arithmetic.
std::uint64_t ReferenceChecksum(const std::vector<std::string>& tables, std::uint64_t created);

// Members of many sizes, the largest not first, so that threads finish them out of order.
std::vector<std::pair<std::string, std::string>> ManyMembers();

// A game-like table of `rows` lines: numbers of several sizes, words, CR LF.
std::string GameTable(int rows, int fields, unsigned seed);

}  // namespace brisko::test
