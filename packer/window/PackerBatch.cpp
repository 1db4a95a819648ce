// Build ZPK: every scenario pack and the checksum catalog. The batch runs off the window's
// thread, so that the window keeps repainting; a modal progress window shows the scenario being
// built and takes the only input there is, Cancel, which stops the batch between scenarios.
#include <QEventLoop>
#include <QProgressDialog>
#include <atomic>
#include <thread>

#include "NameLists.h"
#include "PackerWindow.h"
#include "ScenarioBatch.h"
#include "WaitCursor.h"

namespace brisko {
namespace {

QString ProgressText(int index, std::string_view packName) {
    return QString("Building %1\n(%2 of %3)")
        .arg(NameText(std::string(packName), NameKind::MEMBER))
        .arg(index + 1)
        .arg(SCEN_COUNT);
}

// "Error" on its first line, as the batch has always said it, then which scenario and why.
QString ScenarioErrorText(const ScenarioOutcome& outcome) {
    return "Error\n" + NameText(outcome.packName, NameKind::MEMBER) + ": " +
           UserText(outcome.reason.message);
}

QString CancelledText(const BatchResult& result) {
    return UserText(result.status.message) + "\nThe packs built before it stay as they are.";
}

}  // namespace

void PackerWindow::OnBuildPacks() {
    WaitCursor wait;
    QProgressDialog progress(this);
    progress.setWindowTitle(setup.caption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    progress.setRange(0, SCEN_COUNT);
    progress.setLabelText(ProgressText(0, ScenarioPackNames[0]));
    std::atomic<bool> cancel{false};
    connect(&progress, &QProgressDialog::canceled, &progress, [&progress, &cancel] {
        cancel = true;
        progress.setLabelText("Cancelling after the scenario being built...");
        progress.setCancelButton(nullptr);
    });
    progress.show();

    BatchOptions options;
    options.root = setup.programFolder;
    options.files = &files;
    options.cancel = &cancel;
    // Steps come in on the batch's thread; the window shows them on its own, and the batch waits
    // until it has (and while the user reads a scenario's error), so that a Cancel the user
    // gives while a scenario is shown stops the batch before the next one.
    options.progress = [this, &progress](const BatchProgress& step) {
        if (step.stage == BatchProgress::SCENARIO_STARTED) {
            const int index = step.index;
            const QString text = ProgressText(index, step.packName);
            QMetaObject::invokeMethod(
                this,
                [this, &progress, index, text] {
                    progress.setValue(index);
                    if (progress.wasCanceled()) return;
                    progress.setLabelText(text);
                    Q_EMIT BatchProgressed(index, SCEN_COUNT);
                },
                Qt::BlockingQueuedConnection);
        } else if (step.stage == BatchProgress::SCENARIO_FINISHED && !step.outcome->built &&
                   !step.outcome->endedBatch) {
            // A scenario the batch passes over; a file error that ends it is told at the end.
            const QString text = ScenarioErrorText(*step.outcome);
            QMetaObject::invokeMethod(
                this, [this, text] { Message(text); }, Qt::BlockingQueuedConnection);
        }
    };

    BatchResult result;
    QEventLoop loop;
    std::thread batch([&] {
        result = BuildAllPacks(options);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    batch.join();
    progress.hide();
    wait.Release();

    if (result.status.kind == Status::CANCELLED) {
        Message(CancelledText(result));
    } else if (!result.status.ok()) {
        ReportError(result.status);  // the file error that ended the batch, or kept the catalog
    }
}

}  // namespace brisko
