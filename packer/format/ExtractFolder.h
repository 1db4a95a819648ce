// The folder a pack is extracted into, and the rules it must meet before anything is written or
// deleted. The same rules hold for zpk and for the pack creator's window.
#pragma once

#include <string>

#include "PackBase.h"

namespace brisko {

// What to do with a target folder that already holds something.
enum class ExistingFolder {
    EMPTY,   // delete everything in it first (the pack creator's "__TEMP_SCEN__")
    REFUSE,  // refuse it: the folder must be missing or empty
};

// A target folder made ready, and open.
struct ExtractFolder {
    std::string path;      // the folder as it was checked: trailing separators and "." levels gone
    int fd = -1;           // the open folder; the caller closes it
    bool created = false;  // it was missing and was created
};

// Makes `folder` ready to receive the members of the pack at `packPath`, and opens it:
//   - the folder is taken as written, whatever the length of its name; trailing separators and
//     trailing "." levels are ignored ("out/", "out//" and "out/." are "out");
//   - refused: a symbolic link (however it is written), the root folder, something that is no
//     folder, and a folder that holds the pack at any depth;
//   - a missing folder is created, one level (its parent must exist);
//   - an empty folder is used as it is;
//   - a folder holding anything (hidden entries included) is emptied with EMPTY (read-only
//     entries too, links as links, never following them) or refused with REFUSE.
// On failure nothing is extracted and the status names the folder: REFUSED for the rules above,
// a file error (CANNOT_OPEN, WRITE_FAILED) when it cannot be created, opened or wholly emptied
// (what could be deleted is gone by then). `opened` is set only on success.
Status PrepareExtractFolder(const std::string& folder, const std::string& packPath,
                            ExistingFolder existing, FileLayer& files, ExtractFolder& opened);

}  // namespace brisko
