#include "MemberCompressor.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "MemberStream.h"
#include "PackFormat.h"
#include "StreamCache.h"

namespace brisko {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point& from) {
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - from).count();
    from = now;
    return seconds;
}

Status Changed(const std::string& path) {
    return Status::Error(Status::READ_FAILED,
                         Format("%1 changed while it was being packed.", path));
}

Status ReadError(const std::string& path) {
    return FileError(Status::READ_FAILED, path, errno);
}

Status NoMemory(const std::string& source, const std::string& packPath) {
    return Status::Error(Status::NO_MEMORY,
                         Format("Not enough memory to pack %1 into %2.", source, packPath));
}

// One compressing thread's compressor, its reused work buffers and its times.
struct Worker {
    explicit Worker(bool classic) : classic(classic), compressor(classic) {}

    const bool classic;
    StreamCompressor compressor;
    Buffer in;
    Buffer out;
    CompressTimes times;

    Status ReadSource(FileLayer& files, const MemberJob& job);
    void Compress(FileLayer& files, const MemberJob& job, const CompressOptions& options,
                  CompressedMember& result);
};

Status Worker::ReadSource(FileLayer& files, const MemberJob& job) {
    const std::string& path = job.sourcePath;
    int fd = files.Open(path, base::kRead | base::kPlainFile);
    if (fd < 0 && errno == EINVAL) return Changed(path);  // no longer a plain file
    if (fd < 0) return FileError(Status::CANNOT_OPEN, path, errno);
    FileInfo info;
    Status status;
    char extra;
    if (files.StatOpen(fd, info) != 0) {
        status = ReadError(path);  // errno tells why
    } else if (info.size != job.size) {
        status = Changed(path);
    } else if (!ReadFully(files, fd, in.data(), job.size)) {
        status = errno == 0 ? Changed(path) : ReadError(path);
    } else {
        const std::int64_t more = files.Read(fd, &extra, 1);
        if (more > 0) status = Changed(path);
        if (more < 0) status = ReadError(path);
    }
    CloseQuietly(files, fd);
    return status;
}

// Reads the member and compresses it (or takes its stream from the cache). A buffer that cannot
// grow is left empty and valid, and is grown again for the next member.
void Worker::Compress(FileLayer& files, const MemberJob& job, const CompressOptions& options,
                      CompressedMember& result) {
    Clock::time_point clock = Clock::now();
    try {
        if (in.size() < job.size) in.Resize(job.size);
    } catch (const std::bad_alloc&) {
        result.status = NoMemory(job.sourcePath, options.packPath);
        return;
    }
    result.status = ReadSource(files, job);
    times.reading += SecondsSince(clock);
    if (!result.status.ok()) return;
    const std::string_view bytes(in.data(), job.size);
    bool ok;
    if (options.cache) {
        ok = options.cache->Get(bytes, job.table, options.cacheUser, compressor, out, result.bytes,
                                result.sum);
        times.compressing += SecondsSince(clock);
    } else {
        if (job.table) {
            result.sum.Add(bytes);
            times.checksum += SecondsSince(clock);
        }
        ok = CompressBytes(bytes, compressor, out, result.bytes);
        times.compressing += SecondsSince(clock);
    }
    if (!ok) {
        result.bytes.Release();
        result.status = NoMemory(job.sourcePath, options.packPath);
    }
}

// The calling thread keeps its worker (the compressor, and the work buffers at their first size)
// from one pack to the next: a batch writes its packs one after another, and a compressor and its
// buffers made anew for each pack cost more than packing a small scenario.
std::unique_ptr<Worker>& CallersWorker() {
    thread_local std::unique_ptr<Worker> kept;
    return kept;
}

std::unique_ptr<Worker> TakeCallersWorker(bool classic) {
    std::unique_ptr<Worker> worker = std::move(CallersWorker());
    if (!worker || worker->classic != classic) worker = std::make_unique<Worker>(classic);
    worker->times = {};
    return worker;
}

void KeepCallersWorker(std::unique_ptr<Worker> worker) {
    if (worker->in.capacity() > kWorkBufferSize) worker->in.Release();
    if (worker->out.capacity() > kWorkBufferSize) worker->out.Release();
    CallersWorker() = std::move(worker);
}

class InOrderCompressor {
public:
    InOrderCompressor(const std::vector<MemberJob>& jobs, const CompressOptions& options);
    ~InOrderCompressor();

    Status Run(const std::function<Status(std::size_t, CompressedMember&)>& deliver,
               CompressTimes* times);

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t ClaimLocked();
    void Process(std::size_t index, Worker& worker);
    void WorkerLoop(Worker& worker);
    void StopAndJoin();

    const std::vector<MemberJob>& jobs_;
    const CompressOptions& options_;
    FileLayer& files_;
    std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<std::size_t> bySize_;  // largest first
    std::vector<char> started_;
    std::vector<char> done_;
    std::vector<CompressedMember> members_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<std::thread> threads_;
    std::size_t nextBySize_ = 0;
    std::size_t nextInOrder_ = 0;
    std::size_t pendingBytes_ = 0;  // finished, not yet delivered
    bool stop_ = false;
};

