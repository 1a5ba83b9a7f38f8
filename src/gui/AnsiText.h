#pragma once

#include <string>

#include <QString>

namespace tavrel {

// The program keeps texts as 8-bit Windows-1252, as the registry's A calls
// and the preset file hold them; the windows show Unicode.
QString fromAnsi(const std::string& text);
// Characters with no Windows-1252 form become '?'.
std::string toAnsi(const QString& text);

} // namespace tavrel
