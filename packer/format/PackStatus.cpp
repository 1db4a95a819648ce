#include "PackStatus.h"

#include <cerrno>
#include <initializer_list>

namespace brisko {
namespace {

std::string Substitute(const char* pattern, std::initializer_list<const std::string*> args) {
    std::string text;
    for (const char* p = pattern; *p; ++p) {
        const unsigned index = p[1] >= '1' && p[1] <= '9' ? static_cast<unsigned>(p[1] - '1') : 9;
        if (*p == '%' && index < args.size()) {
            text += *args.begin()[index];
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

}  // namespace

std::string Format(const char* pattern, const std::string& a1) {
    return Substitute(pattern, {&a1});
}

std::string Format(const char* pattern, const std::string& a1, const std::string& a2) {
    return Substitute(pattern, {&a1, &a2});
}

std::string Format(const char* pattern, const std::string& a1, const std::string& a2,
                   const std::string& a3) {
    return Substitute(pattern, {&a1, &a2, &a3});
}

std::string FileErrorText(const std::string& path, int error) {
    switch (error) {
        case ENOENT:
            return Format("%1 was not found.", path);
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EISDIR:
            return Format("%1 contains an invalid path.", path);
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return Format("Access to %1 was denied.", path);
        case EMFILE:
        case ENFILE:
            return Format("%1 could not be opened because there are too many open files.", path);
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return Format("Disk full while accessing %1.", path);
        case EIO:
            return Format("A hardware I/O error was reported while accessing %1.", path);
        default:
            return Format("An unknown error occurred while accessing %1.", path);
    }
}

PackStatus FileError(PackStatus::Kind kind, const std::string& path, int error) {
    return PackStatus::Error(kind, FileErrorText(path, error));
}

}  // namespace brisko
