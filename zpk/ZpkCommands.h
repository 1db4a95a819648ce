// The commands of zpk over the pack library. Results go to standard output, errors to standard
// error naming the file; the return value is the exit status.
#pragma once

namespace zpk {

int Run(int argc, char** argv);

}  // namespace zpk
