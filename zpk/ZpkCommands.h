// The commands of zpk over the pack library. Results go to standard output, errors to standard
// error naming the file; the return value is the exit status.
#pragma once

#include <string>
#include <vector>

namespace zpk {

// The arguments after the program's name, paths in UTF-8.
int Run(const std::vector<std::string>& arguments);

}  // namespace zpk
