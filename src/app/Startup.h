#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What the Qt program settles before it knows whether it opens a window.
namespace tavrel {

// argv[1..argc-1] without Qt's own options (-style, -platform, -reverse and
// the rest that every Qt program takes), which Qt reads for the window and
// the command line has no use for.
std::vector<std::string> argumentsWithoutQtOptions(int argc, char* argv[]);

// The folder that holds the program file, found without an application
// object (the command line makes none).
std::filesystem::path programFolder(const char* argv0);

} // namespace tavrel
