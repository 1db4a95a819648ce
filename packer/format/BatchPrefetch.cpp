#include "BatchPrefetch.h"

#include <new>
#include <system_error>

#include "PackBase.h"

namespace brisko {

BatchPrefetch::BatchPrefetch(StreamCache& cache, std::function<std::vector<PlannedFile>(int)> plan,
                             int count, unsigned threads, bool classic)
    : cache_(cache), plan_(std::move(plan)), count_(count) {
    for (unsigned k = 0; k < threads; ++k) {
        try {
            threads_.emplace_back([this, classic] { Loop(classic); });
        } catch (const std::system_error&) {
            break;  // fewer helpers: the batch compresses what they do not
        }
    }
}

BatchPrefetch::~BatchPrefetch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void BatchPrefetch::Reached(int index) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reached_ = index;
    }
    wake_.notify_all();
}

bool BatchPrefetch::MayPlanLocked() const {
    return !planning_ && nextPlan_ < count_ && nextPlan_ <= reached_ + kLookahead &&
           cache_.HeldBytes() * 2 < cache_.Limit();
}

void BatchPrefetch::Loop(bool classic) {
    try {
        StreamCompressor compressor(classic);
        Buffer work;
        std::string bytes;
        FileLayer& files = FileLayer::System();  // a guess only: never the batch's own calls
        while (true) {
            Task task;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stop_ || !tasks_.empty() || MayPlanLocked(); });
                if (stop_) return;
                if (tasks_.empty()) {
                    const int index = nextPlan_++;
                    planning_ = true;
                    lock.unlock();
                    std::vector<PlannedFile> planned;
                    try {
                        planned = plan_(index);
                    } catch (const std::bad_alloc&) {
                    }
                    lock.lock();
                    planning_ = false;
                    for (PlannedFile& file : planned)
                        tasks_.push_back({std::move(file), index});
                    wake_.notify_all();
                    continue;
                }
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            if (base::ReadWholeFile(files, task.file.path, bytes) != 0) continue;
            cache_.Warm(bytes, task.file.table, task.user, compressor, work);
        }
    } catch (const std::bad_alloc&) {
        // Out of memory: this helper stops; the batch compresses what it would have.
    }
}

}  // namespace brisko
