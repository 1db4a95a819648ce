#include "TestFiles.h"

#ifndef _WIN32
#include <grp.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace base::test {

#ifdef _WIN32
// Paths in tests are UTF-8, as everywhere in the programs.
std::filesystem::path HostPath(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TempDir::TempDir() {
    std::random_device random;
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = temp / ("gamedata-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_)) return;
    }
    throw std::runtime_error("no scratch folder could be made");
}
#else
std::filesystem::path HostPath(const std::string& path) {
    return path;
}

std::string PathText(const std::filesystem::path& path) {
    return path.string();
}

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "gamedata-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}
#endif

std::string TempDir::File(const std::string& name) const {
    return PathText(path_ / HostPath(name));
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Folders made read-only by a test must be writable again to be removed.
    namespace fs = std::filesystem;
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        // Windows deletes no read-only file either.
        const bool windows = std::filesystem::path::preferred_separator == '\\';
        if ((windows || it->is_directory(ignored)) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(HostPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(HostPath(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(HostPath(path), error).type() !=
           std::filesystem::file_type::not_found;
}

#ifdef _WIN32
bool RunningAsRoot() {
    return false;
}

// Windows has no root whose writes no permission stops: the check runs here.
std::string AsUnprivilegedUser(const std::function<std::string()>& check) {
    return check();
}
#else
bool RunningAsRoot() {
    return ::geteuid() == 0;
}

std::string AsUnprivilegedUser(const std::function<std::string()>& check) {
    if (!RunningAsRoot()) return check();
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe for the unprivileged check";
    const pid_t child = ::fork();
    if (child < 0) return "no child process for the unprivileged check";
    if (child == 0) {
        ::close(channel[0]);
        constexpr unsigned kNobody = 65534;
        std::string result;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            result = "could not become the user nobody";
        } else {
            try {
                result = check();
            } catch (const std::exception& e) {
                result = std::string("exception: ") + e.what();
            }
        }
        const char* at = result.data();
        std::size_t left = result.size();
        while (left > 0) {
            const ssize_t n = ::write(channel[1], at, left);
            if (n <= 0) break;
            at += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the unprivileged check crashed";
    return result;
}

#endif

}  // namespace base::test
