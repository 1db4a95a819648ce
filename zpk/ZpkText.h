// Member names as zpk prints them: in the terminal's encoding, with every control character (and
// every character that encoding cannot show) written as \xNN, the name's byte in Windows-1252, so
// that a hostile name can neither break a line nor send a sequence to the terminal.
#pragma once

#include <string>
#include <string_view>

namespace zpk {

// The terminal's encoding, from the locale (LC_ALL, LC_CTYPE, LANG), as iconv names it; on
// Windows always UTF-8, which zpk writes there whatever the console's code page.
std::string TerminalEncoding();

// A Windows-1252 name in `encoding`.
std::string TerminalText(std::string_view name, const std::string& encoding);

// A line of a message as zpk prints it: control characters (a member's name in it may hold any)
// written as \xNN, the rest as it is.
std::string SafeLine(std::string_view line);

}  // namespace zpk
