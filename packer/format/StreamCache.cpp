#include "StreamCache.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

namespace brisko {
namespace {

std::uint64_t HashBytes(std::string_view bytes) {
    return std::hash<std::string_view>{}(bytes);
}

}  // namespace

std::shared_ptr<StreamCache::Entry> StreamCache::MakeEntry(std::string_view bytes, int user) {
    try {
        auto entry = std::make_shared<Entry>();
        entry->bytes.assign(bytes);
        entry->lastUser = user;
        return entry;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CompressBytes(std::string_view bytes, StreamCompressor& compressor, Buffer& work,
                   Buffer& stream) {
    try {
        const std::size_t bound = compressor.Bound(bytes.size());
        if (work.size() < bound) work.Resize(bound);
        const std::size_t length =
            compressor.Compress(bytes.data(), bytes.size(), work.data(), bound);
        if (length == 0) return false;
        stream.Resize(length);
        std::memcpy(stream.data(), work.data(), length);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

StreamCache::StreamCache(std::size_t byteLimit) : byteLimit_(byteLimit) {}

std::shared_ptr<StreamCache::Entry> StreamCache::FindLocked(const Key& key,
                                                            std::string_view bytes) const {
    const auto [first, last] = entries_.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (it->second->bytes == bytes) return it->second;
    }
    return nullptr;
}

bool StreamCache::Get(std::string_view bytes, bool table, int user, StreamCompressor& compressor,
                      Buffer& work, Buffer& stream, TableContribution& sum) {
    const Key key{HashBytes(bytes), bytes.size()};
    std::shared_ptr<Entry> fresh;  // made outside the lock, kept only when still new
    while (true) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (std::shared_ptr<Entry> found = FindLocked(key, bytes)) {
            found->lastUser = std::max(found->lastUser, user);
            readied_.wait(lock, [&] { return found->ready || found->failed; });
            if (!found->ready) break;  // its compression failed: try here, without keeping
            ++hits_;
            lock.unlock();
            return CopyOut(found, bytes, table, stream, sum);
        }
        if (heldBytes_ + bytes.size() > byteLimit_) break;
        if (fresh) {
            heldBytes_ += fresh->bytes.size();
            entries_.emplace(key, fresh);
            lock.unlock();
            return CompressAndKeep(fresh, key, bytes, table, compressor, work, stream, sum);
        }
        lock.unlock();
        fresh = MakeEntry(bytes, user);
        if (!fresh) break;
    }
    if (table) {
        sum = TableContribution();
        sum.Add(bytes);
    }
    return CompressBytes(bytes, compressor, work, stream);
}

void StreamCache::Warm(std::string_view bytes, bool table, int user, StreamCompressor& compressor,
                       Buffer& work) {
    const Key key{HashBytes(bytes), bytes.size()};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (std::shared_ptr<Entry> found = FindLocked(key, bytes)) {
            found->lastUser = std::max(found->lastUser, user);
            return;
        }
        if (heldBytes_ + bytes.size() > byteLimit_) return;
    }
    std::shared_ptr<Entry> fresh = MakeEntry(bytes, user);
    if (!fresh) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (std::shared_ptr<Entry> found = FindLocked(key, bytes)) {
            found->lastUser = std::max(found->lastUser, user);
            return;
        }
        heldBytes_ += fresh->bytes.size();
        entries_.emplace(key, fresh);
    }
    Buffer stream;
    TableContribution sum;
    CompressAndKeep(fresh, key, bytes, table, compressor, work, stream, sum);
}

bool StreamCache::CompressAndKeep(const std::shared_ptr<Entry>& entry, const Key& key,
                                  std::string_view bytes, bool table, StreamCompressor& compressor,
                                  Buffer& work, Buffer& stream, TableContribution& sum) {
    if (table) {
        sum = TableContribution();
        sum.Add(bytes);
    }
    bool ok = CompressBytes(bytes, compressor, work, stream);
    std::string kept;
    if (ok) {
        try {
            kept.assign(stream.view());
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (ok) {
        entry->stream = std::move(kept);
        entry->sum = sum;
        entry->hasSum = table;
        entry->ready = true;
        heldBytes_ += entry->stream.size();
        ++compressions_;
    } else {
        entry->failed = true;
        ForgetLocked(key, entry);
    }
    readied_.notify_all();
    return ok;
}

bool StreamCache::CopyOut(const std::shared_ptr<Entry>& entry, std::string_view bytes, bool table,
                          Buffer& stream, TableContribution& sum) {
    // The entry's bytes and stream never change once it is ready; its sum may be added later.
    bool hasSum;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hasSum = entry->hasSum;
        if (hasSum) sum = entry->sum;
    }
    if (table && !hasSum) {
        sum = TableContribution();
        sum.Add(bytes);
        std::lock_guard<std::mutex> lock(mutex_);
        entry->sum = sum;
        entry->hasSum = true;
    }
    try {
        stream.Resize(entry->stream.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::memcpy(stream.data(), entry->stream.data(), entry->stream.size());
    return true;
}

void StreamCache::ForgetLocked(const Key& key, const std::shared_ptr<Entry>& entry) {
    const auto [first, last] = entries_.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (it->second != entry) continue;
        heldBytes_ -= entry->bytes.size() + entry->stream.size();
        entries_.erase(it);
        return;
    }
}

bool StreamCache::HasRoom() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return heldBytes_ < byteLimit_;
}

void StreamCache::DropUpTo(int user) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end();) {
        const Entry& entry = *it->second;
        if (entry.lastUser <= user && (entry.ready || entry.failed)) {
            heldBytes_ -= entry.bytes.size() + entry.stream.size();
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

std::size_t StreamCache::HeldBytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return heldBytes_;
}

std::size_t StreamCache::Hits() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return hits_;
}

std::size_t StreamCache::Compressions() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return compressions_;
}

}  // namespace brisko
