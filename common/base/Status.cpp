#include "Status.h"

#include <cerrno>
#include <initializer_list>

namespace base {
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

// The platform's file error texts, by the reason a call gave.
const char* FileErrorPattern(int error) {
    switch (error) {
        case ENOENT:
            return "%1 was not found.";
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EISDIR:
            return "%1 contains an invalid path.";
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return "Access to %1 was denied.";
        case EMFILE:
        case ENFILE:
            return "%1 could not be opened because there are too many open files.";
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return "Disk full while accessing %1.";
        case EIO:
            return "A hardware I/O error was reported while accessing %1.";
        case EBUSY:
            return "A sharing violation occurred while accessing %1.";
        default:
            return "An unknown error occurred while accessing %1.";
    }
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
    return Format(FileErrorPattern(error), path);
}

Status FileError(Status::Kind kind, const std::string& path, int error) {
    return Status::Error(kind, FileErrorText(path, error));
}

}  // namespace base
