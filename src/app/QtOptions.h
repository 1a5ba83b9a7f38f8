#pragma once

#include <string>
#include <vector>

// What the Qt program settles before it knows whether it opens a window.
namespace tavrel {

// argv[1..argc-1] without Qt's own options (-style, -platform, -reverse and
// the rest that every Qt program takes), which Qt reads for the window and
// the command line has no use for.
std::vector<std::string> argumentsWithoutQtOptions(int argc, char* argv[]);

} // namespace tavrel
