// Keeps every core busy across the scenarios of a batch: while the batch goes through its
// scenarios one by one, these threads read the files that the next scenarios will pack and
// compress them into the batch's stream cache, so that the batch mostly finds its streams ready.
// Only a guess: the files are read again when their pack is written, and a stream is used only
// for exactly the bytes it was made from.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "StreamCache.h"

namespace brisko {

// A file that a scenario's pack will hold.
struct PlannedFile {
    std::string path;
    bool table = false;
};

class BatchPrefetch {
public:
    // `plan` gives the files of scenario 0, 1, ... `count` - 1; it is called on these threads.
    BatchPrefetch(StreamCache& cache, std::function<std::vector<PlannedFile>(int)> plan, int count,
                  unsigned threads, bool classic);
    ~BatchPrefetch();
    BatchPrefetch(const BatchPrefetch&) = delete;
    BatchPrefetch& operator=(const BatchPrefetch&) = delete;

    // The batch has reached scenario `index` (and dropped what it no longer needs).
    void Reached(int index);

private:
    struct Task {
        PlannedFile file;
        int user = 0;
    };
    // How many scenarios the threads may run ahead of the batch.
    static constexpr int kLookahead = 12;

    void Loop(bool classic);
    bool MayPlanLocked() const;

    StreamCache& cache_;
    const std::function<std::vector<PlannedFile>(int)> plan_;
    const int count_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;
    int nextPlan_ = 0;
    int reached_ = 0;
    bool planning_ = false;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace brisko
