// zpk build: the batch build of every scenario pack from the command line.
#pragma once

#include "ZpkOptions.h"

namespace zpk {

int Build(const Options& options);

}  // namespace zpk
