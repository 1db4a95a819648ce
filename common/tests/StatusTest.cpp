// The texts the user sees for failed file calls, one table for both programs and zpk.
#include <gtest/gtest.h>

#include <cerrno>

#include "Status.h"

namespace base {
namespace {

TEST(StatusTest, EachReasonGivesThePlatformsText) {
    struct Case {
        int error;
        const char* text;
    };
    const Case cases[] = {
        {ENOENT, "C:\\t.csv was not found."},
        {ENOTDIR, "C:\\t.csv contains an invalid path."},
        {ENAMETOOLONG, "C:\\t.csv contains an invalid path."},
        {ELOOP, "C:\\t.csv contains an invalid path."},
        {EISDIR, "C:\\t.csv contains an invalid path."},
        {EACCES, "Access to C:\\t.csv was denied."},
        {EPERM, "Access to C:\\t.csv was denied."},
        {EROFS, "Access to C:\\t.csv was denied."},
        {ETXTBSY, "Access to C:\\t.csv was denied."},
        {EMFILE, "C:\\t.csv could not be opened because there are too many open files."},
        {ENFILE, "C:\\t.csv could not be opened because there are too many open files."},
        {ENOSPC, "Disk full while accessing C:\\t.csv."},
#ifdef EDQUOT
        {EDQUOT, "Disk full while accessing C:\\t.csv."},
#endif
        {EFBIG, "Disk full while accessing C:\\t.csv."},
        {EIO, "A hardware I/O error was reported while accessing C:\\t.csv."},
        {EBUSY, "A sharing violation occurred while accessing C:\\t.csv."},
        {EXDEV, "An unknown error occurred while accessing C:\\t.csv."},
        {0, "An unknown error occurred while accessing C:\\t.csv."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileErrorText("C:\\t.csv", c.error), c.text) << "errno " << c.error;
        const Status status = FileError(Status::WRITE_FAILED, "C:\\t.csv", c.error);
        EXPECT_EQ(status.kind, Status::WRITE_FAILED);
        EXPECT_EQ(status.message, c.text);
        EXPECT_FALSE(status.ok());
    }
    EXPECT_TRUE(Status::Ok().ok());
}

TEST(StatusTest, FormatPutsEachArgumentInItsPlaceOnce) {
    EXPECT_EQ(Format("%1 and %2", "a", "b"), "a and b");
    EXPECT_EQ(Format("%2 before %1", "a", "b"), "b before a");
    EXPECT_EQ(Format("%1%3%2", "a", "b", "c"), "acb");
    // An argument holding a marker is not read again; markers without an argument stay.
    EXPECT_EQ(Format("%1 %2", "%2", "x"), "%2 x");
    EXPECT_EQ(Format("%1 %2 %", "only"), "only %2 %");
    EXPECT_EQ(Format("100%1", ""), "100");
}

}  // namespace
}  // namespace base
