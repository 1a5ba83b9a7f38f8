#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// The command line's options: one table gives the parser and the help.
namespace tavrel {

struct Options {
    bool help = false;
    bool version = false;
    bool info = false;
    std::optional<std::string> preset;
    std::optional<std::string> memoryClock;
    std::optional<std::string> coreClock;
    std::optional<std::string> adapter;
    std::optional<std::string> registry; // never set on Windows
};

// Reads "--name value", "--name=value", "-h" and "-v" (and "/?" on Windows);
// "--" ends the options. A later option overrides an earlier one. Returns the
// usage error, or the empty text when the arguments were read.
std::string parseOptions(std::span<const std::string> args, Options& options);

// "Usage: tavrel [options]", what the program does, and each option.
std::string helpText();

} // namespace tavrel
