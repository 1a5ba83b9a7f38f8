// The file name's few operations, on both separators where Windows takes them.

#include <gtest/gtest.h>

#include "io/FilePath.h"

using tavrel::FilePath;

namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#define SEP "\\"
#else
constexpr bool kWindows = false;
#define SEP "/"
#endif

TEST(FilePath, ParentJoinAndSuffix)
{
    const struct { FilePath got; const char* expected; } cases[] = {
        {FilePath("a/b/c").parent(), "a/b"}, {FilePath("/c").parent(), "/"}, {FilePath("c").parent(), ""},
        {FilePath("/").parent(), "/"}, {FilePath("a//b").parent(), "a"}, {FilePath("a/b/").parent(), "a/b"},
        {FilePath("a") / "b", "a" SEP "b"}, {FilePath("a/") / "b", "a/b"}, {FilePath("") / "b", "b"},
        {FilePath("a") / "/b", "/b"}, {FilePath("caf\xe9") + ".lock", "caf\xe9.lock"},
#ifdef _WIN32
        {FilePath("C:\\a\\b").parent(), "C:\\a"}, {FilePath("C:\\a").parent(), "C:\\"},
        {FilePath("C:/").parent(), "C:/"}, {FilePath("C:a").parent(), "C:"}, {FilePath("a/b\\c").parent(), "a/b"},
        {FilePath("\\\\srv\\share\\x").parent(), "\\\\srv\\share\\"}, {FilePath("C:") / "a", "C:a"},
        {FilePath("a") / "C:\\b", "C:\\b"}, {FilePath("a\\") / "b", "a\\b"},
#endif
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].got.string(), cases[i].expected) << "row " << i;
}

TEST(FilePath, IsAbsolute)
{
    const struct { const char* name; bool posix, windows; } cases[] = {
        {"/a", true, false}, {"a/b", false, false}, {"", false, false}, {"C:\\a", false, true},
        {"C:/a", false, true}, {"C:a", false, false}, {"\\a", false, false}, {"\\\\srv\\share", false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilePath(c.name).isAbsolute(), kWindows ? c.windows : c.posix) << c.name;
}

} // namespace
