// Host text: the programs hold host paths and command-line arguments as UTF-8 on every host;
// Windows' wide-character calls take UTF-16. A name on a Windows disk may hold a lone surrogate
// (UTF-16 that is no valid text); it is carried in UTF-8 as the three bytes its code would take,
// so that a listed name converts back to the very same name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace base {

// UTF-8 (lone surrogates as above allowed) as UTF-16. False when the text is no UTF-8: a bad
// or overlong sequence, a code past U+10FFFF, or a surrogate pair spelt as two halves.
bool Utf8ToUtf16(std::string_view utf8, std::u16string& text);

// UTF-16 as UTF-8, lone surrogates as above.
std::string Utf16ToUtf8(std::u16string_view text);

// The program's arguments (without the program's own name) as UTF-8: on Windows from the wide
// command line, elsewhere as the host gives them.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// An environment variable's value as UTF-8 (as a host path); empty when it is not set.
std::string EnvironmentVariable(const char* name);

// For the command-line programs: standard output and error carry UTF-8 on every host, bytes as
// written (no CR added before LF). On Windows a console that shows them is switched to UTF-8 for
// the program's run and back to its own code page when the program exits.
void WriteUtf8Output();

}  // namespace base
