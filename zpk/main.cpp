// zpk: lists, packs, extracts and verifies .zpk scenario packs from the command line.
#include <string>
#include <vector>

#include "HostText.h"
#include "ZpkCommands.h"

int main(int argc, char** argv) {
    // Lines ended by LF on every host; on Windows names and paths in UTF-8.
    base::WriteUtf8Output();
    // Paths as UTF-8 on every host.
    std::vector<std::string> words = base::CommandLineArguments(argc, argv);
    std::vector<char*> arguments{argv[0]};
    for (std::string& word : words)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    return zpk::Run(static_cast<int>(arguments.size() - 1), arguments.data());
}
