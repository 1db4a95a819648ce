#include "ZpkOptions.h"

#include <cstring>
#include <limits>

#include "HostText.h"

namespace zpk {
namespace {

struct CommandShape {
    const char* name;
    std::size_t operands;
    const char* help;
};

const CommandShape kCommands[] = {
    {"list", 1,
     "usage: zpk list PACK\n"
     "\n"
     "Prints one member of PACK a line: its name (\"\\\" between folders), its uncompressed\n"
     "size and its compressed size, separated by tabs. Names are shown in the terminal's\n"
     "encoding; control characters, and characters the terminal's encoding cannot show, are\n"
     "written as \\xNN (the byte in Windows-1252).\n"},
    {"info", 1,
     "usage: zpk info PACK\n"
     "\n"
     "Prints the member count of PACK, its creation time (the raw value and the UTC date and\n"
     "time), its checksum's low half (unsigned) and high half (signed) as the catalog prints\n"
     "them, and its trailer offset.\n"},
    {"pack", 2,
     "usage: zpk pack FOLDER PACK [--zlib] [--threads N] [--timings]\n"
     "\n"
     "Packs every file below FOLDER into PACK, as Brisko's \"Create ZPK file\" does: each\n"
     "folder's entries in byte order of their names, names beginning with \".\" left out. File\n"
     "names are stored in the game's code page, Windows-1252; a name it cannot hold is\n"
     "refused. An old PACK is replaced only when the new one is complete.\n"
     "\n"
     "  --zlib        compress as zlib's compress2 at level 9 does (slower; by default the\n"
     "                members are made with libdeflate, in the same format, no larger)\n"
     "  --threads N   compress on N threads (default: one per core)\n"
     "  --timings     print where the time went\n"},
    {"extract", 2,
     "usage: zpk extract PACK FOLDER [--replace] [--threads N]\n"
     "\n"
     "Writes every member of PACK into FOLDER under its relative path (names in UTF-8) and\n"
     "checks the tables written against the pack's checksum; prints \"Checksum failed.\" and\n"
     "exits with 1 when they do not match. FOLDER must be missing or empty, unless --replace is\n"
     "given: then everything in it is deleted first. FOLDER is never a symbolic link, the root\n"
     "folder or a folder holding PACK. A pack whose member names would write outside FOLDER is\n"
     "refused as a whole, and FOLDER is left as it was. A member without data (its compression\n"
     "failed when the pack was written) is named and left out, every other member is written,\n"
     "and the command fails at the end; any other failure removes what was written.\n"
     "\n"
     "  --replace     empty FOLDER first\n"
     "  --threads N   extract on N threads (default: one per core)\n"},
    {"verify", 1,
     "usage: zpk verify PACK [--expect LOW HIGH | --catalog FILE] [--checksum-only]\n"
     "\n"
     "Checks that every member of PACK inflates to its recorded size and that the pack is laid\n"
     "out as the writer lays it out (members back to back in directory order, the trailer\n"
     "right behind them, nothing after it), printing one line per problem. Then recomputes the\n"
     "checksum of PACK's tables and compares it with the checksum stored in the pack and with\n"
     "the expected value: by default the stored one; LOW (unsigned) and HIGH (signed) as the\n"
     "catalog prints them; or the slot of PACK's file name in the catalog FILE. Prints the\n"
     "outcome; exits with 0 only when no problem was found and the outcome is \"Check matched\n"
     "file and passed in value.\", with 1 otherwise.\n"
     "\n"
     "  --checksum-only  compare the checksum alone, as Brisko's \"Check Sum\" does\n"},
    {"build", 1,
     "usage: zpk build ROOT [--catalog FILE] [--zlib] [--threads N]\n"
     "       zpk build [--root ROOT] ...\n"
     "\n"
     "Rebuilds the pack of every scenario of the game, as Brisko's \"Build ZPK\" does, from the\n"
     "data tree ROOT (it holds \"Scenarios/\" and \"Data Files/\"): copies the common tables of\n"
     "\"Data Files/\" into each scenario, deletes every file whose path holds none of \".csv\",\n"
     "\".ini\" and \".txt\", packs the scenario folder beside its old pack and removes the\n"
     "copies again; then writes the checksums of all packs to ROOT/catalog.txt. Prints one line\n"
     "per scenario, tab-separated: its pack's name, members, size of the members, size of the\n"
     "pack and the checksum's low and high halves, or \"Error\" and why it was not built (its\n"
     "old pack stays then); then \"catalog\" and the catalog's path. Exits with 0 when\n"
     "every scenario was built, 1 when some were not, 2 when a file error ended the build (no\n"
     "catalog is written then). Ctrl+C stops it after the scenario at hand, without a catalog.\n"
     "\n"
     "  --root ROOT     the data tree, instead of the operand; without either, the folder\n"
     "                  that the BRISKO_ROOT environment variable names, as for Brisko\n"
     "  --catalog FILE  write the catalog to FILE instead\n"
     "  --zlib          compress as zlib's compress2 at level 9 does\n"
     "  --threads N     compress on N threads (default: one per core)\n"},
};

const char kGeneralHelp[] =
    "usage: zpk COMMAND ARGUMENTS...\n"
    "\n"
    "Lists, packs, extracts and verifies .zpk scenario packs.\n"
    "\n"
    "  zpk list PACK                        the members of PACK\n"
    "  zpk info PACK                        member count, creation time, checksum, trailer\n"
    "  zpk pack FOLDER PACK                 pack every file below FOLDER into PACK\n"
    "  zpk extract PACK FOLDER [--replace]  write every member into FOLDER, check the tables\n"
    "  zpk verify PACK [--expect LOW HIGH]  check the members, the layout and the checksum\n"
    "  zpk verify PACK --catalog FILE       ... against the pack's slot in a catalog\n"
    "  zpk build ROOT [--catalog FILE]      rebuild every scenario pack and the catalog\n"
    "  zpk help COMMAND, zpk COMMAND --help the options of a command\n"
    "  zpk --version\n"
    "\n"
    "Exit status: 0 success, 1 checksum mismatch, damaged pack or scenario not built, 2 usage\n"
    "or file error.\n";

const CommandShape* FindCommand(const std::string& name) {
    for (const CommandShape& shape : kCommands) {
        if (name == shape.name) return &shape;
    }
    return nullptr;
}

bool ParseUnsigned(const char* text, std::uint64_t limit, std::uint64_t& value) {
    if (!*text) return false;
    value = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(*p - '0');
        if (value > limit) return false;
    }
    return true;
}

bool ParseSigned32(const char* text, std::int32_t& value) {
    const bool negative = *text == '-';
    std::uint64_t magnitude;
    if (!ParseUnsigned(text + negative, negative ? 0x80000000ull : 0x7FFFFFFFull, magnitude)) {
        return false;
    }
    value = static_cast<std::int32_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

bool Fail(std::string& error, const std::string& text) {
    error = text;
    return false;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& words, Options& options, std::string& error) {
    bool optionsEnded = false;  // after "--" every word is an operand
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool hasValue = i + 1 < words.size();
        if (optionsEnded || word == "-" || word.empty() || word[0] != '-') {
            if (options.command.empty()) {
                options.command = word;
            } else {
                options.operands.push_back(word);
            }
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            options.help = true;
        } else if (word == "--version") {
            options.version = true;
        } else if (word == "--replace") {
            options.replace = true;
        } else if (word == "--timings") {
            options.timings = true;
        } else if (word == "--zlib") {
            options.zlib = true;
        } else if (word == "--checksum-only") {
            options.checksumOnly = true;
        } else if (word == "--catalog") {
            if (!hasValue || words[i + 1].empty()) return Fail(error, "--catalog takes a file");
            options.catalog = words[++i];
        } else if (word == "--root") {
            if (!hasValue || words[i + 1].empty()) return Fail(error, "--root takes a folder");
            options.root = words[++i];
        } else if (word == "--threads") {
            std::uint64_t threads;
            if (!hasValue || !ParseUnsigned(words[++i].c_str(), 1024, threads) || threads == 0) {
                return Fail(error, "--threads takes a number from 1 to 1024");
            }
            options.threads = static_cast<unsigned>(threads);
        } else if (word == "--expect") {
            std::uint64_t low;
            if (i + 2 >= words.size() || !ParseUnsigned(words[i + 1].c_str(), 0xFFFFFFFFull, low) ||
                !ParseSigned32(words[i + 2].c_str(), options.expectHigh)) {
                return Fail(error,
                            "--expect takes LOW (0 to 4294967295) and HIGH (-2147483648 to "
                            "2147483647)");
            }
            options.expect = true;
            options.expectLow = static_cast<std::uint32_t>(low);
            i += 2;
        } else {
            return Fail(error, "unknown option '" + word + "'");
        }
    }
    if (options.help || options.version) return true;
    if (options.command.empty()) return Fail(error, "no command given");
    if (options.command == "help")
        return options.operands.size() <= 1 || Fail(error, "help takes at most one command");
    const CommandShape* shape = FindCommand(options.command);
    if (!shape) return Fail(error, "unknown command '" + options.command + "'");
    if (options.command == "build" && options.operands.empty()) {
        // The data tree: ROOT, else --root, else BRISKO_ROOT, as Brisko takes it.
        const std::string root =
            options.root.empty() ? base::EnvironmentVariable("BRISKO_ROOT") : options.root;
        if (!root.empty()) options.operands.push_back(root);
    } else if (!options.root.empty()) {
        return Fail(error, options.command == "build"
                               ? "ROOT and --root cannot be given together"
                               : "an option was given that " + options.command + " does not take");
    }
    if (options.operands.size() != shape->operands) {
        return Fail(error, options.command + " takes " + std::to_string(shape->operands) +
                               (shape->operands == 1 ? " argument" : " arguments"));
    }
    const std::string& c = options.command;
    const bool threaded = c == "pack" || c == "extract" || c == "build";
    if ((options.replace && c != "extract") || (options.timings && c != "pack") ||
        (options.threads && !threaded) || (options.zlib && c != "pack" && c != "build") ||
        (options.expect && c != "verify") || (options.checksumOnly && c != "verify") ||
        (!options.catalog.empty() && c != "verify" && c != "build")) {
        return Fail(error, "an option was given that " + c + " does not take");
    }
    if (options.expect && !options.catalog.empty()) {
        return Fail(error, "--expect and --catalog cannot be given together");
    }
    return true;
}

const char* HelpText(const std::string& command) {
    const CommandShape* shape = FindCommand(command);
    return shape ? shape->help : kGeneralHelp;
}

}  // namespace zpk
