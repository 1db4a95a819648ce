// The shared base's names as the pack library uses them: the file layer, atomic writes, statuses
// and their texts.
#pragma once

#include "AtomicFile.h"
#include "FileLayer.h"
#include "Status.h"

namespace brisko {

using base::AtomicFile;
using base::FileErrorText;
using base::FileInfo;
using base::FileLayer;
using base::Format;
using base::Status;

}  // namespace brisko
