// gen-table: writes a deterministic, game-like CSV table (short numbers and words, every field
// followed by a comma, CR LF) for the table benchmarks.
//   gen-table ROWS FIELDS OUT [SEED]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchRandom.h"

namespace {

using Random = BenchRandom;

// Unit and order words of the game's invented armies.
const char* const kWords[] = {"Rifle",    "Lancer", "Carter", "Warden",   "Mortar",
                              "Pioneer",  "HQ",     "Scout",  "Sapper",   "Signaller",
                              "Ranger",   "Drover", "Bowman", "Infantry", "Guard",
                              "Engineer", "Medic",  "Sniper", "Crew",     "Harrier"};
const char* const kTitles[] = {"id",  "name", "side", "type", "men",   "ammo",  "morale", "exp",
                               "dir", "x",    "y",    "z",    "speed", "armor", "range",  "weapon"};

// Each column keeps one kind of value, as the game's tables do.
void AppendField(std::string& line, unsigned kind, Random& random) {
    switch (kind % 6) {
        case 0:
            line += std::to_string(random.Below(100));
            break;
        case 1:
            line += std::to_string(random.Below(1000));
            break;
        case 2:
            line += std::to_string(random.Below(10000));
            break;
        case 3:
            line += std::to_string(random.Below(60000));
            break;
        case 4:
            line += std::to_string(static_cast<int>(random.Below(4000)) - 2000);
            break;
        default:
            line += kWords[random.Below(sizeof kWords / sizeof kWords[0])];
            break;
    }
    line += ',';
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: gen-table ROWS FIELDS OUT [SEED]\n");
        return 2;
    }
    const long rows = std::atol(argv[1]);
    const int fields = std::atoi(argv[2]);
    Random random{argc > 4 ? std::strtoull(argv[4], nullptr, 10) | 1 : 0x5EEDF00DULL};
    std::FILE* out = std::fopen(argv[3], "wb");
    if (!out) {
        std::perror(argv[3]);
        return 1;
    }
    std::string line;
    for (int f = 0; f < fields; ++f) {
        line += kTitles[f % (sizeof kTitles / sizeof kTitles[0])];
        if (f >= 16) line += std::to_string(f / 16);
        line += ',';
    }
    line += "\r\n";
    for (long r = 0; r < rows; ++r) {
        for (int f = 0; f < fields; ++f)
            AppendField(line, static_cast<unsigned>(f * 7 + 3), random);
        line += "\r\n";
        if (line.size() > (1u << 20)) {
            std::fwrite(line.data(), 1, line.size(), out);
            line.clear();
        }
    }
    std::fwrite(line.data(), 1, line.size(), out);
    return std::fclose(out) == 0 ? 0 : 1;
}
