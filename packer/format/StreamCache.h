// The compressed streams of member contents already met in one batch of packs, keyed by the
// member's bytes themselves (never by its name or time): the ten common tables are the same in
// every scenario pack and are compressed once. Whoever meets new bytes first compresses them; a
// thread that meets bytes another thread is compressing waits for that stream instead of
// compressing them again. Safe on several threads at once.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "Buffer.h"
#include "Checksum.h"
#include "MemberStream.h"

namespace brisko {

class StreamCache {
public:
    // `byteLimit`: the bytes (contents and streams) held at most; beyond it new contents are
    // compressed but not kept.
    explicit StreamCache(std::size_t byteLimit = std::size_t{512} << 20);
    StreamCache(const StreamCache&) = delete;
    StreamCache& operator=(const StreamCache&) = delete;

    // The stream of `bytes` in `stream` (and, for a table, its checksum contribution in `sum`):
    // the kept one, or compressed here with `compressor` and `work` and kept. `user` is the
    // scenario (or any number that grows) that needs it; DropUpTo uses it. False when the
    // compression failed (out of memory).
    bool Get(std::string_view bytes, bool table, int user, StreamCompressor& compressor,
             Buffer& work, Buffer& stream, TableContribution& sum);

    // Compresses and keeps `bytes` ahead of need, unless they are kept (or being compressed)
    // already; then only notes `user` among those who need them. Throws nothing.
    void Warm(std::string_view bytes, bool table, int user, StreamCompressor& compressor,
              Buffer& work);

    // Whether the cache still takes new contents, and the bytes it holds.
    bool HasRoom() const;
    std::size_t HeldBytes() const;
    std::size_t Limit() const { return byteLimit_; }
    // Forgets every content whose last user is at most `user` (no longer needed).
    void DropUpTo(int user);

    // How many times kept streams were handed out, and how many contents were compressed.
    std::size_t Hits() const;
    std::size_t Compressions() const;

private:
    struct Entry {
        std::string bytes;
        std::string stream;
        TableContribution sum;
        bool hasSum = false;
        bool ready = false;
        bool failed = false;
        int lastUser = 0;
    };
    using Key = std::pair<std::uint64_t, std::size_t>;  // hash and size
    struct KeyHash {
        std::size_t operator()(const Key& key) const { return key.first ^ key.second; }
    };

    static std::shared_ptr<Entry> MakeEntry(std::string_view bytes, int user);
    std::shared_ptr<Entry> FindLocked(const Key& key, std::string_view bytes) const;
    bool CompressAndKeep(const std::shared_ptr<Entry>& entry, const Key& key,
                         std::string_view bytes, bool table, StreamCompressor& compressor,
                         Buffer& work, Buffer& stream, TableContribution& sum);
    bool CopyOut(const std::shared_ptr<Entry>& entry, std::string_view bytes, bool table,
                 Buffer& stream, TableContribution& sum);
    void ForgetLocked(const Key& key, const std::shared_ptr<Entry>& entry);

    const std::size_t byteLimit_;
    mutable std::mutex mutex_;
    std::condition_variable readied_;
    std::unordered_multimap<Key, std::shared_ptr<Entry>, KeyHash> entries_;
    std::size_t heldBytes_ = 0;
    std::size_t hits_ = 0;
    std::size_t compressions_ = 0;
};

// Compresses `bytes` into one stream in `stream` with `compressor`, through the work buffer
// `work`; false when it failed (out of memory). Throws nothing.
bool CompressBytes(std::string_view bytes, StreamCompressor& compressor, Buffer& work,
                   Buffer& stream);

}  // namespace brisko
