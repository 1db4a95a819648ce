// Copying unit placements from a "unitlocs.csv" into the open units table: the first four fields
// of each data line (direction and location) replace the cells of columns 9 to 12, line after
// line from row 0, matched by order alone.
#pragma once

#include <string>

#include "FileLayer.h"
#include "Status.h"
#include "TableDocument.h"

namespace tavrel {

// The units table's columns the four fields go to: the direction and the three locations.
constexpr int kFirstLocationColumn = 9;
constexpr int kLocationFields = 4;

// Skips the header line and empty lines; stops after `state.loadedRowCount` rows (one at least)
// or at the end of the file. A line with fewer fields empties the columns it lacks. Cells of
// missing rows or columns are not stored. Sets `state.modified` once the file is open, also when
// a read fails part-way (the rows before it stay changed). Fails with "Error opening file." when
// the file cannot be opened, and with the read error text when a read fails.
base::Status ImportUnitLocations(TableDocument& document, const std::string& path,
                                 base::FileLayer& files = base::FileLayer::System());

}  // namespace tavrel
