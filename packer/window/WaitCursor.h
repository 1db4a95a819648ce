// The wait cursor for the length of a command, taken back by Release or at the end of the scope.
#pragma once

namespace brisko {

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void Release();

private:
    bool shown_ = true;
};

}  // namespace brisko
