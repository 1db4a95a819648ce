// zpk: lists, packs, extracts and verifies .zpk scenario packs from the command line.
#include "HostText.h"
#include "ZpkCommands.h"

int main(int argc, char** argv) {
    // Lines ended by LF on every host; on Windows names and paths in UTF-8.
    base::WriteUtf8Output();
    // Paths as UTF-8 on every host.
    return zpk::Run(base::CommandLineArguments(argc, argv));
}
