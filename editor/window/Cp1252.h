// The tables' 8-bit text shown and typed in the Windows-1252 code page. Every byte decodes to one
// character and back to the same byte (the five bytes the code page leaves undefined map to the
// control characters of the same value), so a cell survives the round trip through the grid.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tavrel {

QString FromCp1252(std::string_view bytes);
// Characters the code page cannot hold become "?", as the platform writes them.
std::string ToCp1252(const QString& text);
// True when every character of the text has a byte in the code page.
bool FitsCp1252(const QString& text);

}  // namespace tavrel
