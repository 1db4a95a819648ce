// The batch build of every scenario pack of the game: the fixed table of the 52 scenario packs in
// catalog order, the ten common tables every pack receives, and BuildAllPacks, which rebuilds all
// packs from a data root and writes their checksums to "catalog.txt".
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Catalog.h"
#include "PackBase.h"

namespace brisko {

// The game's scenario packs, in catalog order (the index is the scenario's catalog slot): scenario
// code, " - ", title, ".zpk". The folder of a scenario is its entry without ".zpk".
extern const std::array<std::string_view, SCEN_COUNT> ScenarioPackNames;

// The common tables of "Data Files/" that every scenario pack receives, in this order.
constexpr int kCommonDataFileCount = 10;
extern const std::array<std::string_view, kCommonDataFileCount> CommonDataFiles;

// The slot of a pack by its file name ("HR1 - Crossing at Hollin Ford.zpk", no folder), or -1 when
// it is none of the game's scenario packs. The name must match exactly.
int ScenarioIndex(std::string_view packFileName);

// A scenario's folder name: its pack name without ".zpk".
std::string_view ScenarioFolderName(int index);

// What became of one scenario of the batch.
struct ScenarioOutcome {
    int index = 0;                        // in ScenarioPackNames
    std::string packName;                 // the entry of ScenarioPackNames
    bool built = false;                   // the new pack was written and opened again
    std::uint32_t members = 0;            // in the new pack
    std::uint32_t commonTables = 0;       // of the ten, the number that went into the pack
    std::uint64_t uncompressedBytes = 0;  // the members' sizes together
    std::uint64_t packBytes = 0;          // the pack file's size
    CatalogSlot checksum;                 // the pack's checksum; 0 and 0 when it was not built
    Status reason;  // why it was not built, as a user text naming the folder or pack
    bool endedBatch = false;  // `reason` is a file error that ended the batch here
};

// One step of the batch, reported on the thread that called BuildAllPacks, in table order.
struct BatchProgress {
    enum Stage {
        SCENARIO_STARTED,   // scenario `index` is next
        MEMBERS_PACKED,     // membersDone of membersTotal members of its pack are written
        SCENARIO_FINISHED,  // `outcome` tells what became of it
    };
    Stage stage = SCENARIO_STARTED;
    int index = 0;  // 0 to SCEN_COUNT - 1
    std::string_view packName;
    std::size_t membersDone = 0;
    std::size_t membersTotal = 0;
    const ScenarioOutcome* outcome = nullptr;
};

struct BatchOptions {
    // The data root: it holds "Scenarios/" (one folder per scenario, the packs beside them) and
    // "Data Files/" (the common tables). A host path.
    std::string root;
    // Where the catalog goes; empty means root + "catalog.txt".
    std::string catalogPath;
    FileLayer* files = nullptr;  // nullptr = the operating system
    unsigned threads = 0;        // compressing threads; 0 = one per core
    bool zlib = false;           // members as zlib's compress2 at level 9 gives them
    // Called for every step; it may block (the batch waits). Never called on another thread.
    std::function<void(const BatchProgress&)> progress;
    // Checked before each scenario: when set, the batch stops there. The packs built so far
    // stay; no catalog is written.
    const std::atomic<bool>* cancel = nullptr;
};

struct BatchResult {
    // OK; CANCELLED; or the file error that ended the batch (or kept the catalog from being
    // written), its text naming the file.
    Status status;
    // Each scenario that was taken in hand, in table order. After a file error the last one is
    // the scenario it happened in (not built, the error as its reason).
    std::vector<ScenarioOutcome> scenarios;
    CatalogSlots slots;  // as written to the catalog
    bool catalogWritten = false;
    std::string catalogPath;

    // The scenarios that were taken in hand but not built.
    int NotBuilt() const;
};

// Rebuilds the pack of every scenario of ScenarioPackNames, in table order, and then writes the
// catalog of their checksums. For each scenario:
//   1. The scenario folder is root + "Scenarios/" + folder name; a missing folder is not built.
//   2. Each common table is copied from root + "Data Files/" into the scenario's "Data Files/"
//      folder, replacing a file of that name in any letter case ("weapons.csv" gives way to
//      "Weapons.csv"). A missing source (the scenario's own file of that name then stays) or a
//      scenario without "Data Files/" skips that table.
//   3. The folder is listed; every file whose relative path holds none of ".csv", ".ini" and
//      ".txt" (letter case counts) is deleted from the disk, never through a linked folder.
//      Empty folders stay.
//   4. The rest is packed (as WritePackFile) beside the old pack, which is replaced only when the
//      new one is complete.
//   5. The copies of the common tables are deleted again, and the new pack is opened to read its
//      checksum into the scenario's slot.
// How an outcome of the pack writer counts:
//   - It gave up without a file error: NOTHING_TO_PACK (nothing left to pack), BAD_NAME (a name
//     that cannot be packed or that clashes, a file whose name the game's code page cannot hold),
//     TOO_LARGE and NO_MEMORY. The scenario is not built ("Error"); its old pack stays, its slot
//     holds 0 and 0, and the batch goes on. So does a new pack that cannot be opened again.
//   - A file error: CANNOT_OPEN, READ_FAILED, WRITE_FAILED, REFUSED (the pack cannot be created or
//     written, a member cannot be read, the disk is full). The batch ends there with that error:
//     the scenario's copies of the common tables are removed, the later scenarios are left as
//     they are and no catalog is written. A failed copy of a common table for another reason than
//     a missing file is such a file error too.
// Safe to call on a worker thread (PackStamp then holds the last pack opened, as on the calling
// thread; read it only after the batch).
BatchResult BuildAllPacks(const BatchOptions& options);

}  // namespace brisko
