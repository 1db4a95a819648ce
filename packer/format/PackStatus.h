// Outcome of a pack or folder operation: OK, or what went wrong with the text the user is to see.
// The library shows nothing itself; the window and the zpk tool show `message`.
#pragma once

#include <string>
#include <utility>

namespace brisko {

struct PackStatus {
    enum Kind {
        OK,
        NOTHING_TO_PACK,  // the list of members was empty: no pack was written
        CANNOT_OPEN,      // a file or folder could not be opened or created
        READ_FAILED,      // a read failed after the file was opened, or the file changed
        WRITE_FAILED,     // a write, the close or the replacing of the old file failed
        NOT_A_PACK,       // the file's header or directory does not describe a pack
        DAMAGED_MEMBER,   // a member's data does not inflate to its recorded size
        BAD_NAME,         // a member name that cannot be packed or extracted safely
        TOO_LARGE,        // a member of 2 GiB or more, or a pack that would reach 4 GiB
        REFUSED,          // a target folder that must not be written into or emptied
        NO_MEMORY,        // the work buffers could not be obtained
    };

    Kind kind = OK;
    std::string message;

    static PackStatus Ok() { return {}; }
    static PackStatus Error(Kind kind, std::string message) {
        return PackStatus{kind, std::move(message)};
    }
    bool ok() const { return kind == OK; }
};

// Replaces "%1", "%2", ... of `pattern` with the arguments, in order.
std::string Format(const char* pattern, const std::string& a1);
std::string Format(const char* pattern, const std::string& a1, const std::string& a2);
std::string Format(const char* pattern, const std::string& a1, const std::string& a2,
                   const std::string& a3);

// The platform's text for a failed file call on `path`, from the errno it gave.
std::string FileErrorText(const std::string& path, int error);

// The same as a status of the given kind.
PackStatus FileError(PackStatus::Kind kind, const std::string& path, int error);

}  // namespace brisko
