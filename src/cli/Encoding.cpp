#include "Encoding.h"

#include "values/Ansi.h"

namespace tavrel {

// On Windows the console's text is the ANSI code page, the core's own;
// elsewhere it is UTF-8.
#ifdef _WIN32

std::string consoleFromAnsi(std::string_view ansi)
{
    return std::string(ansi);
}

std::string consoleFromUtf8(std::string_view utf8)
{
    return utf8ToAnsi(utf8);
}

std::string ansiFromArgument(std::string_view arg)
{
    return std::string(arg);
}

#else

std::string consoleFromAnsi(std::string_view ansi)
{
    return ansiToUtf8(ansi);
}

std::string consoleFromUtf8(std::string_view utf8)
{
    return std::string(utf8);
}

std::string ansiFromArgument(std::string_view arg)
{
    return utf8ToAnsi(arg);
}

#endif

} // namespace tavrel
