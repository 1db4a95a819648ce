// The program's icon: a small grid of cells with a highlighted row.
#pragma once

#include <QIcon>

namespace tavrel {

QIcon ProgramIcon();

}  // namespace tavrel
