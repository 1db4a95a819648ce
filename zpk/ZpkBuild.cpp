#include "ZpkBuild.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#include "ScenarioBatch.h"
#include "ZpkText.h"

namespace zpk {
namespace {

// Set by Ctrl+C: the build stops before the next scenario. A second Ctrl+C ends zpk at once.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    if (stopRequested.exchange(true)) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
}

void PrintOutcome(const brisko::ScenarioOutcome& outcome) {
    if (!outcome.built) {
        std::printf("%s\tError\t%s\n", outcome.packName.c_str(),
                    SafeLine(outcome.reason.message).c_str());
    } else {
        std::printf("%s\t%u\t%llu\t%llu\t%u\t%d\n", outcome.packName.c_str(), outcome.members,
                    static_cast<unsigned long long>(outcome.uncompressedBytes),
                    static_cast<unsigned long long>(outcome.packBytes), outcome.checksum.low,
                    outcome.checksum.high);
    }
    if (outcome.built && outcome.commonTables < brisko::kCommonDataFileCount) {
        std::fprintf(stderr, "zpk: %s holds %u of the %d common tables.\n",
                     outcome.packName.c_str(), outcome.commonTables, brisko::kCommonDataFileCount);
    }
    std::fflush(stdout);
}

}  // namespace

int Build(const Options& options) {
    brisko::BatchOptions batch;
    batch.root = options.operands[0];
    batch.catalogPath = options.catalog;
    batch.threads = options.threads;
    batch.zlib = options.zlib;
    batch.cancel = &stopRequested;
    batch.progress = [](const brisko::BatchProgress& progress) {
        if (progress.stage == brisko::BatchProgress::SCENARIO_FINISHED) {
            PrintOutcome(*progress.outcome);
        }
    };
    std::signal(SIGINT, OnInterrupt);
    const brisko::BatchResult result = brisko::BuildAllPacks(batch);
    std::signal(SIGINT, SIG_DFL);
    if (!result.status.ok()) {
        std::fprintf(stderr, "zpk: %s\n", SafeLine(result.status.message).c_str());
        return kExitError;
    }
    std::printf("catalog\t%s\n", result.catalogPath.c_str());
    return result.NotBuilt() == 0 ? kExitOk : kExitMismatch;
}

}  // namespace zpk
