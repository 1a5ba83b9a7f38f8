// Why a registry file was refused, for the store and for its reading of the
// file alike.
#pragma once

#include <string>

#include "io/FileIo.h"

namespace tavrel {

// Which file, which line (0 when the reason is not tied to a line) and what
// is wrong.
struct RegFileError {
    FilePath path;
    int line = 0;
    std::string reason;

    explicit operator bool() const { return !reason.empty(); }
    std::string message() const
    {
        std::string text = "\"" + path.string() + "\"";
        if (line > 0)
            text += ", line " + std::to_string(line);
        return text + ": " + reason;
    }
};

} // namespace tavrel
