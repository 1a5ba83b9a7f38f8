#include "AnsiText.h"

namespace tavrel {

std::string captionText(std::string_view ansi)
{
    std::string out;
    for (const char c : ansi) {
        if (c == '&')
            out += '&';
        out += c;
    }
    return out;
}

} // namespace tavrel
