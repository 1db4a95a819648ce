// deflate-levels: compresses files as pack members at every libdeflate level and with zlib's
// compress2 at level 9, and prints each one's total size and time, to choose the level members
// are made at: the fastest whose packs are no larger than zlib's level 9.
//   deflate-levels FILE...
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Buffer.h"
#include "MemberStream.h"
#include "StreamCache.h"

namespace {

std::string ReadAll(const char* path) {
    std::string bytes;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return bytes;
    char chunk[1 << 16];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, n);
    std::fclose(file);
    return bytes;
}

struct Figures {
    std::size_t bytes = 0;
    double seconds = 0;
};

// The best time of three rounds.
Figures Measure(const std::vector<std::string>& files, bool classic, int level) {
    Figures best;
    for (int round = 0; round < 3; ++round) {
        brisko::StreamCompressor compressor(classic, level);
        brisko::Buffer work;
        brisko::Buffer stream;
        Figures figures;
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& file : files) {
            if (!brisko::CompressBytes(file, compressor, work, stream)) return {};
            figures.bytes += stream.size();
        }
        figures.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (round == 0 || figures.seconds < best.seconds) best = figures;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: deflate-levels FILE...\n");
        return 2;
    }
    std::vector<std::string> files;
    std::size_t total = 0;
    for (int i = 1; i < argc; ++i) {
        files.push_back(ReadAll(argv[i]));
        total += files.back().size();
    }
    const Figures zlib = Measure(files, true, 9);
    std::printf("%zu files, %zu bytes\n", files.size(), total);
    std::printf("zlib -9        %10zu bytes  %6.3f s\n", zlib.bytes, zlib.seconds);
    if (!brisko::HaveLibdeflate()) return 0;
    for (int level = 1; level <= 12; ++level) {
        const Figures f = Measure(files, false, level);
        std::printf("libdeflate %2d  %10zu bytes  %6.3f s  %+.2f%% size, %.2fx speed%s\n", level,
                    f.bytes, f.seconds, 100.0 * (double(f.bytes) / zlib.bytes - 1),
                    zlib.seconds / f.seconds, f.bytes <= zlib.bytes ? "" : "  (larger)");
    }
    return 0;
}
