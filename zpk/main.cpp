// zpk: lists, packs, extracts and verifies .zpk scenario packs from the command line.
#include "ZpkCommands.h"

int main(int argc, char** argv) {
    return zpk::Run(argc, argv);
}
