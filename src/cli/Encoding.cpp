#include "Encoding.h"

#include "values/Ansi.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tavrel {

#ifdef _WIN32

std::string consoleFromAnsi(std::string_view ansi)
{
    return std::string(ansi);
}

std::string consoleFromUtf8(std::string_view utf8)
{
    // Only what is not plain ASCII needs converting; a system that cannot
    // convert UTF-8 (Windows 95) gets it as it is.
    const int size = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (wide <= 0)
        return std::string(utf8);
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, w.data(), wide);
    const int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0)
        return std::string(utf8);
    std::string out(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), wide, out.data(), narrow, nullptr, nullptr);
    return out;
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
    // UTF-8 to UTF-16; a byte that starts no valid sequence stands for itself.
    std::u16string text;
    for (std::size_t i = 0; i < arg.size();) {
        const auto c = static_cast<unsigned char>(arg[i]);
        const std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        char32_t u = n == 1 ? c : c & (0x7F >> n);
        bool valid = n == 1 || (c >= 0xC2 && c <= 0xF4 && i + n <= arg.size());
        for (std::size_t k = 1; valid && k < n; ++k) {
            const auto b = static_cast<unsigned char>(arg[i + k]);
            valid = (b & 0xC0) == 0x80;
            u = (u << 6) | (b & 0x3F);
        }
        if (!valid) {
            text += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        if (u > 0xFFFF)
            text += u'?'; // beyond Windows-1252 either way
        else
            text += static_cast<char16_t>(u);
        i += n;
    }
    return utf16ToAnsi(text);
}

#endif

} // namespace tavrel
