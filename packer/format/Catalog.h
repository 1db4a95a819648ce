// "catalog.txt": the checksums of all scenario packs as a source fragment for the game's build,
// two arrays of SCEN_COUNT values (low halves unsigned, high halves signed), CR LF line ends:
//
//   const unsigned long TableLowPart[ SCEN_COUNT ] =
//   {
//   	<low of slot 0>,          ... one line per slot
//   };
//
//   const long TableHighPart[ SCEN_COUNT ] =
//   {
//   	<high of slot 0>,         ... one line per slot
//   };
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "PackBase.h"

namespace brisko {

// The number of scenario packs of the game, and so of catalog slots.
constexpr int SCEN_COUNT = 52;

// The declarations that open the two arrays (each followed by a blank, then CR LF).
constexpr char kCatalogLowDeclaration[] = "const unsigned long TableLowPart[ SCEN_COUNT ] = ";
constexpr char kCatalogHighDeclaration[] = "const long TableHighPart[ SCEN_COUNT ] = ";

// One slot: a pack's 64-bit checksum as its two halves.
struct CatalogSlot {
    std::uint32_t low = 0;
    std::int32_t high = 0;

    std::uint64_t Value() const;
    static CatalogSlot Of(std::uint64_t checksum);
    bool operator==(const CatalogSlot&) const = default;
};

using CatalogSlots = std::array<CatalogSlot, SCEN_COUNT>;

// The catalog's bytes: 111 lines, each ended by CR LF.
std::string CatalogText(const CatalogSlots& slots);

// Writes the catalog at `path` by way of a file beside it, moved over the old one when complete.
Status WriteCatalog(const std::string& path, const CatalogSlots& slots,
                    FileLayer& files = FileLayer::System());

// Reads the catalog at `path`: the two declarations, each with SCEN_COUNT values. Line ends may be
// CR LF or LF, and blanks around the parts do not matter. Fails, naming the file and the line,
// for anything else.
Status ReadCatalog(const std::string& path, CatalogSlots& slots,
                   FileLayer& files = FileLayer::System());

// The same for text already read; `path` is named in the error.
Status ParseCatalog(std::string_view text, const std::string& path, CatalogSlots& slots);

}  // namespace brisko
