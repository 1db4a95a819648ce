// The command line of zpk: the command, its operands and its options, and the help texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zpk {

// Exit status: success, a checksum that does not match, a usage or file error.
constexpr int kExitOk = 0;
constexpr int kExitMismatch = 1;
constexpr int kExitError = 2;

struct Options {
    std::string command;
    std::vector<std::string> operands;
    bool help = false;
    bool version = false;
    bool replace = false;  // extract: empty a folder that is not empty
    bool timings = false;  // pack: show where the time went
    bool zlib = false;     // pack, build: members as zlib's compress2 at level 9 makes them
    unsigned threads = 0;  // pack, extract, build: 0 = one per core
    bool expect = false;   // verify: compare with a given value
    std::uint32_t expectLow = 0;
    std::int32_t expectHigh = 0;
    bool checksumOnly = false;  // verify: the checksum alone, not the members and the layout
    std::string root;           // build: the data tree given with --root
    std::string catalog;        // verify: the catalog to take the value from; build: where to
                                // write it
};

// Parses the arguments after the program's name; false with `error` set for a command line that
// makes no sense.
bool ParseOptions(const std::vector<std::string>& words, Options& options, std::string& error);

// The help text of one command, or the general one for an empty or unknown command.
const char* HelpText(const std::string& command);

}  // namespace zpk
