// The window's commands: the selection handlers, Create ZPK file, Extract ZPK File, Check Sum and
// Create Main file. The batch build is in PackerBatch.cpp.
#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>

#include "Checksum.h"
#include "FolderOps.h"
#include "HostPath.h"
#include "NameLists.h"
#include "PackFile.h"
#include "PackerWindow.h"
#include "WaitCursor.h"

namespace brisko {

void PackerWindow::OnFolderSelChange() {
    const std::optional<std::string> name = Selected(*folderList);
    if (!name) return;
    const std::string folder = setup.scenariosFolder + *name + kHostSeparator;
    NameList members;
    ListFolderFiles(folder, folder, members, files);
    ShowNames(*contentsList, members, NameKind::MEMBER);
    statusBox->setPlainText("Scenario Folder: " + NameText(*name, NameKind::HOST));
}

void PackerWindow::OnPackSelChange() {
    const std::optional<std::string> name = Selected(*packList);
    if (!name) return;
    CPackFile pack(files);
    // A pack that can no longer be opened leaves the contents and the status as they were.
    if (!pack.Open(setup.scenariosFolder + *name)) return;
    NameList members;
    members.reserve(pack.GetCount());
    for (std::uint32_t i = 0; i < pack.GetCount(); ++i)
        members.emplace_back(pack.GetEntry(i)->Name());
    ShowNames(*contentsList, members, NameKind::MEMBER);
    statusBox->setPlainText("Scenario ZPK File: " + NameText(*name, NameKind::HOST));
}

void PackerWindow::OnCreatePack() {
    const std::optional<std::string> name = Selected(*folderList);
    if (!name) {
        Message("You must choose a scenario from the first list.");
        return;
    }
    WaitCursor wait;
    const std::string folder = setup.scenariosFolder + *name + kHostSeparator;
    const std::string packPath = setup.scenariosFolder + *name + ".zpk";
    NameList members;
    // A file that cannot be packed under its own name would be missing from the pack: say so
    // and write nothing.
    Status status = ListFolderFiles(folder, folder, members, files);
    if (status.ok()) {
        PackWriteOptions options;
        options.files = &files;
        status = WritePackFile(members, packPath, folder, options);
    }
    // An empty folder gives no pack and no message; anything else that stopped the write ends
    // the command with its reason, and the pack list stays as it is.
    if (!status.ok() && status.kind != Status::NOTHING_TO_PACK) {
        wait.Release();
        ReportError(status);
        return;
    }
    RefreshPackList();
}

void PackerWindow::OnExtractPack() {
    const std::optional<std::string> name = Selected(*packList);
    if (!name) return;
    CPackFile pack(files);
    if (!pack.Open(setup.scenariosFolder + *name)) return;
    if (pack.ExtractAll(setup.scenariosFolder + kExtractFolder + kHostSeparator)) return;
    // A mismatch of the checksum is "Checksum failed."; a file error names the file.
    if (pack.Error().ok()) {
        Message("Checksum failed.");
    } else {
        ReportError(pack.Error());
    }
}

void PackerWindow::OnCreateMainFile() {
    WaitCursor wait;
}

void PackerWindow::OnCheckSum() {
    const std::optional<std::string> name = Selected(*packList);
    if (!name) return;
    CPackFile pack(files);
    if (!pack.Open(setup.scenariosFolder + *name)) return;
    // The expected value is the pack's own stored checksum, which its open has just read.
    const ChecksumResult result = pack.VerifyChecksum(pack.StoredChecksum());
    Message(ChecksumResultText(result));
}

}  // namespace brisko
