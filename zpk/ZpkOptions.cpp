#include "ZpkOptions.h"

#include <cstring>
#include <limits>

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
     "size and its compressed size, separated by tabs.\n"},
    {"info", 1,
     "usage: zpk info PACK\n"
     "\n"
     "Prints the member count of PACK, its creation time (the raw value and the UTC date and\n"
     "time), its checksum's low half (unsigned) and high half (signed) as the catalog prints\n"
     "them, and its trailer offset.\n"},
    {"pack", 2,
     "usage: zpk pack FOLDER PACK [--threads N] [--timings]\n"
     "\n"
     "Packs every file below FOLDER into PACK, as Brisko's \"Create ZPK file\" does: each\n"
     "folder's entries in byte order of their names, names beginning with \".\" left out. An\n"
     "old PACK is replaced only when the new one is complete.\n"
     "\n"
     "  --threads N   compress on N threads (default: one per core)\n"
     "  --timings     print where the time went\n"},
    {"extract", 2,
     "usage: zpk extract PACK FOLDER [--replace] [--threads N]\n"
     "\n"
     "Writes every member of PACK into FOLDER under its relative path and checks the tables\n"
     "written against the pack's checksum; prints \"Checksum failed.\" and exits with 1 when\n"
     "they do not match. FOLDER must be missing or empty, unless --replace is given: then\n"
     "everything in it is deleted first. A pack whose member names would write outside FOLDER\n"
     "is refused as a whole, and FOLDER is left as it was.\n"
     "\n"
     "  --replace     empty FOLDER first (never a link, the root, or a folder holding PACK)\n"
     "  --threads N   extract on N threads (default: one per core)\n"},
    {"verify", 1,
     "usage: zpk verify PACK [--expect LOW HIGH]\n"
     "\n"
     "Recomputes the checksum of PACK's tables and compares it with the checksum stored in the\n"
     "pack and with the expected value: by default the stored one, or LOW (unsigned) and HIGH\n"
     "(signed) as the catalog prints them. Prints the outcome; exits with 0 only for \"Check\n"
     "matched file and passed in value.\"\n"},
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
    "  zpk verify PACK [--expect LOW HIGH]  check the tables against the checksum\n"
    "  zpk help COMMAND, zpk COMMAND --help the options of a command\n"
    "  zpk --version\n"
    "\n"
    "Exit status: 0 success, 1 checksum mismatch, 2 usage or file error.\n";

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

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    std::vector<std::string> words(argv + 1, argv + argc);
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
    if (options.operands.size() != shape->operands) {
        return Fail(error, options.command + " takes " + std::to_string(shape->operands) +
                               (shape->operands == 1 ? " argument" : " arguments"));
    }
    const bool packOrExtract = options.command == "pack" || options.command == "extract";
    if ((options.replace && options.command != "extract") ||
        (options.timings && options.command != "pack") || (options.threads && !packOrExtract) ||
        (options.expect && options.command != "verify")) {
        return Fail(error, "an option was given that " + options.command + " does not take");
    }
    return true;
}

const char* HelpText(const std::string& command) {
    const CommandShape* shape = FindCommand(command);
    return shape ? shape->help : kGeneralHelp;
}

}  // namespace zpk
