// The game's scenario packs and its common tables. The scenarios are those of the invented war
// for the Ostmere marches, grouped by campaign; the order is the catalog's and never changes, as
// the game finds a pack's expected checksum by its place in it.
#include <algorithm>

#include "ScenarioBatch.h"

namespace brisko {

const std::array<std::string_view, SCEN_COUNT> ScenarioPackNames = {
    "HR1 - Crossing at Hollin Ford.zpk",
    "HR2 - The Tollbridge at Vessary.zpk",
    "HR3 - Night on Corrand Ridge.zpk",
    "HR4a - Hold the Millrace.zpk",
    "HR4b - Counterstroke at the Millrace.zpk",
    "HR5 - Road to Tarnwick.zpk",
    "AV1 - Ashvenna Orchards.zpk",
    "AV2 - The Roadblock at Kellam Crossing.zpk",
    "AV3a - Fennick Wood (East).zpk",
    "AV3b - Fennick Wood (West).zpk",
    "AV4 - Bells of Ostrevane.zpk",
    "AV5 - Last Train from Aldervane.zpk",
    "TM1 - Reedwalk Causeway.zpk",
    "TM2 - Lanterns over Marrowdeep.zpk",
    "TM3 - The Drowned Mill.zpk",
    "TM4 - Dykes of Saltvenn.zpk",
    "KS1 - Landing at Korrow Point.zpk",
    "KS2 - Cliffs of Harnwy.zpk",
    "KS3a - Signal Station 12.zpk",
    "KS3b - Signal Station 12 (Relief).zpk",
    "KS4 - Korrow Lighthouse.zpk",
    "BD1 - Brenholt Downs Patrol.zpk",
    "BD2 - Greyhallow Barrow.zpk",
    "BD3 - Chalk Pits at Dunmarrow.zpk",
    "BD4 - Hask Mill Crossroads.zpk",
    "BD5a - Dawn at Wenlow Farm.zpk",
    "BD5b - Dusk at Wenlow Farm.zpk",
    "QH1 - Quillon Heath Skirmish.zpk",
    "QH2 - The Windpump Line.zpk",
    "QH3 - Gravel Pit No 4.zpk",
    "QH4 - Orrin Woods Breakout.zpk",
    "SV1 - Saltvane Harbour.zpk",
    "SV2 - The Ropewalk.zpk",
    "SV3 - Siege of the Customs House.zpk",
    "SV4a - Breakwater (Night).zpk",
    "SV4b - Breakwater (Day).zpk",
    "ER1 - Emberfall Pass.zpk",
    "ER2 - The Hermitage at Sallow.zpk",
    "ER3 - Snowline at Vrenna Tor.zpk",
    "ER4 - Avalanche Road.zpk",
    "GL1 - Glasswater Locks.zpk",
    "GL2 - Canal Basin at Ferrowby.zpk",
    "GL3 - Pumphouse_7.zpk",
    "GL4 - The Lock-Keepers Cottage.zpk",
    "MT1 - Mattock Hill.zpk",
    "MT2 - The Slag Heaps.zpk",
    "MT3a - Foundry Yard.zpk",
    "MT3b - Foundry Yard (Second Assault).zpk",
    "MT4 - Pithead at Brannoch.zpk",
    "ZX1 - Training Ground Alpha.zpk",
    "ZX2 - Training Ground Bravo.zpk",
    "ZX10 - Staff Ride to Ostrevane.zpk",
};

const std::array<std::string_view, kCommonDataFileCount> CommonDataFiles = {
    "armyplays.csv", "artyammo.csv", "formation.csv", "levels.csv",     "orders.csv",
    "playbook.csv",  "stance.csv",   "tables.csv",    "unitcommon.csv", "Weapons.csv",
};

int ScenarioIndex(std::string_view packFileName) {
    const auto it = std::find(ScenarioPackNames.begin(), ScenarioPackNames.end(), packFileName);
    return it == ScenarioPackNames.end() ? -1 : static_cast<int>(it - ScenarioPackNames.begin());
}

std::string_view ScenarioFolderName(int index) {
    const std::string_view name = ScenarioPackNames.at(static_cast<std::size_t>(index));
    return name.substr(0, name.size() - 4);
}

}  // namespace brisko
