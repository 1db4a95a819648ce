#include "TestFiles.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <winioctl.h>
#else
#include <grp.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <vector>

#include "FileLayer.h"

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

namespace {

// The Unix path of a path, under Wine.
std::string UnixName(const std::string& path) {
    using ToUnix = char*(__cdecl*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return "";
    char* name = toUnix(HostPath(path).wstring().c_str());
    const std::string text = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    return text;
}

// Whether `path` is there as a reparse point, looked at without following it.
bool IsReparsePoint(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(HostPath(path).wstring().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Runs a program of the host under Wine, `program` its Windows path ("Z:\\bin\\ln"), until
// `done` holds (Wine does not wait for a program of the host to end); false when it never does.
bool RunOnHost(const wchar_t* program, std::wstring command, const std::function<bool()>& done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return false;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    for (int wait = 0; wait < 500; ++wait) {  // up to 10 s
        if (done()) return true;
        ::Sleep(20);
    }
    return false;
}

std::wstring Quoted(const std::string& path) {
    return L"\"" + HostPath(path).wstring() + L"\"";
}

// Wine makes no links of its own: the host's ln makes a link to a folder, which Wine shows as a
// reparse point.
bool HostFolderLink(const std::string& target, const std::string& link) {
    std::string to = HostPath(target).is_absolute() ? UnixName(target) : target;
    for (char& c : to)
        c = c == '\\' ? '/' : c;
    const std::string at = UnixName(link);
    if (to.empty() || at.empty()) return false;
    return RunOnHost(L"Z:\\bin\\ln", L"ln -s -- " + Quoted(to) + L" " + Quoted(at),
                     [&] { return IsReparsePoint(link); });
}

// Wine removes what a host's link names instead of the link: the host's rm removes a scratch
// folder that may hold links.
bool HostRemove(const std::filesystem::path& folder) {
    const std::string at = UnixName(PathText(folder));
    if (at.empty()) return false;
    return RunOnHost(L"Z:\\bin\\rm", L"rm -rf -- " + Quoted(at), [&] {
        return ::GetFileAttributesW(folder.wstring().c_str()) == INVALID_FILE_ATTRIBUTES;
    });
}

// A junction: an empty folder made a mount point of the target folder.
bool Junction(const std::string& target, const std::string& link) {
    const std::wstring to = L"\\??\\" + std::filesystem::absolute(HostPath(target)).wstring();
    const std::wstring at = HostPath(link).wstring();
    if (!::CreateDirectoryW(at.c_str(), nullptr)) return false;
    const HANDLE folder =
        ::CreateFileW(at.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    // The mount point's data: tag, sizes, the target as substitute name and an empty print name.
    std::vector<char> data(20 + (to.size() + 2) * sizeof(wchar_t), '\0');
    const auto put16 = [&](std::size_t at, std::size_t value) {
        data[at] = static_cast<char>(value);
        data[at + 1] = static_cast<char>(value >> 8);
    };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(data.data(), &tag, sizeof tag);
    put16(4, data.size() - 8);
    put16(10, to.size() * sizeof(wchar_t));
    put16(12, (to.size() + 1) * sizeof(wchar_t));
    std::memcpy(data.data() + 16, to.c_str(), to.size() * sizeof(wchar_t));
    DWORD returned = 0;
    const bool made =
        ::DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(),
                          static_cast<DWORD>(data.size()), nullptr, 0, &returned, nullptr);
    ::CloseHandle(folder);
    if (!made) ::RemoveDirectoryW(at.c_str());
    return made;
}

// Removes everything inside the open folder `fd` and closes it; links are removed as links, so
// that a link never leads the removal out of the scratch folder or round in a circle.
void RemoveInside(FileLayer& files, int fd) {
    std::vector<std::string> names;
    files.ListFolder(fd, names);
    for (const std::string& name : names) {
        FileInfo info;
        if (files.StatAt(fd, name, info) == 0 && info.IsFolder()) {
            const int sub = files.OpenAt(fd, name, kRead | kFolder);
            if (sub >= 0) RemoveInside(files, sub);
            files.UnlinkAt(fd, name, true);
        } else {
            files.UnlinkAt(fd, name);
        }
    }
    files.Close(fd);
}

}  // namespace

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

const char* FileLinksUnseen() {
    return UnderWine() ? "Wine shows a link to a file as the file itself and a link to nothing "
                         "not at all, and makes no links of its own: this check of such links "
                         "runs on Linux and Windows only."
                       : nullptr;
}

const char* LinksUnremovable() {
    return UnderWine() ? "Wine removes the folder or file that a link names instead of the link "
                         "itself: this check of removing links runs on Linux and Windows only."
                       : nullptr;
}

bool MakeJunction(const std::string& target, const std::string& link) {
    return Junction(target, link);
}

bool MakeLink(const std::string& target, const std::string& link, bool folder) {
    if (UnderWine()) return folder && HostFolderLink(target, link);
    if (folder && HostPath(target).is_absolute() && Junction(target, link)) return true;
    const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;  // unprivileged
    // A relative target is followed with Windows' own separator only.
    const std::filesystem::path to = HostPath(target).make_preferred();
    return ::CreateSymbolicLinkW(HostPath(link).wstring().c_str(), to.wstring().c_str(), flags);
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

bool MakeLink(const std::string& target, const std::string& link, bool) {
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

bool MakeJunction(const std::string&, const std::string&) {
    return false;  // Windows only
}

bool UnderWine() {
    return false;
}

const char* FileLinksUnseen() {
    return nullptr;
}

const char* LinksUnremovable() {
    return nullptr;
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

#ifdef _WIN32
TempDir::~TempDir() {
    if (UnderWine() && HostRemove(path_)) return;
    FileLayer& files = FileLayer::System();
    const std::string path = PathText(path_);
    const int fd = files.Open(path, kRead | kFolder | kNoFollow);
    if (fd >= 0) RemoveInside(files, fd);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}
#else
TempDir::~TempDir() {
    std::error_code ignored;
    // Folders made read-only by a test must be writable again to be removed.
    namespace fs = std::filesystem;
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}
#endif

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

bool IsLink(const std::string& path) {
    FileInfo info;
    return FileLayer::System().LinkStat(path, info) == 0 && info.kind == FileKind::LINK;
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
