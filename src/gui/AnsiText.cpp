#include "AnsiText.h"

#include "values/Ansi.h"

namespace tavrel {

QString fromAnsi(const std::string& text)
{
    return QString::fromStdU16String(ansiToUtf16(text));
}

std::string toAnsi(const QString& text)
{
    return utf16ToAnsi(text.toStdU16String());
}

} // namespace tavrel
