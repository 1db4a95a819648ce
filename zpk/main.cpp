// zpk: lists, packs, extracts and verifies .zpk scenario packs from the command line.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <string>
#include <vector>

#include "HostText.h"
#include "ZpkCommands.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // The same output bytes on every host: member names as they are, lines ended by LF.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
#endif
    // Paths as UTF-8 on every host.
    std::vector<std::string> words = base::CommandLineArguments(argc, argv);
    std::vector<char*> arguments{argv[0]};
    for (std::string& word : words)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    return zpk::Run(static_cast<int>(arguments.size() - 1), arguments.data());
}
