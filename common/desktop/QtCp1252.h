// The game's 8-bit texts (Windows-1252) shown and typed in Qt's widgets. Every byte decodes to one
// character and back to the same byte, so a cell or a name survives the round trip through a
// widget.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace desktop {

QString FromCp1252(std::string_view bytes);
// Characters the code page cannot hold become "?", as the platform writes them.
std::string ToCp1252(const QString& text);
// True when every character of the text has a byte in the code page.
bool FitsCp1252(const QString& text);

}  // namespace desktop
