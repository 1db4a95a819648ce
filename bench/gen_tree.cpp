// gen-tree: writes a deterministic data tree of the game for the batch build: "Data Files/" with
// the ten common tables and "Scenarios/" with a folder for each of the 52 scenario packs (unit
// tables, objectives, an .ini, a .txt, a picture in a sub-folder; a few scenarios with their own
// copy of a common table). The armies, places and units are those of the game's invented setting.
//   gen-tree ROOT [--bench]
// Without --bench the tables are small (the demo tree); with it each scenario holds 0.2 to 1.5 MB
// of tables (most near the low end) and the common tables about 3 MB together.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "ScenarioBatch.h"

#include "BenchRandom.h"

namespace {

using Random = BenchRandom;

const char* const kSides[] = {"Vellan", "Dravic"};
const char* const kUnits[] = {"Rifles",  "Lancers", "Pioneers", "Wardens", "Rangers", "Carters",
                              "Sappers", "Bowmen",  "Signals",  "Drovers", "Guards",  "Harriers"};
const char* const kWords[] = {"Hold",  "Advance", "Screen",  "Withdraw", "Ambush",   "Patrol",
                              "Ridge", "Ford",    "Orchard", "Mill",     "Causeway", "Quarry"};

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

void MakeFolder(const std::string& path) {
    ::mkdir(path.c_str(), 0777);
}

// A table of `rows` lines after its header: numbers of several sizes and words, every field
// followed by a comma, CR LF.
std::string Table(const char* header, int columns, int rows, Random& random) {
    std::string text = std::string(header) + "\r\n";
    for (int r = 0; r < rows; ++r) {
        text += std::to_string(r) + ',';
        for (int c = 1; c < columns; ++c) {
            switch ((c * 7 + 3) % 5) {
                case 0:
                    text += kWords[random.Below(12)];
                    break;
                case 1:
                    text += std::to_string(random.Below(100));
                    break;
                case 2:
                    text += std::to_string(random.Below(8000));
                    break;
                case 3:
                    text += std::to_string(random.Below(4000) - 2000);
                    break;
                default:
                    text += std::to_string(random.Below(360));
                    break;
            }
            text += ',';
        }
        text += "\r\n";
    }
    return text;
}

// The units of a scenario and their placements, row for row (dir and loc are columns 9 to 12).
void Units(int rows, Random& random, std::string& units, std::string& locs) {
    units =
        "id,name,side,type,parent,men,weapon,ammo,morale,dir,locx,locy,locz,exp,fatigue,"
        "icon,\r\n";
    locs = "dir,locx,locy,locz,id,name,\r\n";
    for (int r = 0; r < rows; ++r) {
        const std::string name = std::to_string(r / 12 + 1) + " " + kUnits[r % 12];
        const std::string place =
            std::to_string(random.Below(36) * 10) + "," + std::to_string(random.Below(8000)) + "," +
            std::to_string(random.Below(8000)) + "," + std::to_string(random.Below(120)) + ",";
        units += std::to_string(r) + "," + name + "," + kSides[r % 2] + "," +
                 std::to_string(random.Below(12)) + "," + std::to_string(r < 2 ? -1 : r % 2) + "," +
                 std::to_string(5 + random.Below(40)) + "," + std::to_string(random.Below(16)) +
                 "," + std::to_string(random.Below(300)) + "," +
                 std::to_string(40 + random.Below(60)) + "," + place +
                 std::to_string(random.Below(6)) + "," + std::to_string(random.Below(100)) +
                 ",icons\\unit" + std::to_string(random.Below(12)) + ".bmp,\r\n";
        locs += place + std::to_string(r) + "," + name + ",\r\n";
    }
}

// A picture: a bitmap header and bytes that compress a little.
std::string Picture(int size, Random& random) {
    std::string bytes = "BM";
    while (static_cast<int>(bytes.size()) < size)
        bytes += static_cast<char>(random.Below(4) == 0 ? random.Below(256) : 0x42);
    return bytes;
}

// The common tables' headers and columns, in the order of CommonDataFiles.
struct CommonTable {
    const char* header;
    int columns;
};
const CommonTable kCommon[] = {
    {"id,army,play,aggression,reserve,delay,", 6},
    {"id,gun,he,smoke,ap,illum,", 6},
    {"id,name,spacing,depth,facing,", 5},
    {"level,name,men,officers,", 4},
    {"id,order,speed,cover,fire,", 5},
    {"id,play,step,order,target,wait,", 6},
    {"id,stance,profile,speed,accuracy,", 5},
    {"table,row,a,b,c,d,", 6},
    {"type,name,speed,size,armour,icon,", 6},
    {"id,name,range,rof,pen,he,crew,weight,ammo,", 9},
};

bool WriteCommon(const std::string& root, bool bench, Random& random) {
    const std::string folder = root + "/Data Files";
    MakeFolder(folder);
    for (int i = 0; i < brisko::kCommonDataFileCount; ++i) {
        // About 3 MB together for the benchmark, the larger tables first.
        const int bytes = bench ? 480000 - 40000 * i : 400 + 60 * i;
        const int rows = bytes / (kCommon[i].columns * 5);
        const std::string name(brisko::CommonDataFiles[static_cast<std::size_t>(i)]);
        if (!WriteFile(folder + "/" + name,
                       Table(kCommon[i].header, kCommon[i].columns, rows, random))) {
            return false;
        }
    }
    return true;
}

bool WriteScenario(const std::string& scenarios, int index, bool bench, Random& random) {
    const std::string_view folderName = brisko::ScenarioFolderName(index);
    const std::string folder = scenarios + "/" + std::string(folderName);
    const std::string code(folderName.substr(0, folderName.find(' ')));
    const std::string title(folderName.substr(folderName.find(" - ") + 3));
    MakeFolder(folder);
    MakeFolder(folder + "/Data Files");
    MakeFolder(folder + "/maps");
    // Table bytes: 0.2 to 1.5 MB, most scenarios near the low end.
    const double u = random.Unit();
    const int tableBytes = bench ? static_cast<int>(200000 + 1300000 * u * u * u) : 3000;
    std::string units;
    std::string locs;
    Units(tableBytes / 170, random, units, locs);
    const std::string objectives =
        Table("id,name,locx,locy,points,owner,", 6, 3 + tableBytes / 20000, random);
    const std::string ini = "[Scenario]\r\nName=" + title + "\r\nCode=" + code +
                            "\r\nTurns=" + std::to_string(8 + index % 9) + "\r\nMap=maps\\" + code +
                            ".map\r\n\r\n[Sides]\r\nVellan=Player\r\nDravic=AI\r\n";
    const std::string briefing = title + "\r\n\r\nThe Dravic columns are moving on the " +
                                 kWords[index % 12] + ". Hold them until relieved.\r\n";
    bool ok = WriteFile(folder + "/scenario.ini", ini) &&
              WriteFile(folder + "/briefing.txt", briefing) &&
              WriteFile(folder + "/Data Files/units.csv", units) &&
              WriteFile(folder + "/Data Files/unitlocs.csv", locs) &&
              WriteFile(folder + "/Data Files/objectives.csv", objectives) &&
              WriteFile(folder + "/maps/" + code + ".bmp", Picture(bench ? 60000 : 2000, random));
    // A few scenarios carry their own (older) copy of a common table, in another letter case.
    if (ok && index % 9 == 4) {
        ok = WriteFile(folder + "/Data Files/weapons.csv",
                       Table(kCommon[9].header, kCommon[9].columns, 20, random));
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (argc == 3 && std::strcmp(argv[2], "--bench") != 0) || argc > 3) {
        std::fprintf(stderr, "usage: gen-tree ROOT [--bench]\n");
        return 2;
    }
    const std::string root = argv[1];
    const bool bench = argc == 3;
    Random random{0x0571E4EULL};
    MakeFolder(root);
    if (!WriteCommon(root, bench, random)) return 1;
    MakeFolder(root + "/Scenarios");
    for (int i = 0; i < brisko::SCEN_COUNT; ++i) {
        if (!WriteScenario(root + "/Scenarios", i, bench, random)) return 1;
    }
    return 0;
}
