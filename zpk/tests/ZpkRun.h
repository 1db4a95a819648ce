// Runs the built zpk for the end-to-end tests and catches what it prints.
#pragma once

#include <string>
#include <vector>

#include "TestFiles.h"

namespace zpk::test {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs zpk with the arguments (and `env`, settings of the environment put before the command,
// such as "LC_ALL=C"), its output caught in files of `dir`.
Result Zpk(const base::test::TempDir& dir, const std::vector<std::string>& args,
           const std::string& env = "");

}  // namespace zpk::test