InOrderCompressor::InOrderCompressor(const std::vector<MemberJob>& jobs,
                                     const CompressOptions& options)
    : jobs_(jobs),
      options_(options),
      files_(options.files ? *options.files : FileLayer::System()),
      bySize_(jobs.size()),
      started_(jobs.size(), 0),
      done_(jobs.size(), 0),
      members_(jobs.size()) {
    for (std::size_t i = 0; i < jobs.size(); ++i)
        bySize_[i] = i;
    std::stable_sort(bySize_.begin(), bySize_.end(),
                     [&](std::size_t a, std::size_t b) { return jobs[a].size > jobs[b].size; });
}

InOrderCompressor::~InOrderCompressor() {
    StopAndJoin();
}

void InOrderCompressor::StopAndJoin() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    for (std::thread& thread : threads_)
        thread.join();
    threads_.clear();
}

// The largest member not started yet; the first one in list order instead while too much is
// waiting for the writer, which always lets the writer's next member through.
std::size_t InOrderCompressor::ClaimLocked() {
    if (stop_) return kNone;
    while (nextInOrder_ < jobs_.size() && started_[nextInOrder_])
        ++nextInOrder_;
    if (nextInOrder_ == jobs_.size()) return kNone;
    while (started_[bySize_[nextBySize_]])
        ++nextBySize_;
    const std::size_t pick =
        pendingBytes_ >= options_.pendingLimit ? nextInOrder_ : bySize_[nextBySize_];
    started_[pick] = 1;
    return pick;
}

void InOrderCompressor::Process(std::size_t index, Worker& worker) {
    CompressedMember& member = members_[index];
    try {
        worker.Compress(files_, jobs_[index], options_, member);
    } catch (const std::bad_alloc&) {
        member.bytes.Release();
        member.status.kind = Status::NO_MEMORY;
        try {
            member.status = NoMemory(jobs_[index].sourcePath, options_.packPath);
        } catch (const std::bad_alloc&) {
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    pendingBytes_ += member.bytes.size();
    done_[index] = 1;
    finished_.notify_all();
}

void InOrderCompressor::WorkerLoop(Worker& worker) {
    while (true) {
        std::size_t index;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            index = ClaimLocked();
        }
        if (index == kNone) return;
        Process(index, worker);
    }
}

Status InOrderCompressor::Run(const std::function<Status(std::size_t, CompressedMember&)>& deliver,
                              CompressTimes* times) {
    unsigned count = options_.threads ? options_.threads : std::thread::hardware_concurrency();
    count = static_cast<unsigned>(
        std::clamp<std::size_t>(count, 1, std::max<std::size_t>(jobs_.size(), 1)));
    for (unsigned k = 0; k < count; ++k) {
        // std::bad_alloc is the caller's to report: no work buffers, no pack.
        workers_.push_back(k == 0 ? TakeCallersWorker(options_.classic)
                                  : std::make_unique<Worker>(options_.classic));
        if (workers_.back()->in.size() < kWorkBufferSize)
            workers_.back()->in.Resize(kWorkBufferSize);
        if (workers_.back()->out.size() < kWorkBufferSize) {
            workers_.back()->out.Resize(kWorkBufferSize);
        }
    }
    // The calling thread compresses too, between deliveries, with workers_[0].
    for (unsigned k = 1; k < count; ++k) {
        try {
            threads_.emplace_back([this, k] { WorkerLoop(*workers_[k]); });
        } catch (const std::system_error&) {
            break;  // fewer threads: the calling thread still gets through every member
        }
    }
    Status status;
    for (std::size_t next = 0; next < jobs_.size();) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (done_[next]) {
            CompressedMember& member = members_[next];
            pendingBytes_ -= member.bytes.size();
            lock.unlock();
            status = member.status.ok() ? deliver(next, member) : std::move(member.status);
            member.bytes.Release();
            if (!status.ok()) break;
            ++next;
            continue;
        }
        const std::size_t index = ClaimLocked();
        if (index != kNone) {
            lock.unlock();
            Process(index, *workers_[0]);
            continue;
        }
        finished_.wait(lock, [&] { return done_[next] != 0; });
    }
    StopAndJoin();
    if (times) {
        for (const std::unique_ptr<Worker>& worker : workers_) {
            times->reading += worker->times.reading;
            times->compressing += worker->times.compressing;
            times->checksum += worker->times.checksum;
        }
    }
    KeepCallersWorker(std::move(workers_[0]));
    return status;
}

}  // namespace

Status CompressInOrder(const std::vector<MemberJob>& jobs, const CompressOptions& options,
                       const std::function<Status(std::size_t, CompressedMember&)>& deliver,
                       CompressTimes* times) {
    InOrderCompressor compressor(jobs, options);
    return compressor.Run(deliver, times);
}

}  // namespace brisko
