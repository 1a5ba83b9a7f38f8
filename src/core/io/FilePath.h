#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace tavrel {

// A std::filesystem::path, or anything else that gives its name by string().
template <class T>
concept NamedByString = std::is_same_v<decltype(std::declval<const T&>().string()), std::string>;

// A file name as the bytes the system takes: on POSIX the bytes given, on
// Windows the ANSI code page bytes that the A calls take. Only the few
// operations the program needs; std::filesystem::path would do them too, but
// on Windows it brings its wide-character conversions along, which alone
// would double the size of the Windows 95/98/ME program.
class FilePath {
public:
    FilePath() = default;
    FilePath(std::string name)
        : name_(std::move(name))
    {
    }
    FilePath(std::string_view name)
        : name_(name)
    {
    }
    FilePath(const char* name)
        : name_(name)
    {
    }
    // A std::filesystem::path (of the Qt program and the tests) passes as its
    // string(), without this header having to include <filesystem>.
    template <NamedByString Path>
    FilePath(const Path& path)
        : name_(path.string())
    {
    }

    const std::string& string() const { return name_; }
    const char* c_str() const { return name_.c_str(); }
    bool empty() const { return name_.empty(); }

    // "/", "C:\" or "\\server\share\" and the like, as opposed to a name
    // taken from the current folder (on Windows "\a" and "C:a" are not).
    bool isAbsolute() const;
    // The folder the name lies in, as written: "a/b" of "a/b/c", "/" of "/c",
    // "" of "c"; the root of a root. Separators before the last part go.
    FilePath parent() const;
    // The name in this folder ("a/b" / "c" is "a/b/c"); a name with a root
    // (absolute, or on Windows "\b" or "C:b") stands alone.
    FilePath operator/(const FilePath& name) const;
    // The same name with text after it: "TAVRL.CFG" + ".lock".
    FilePath operator+(std::string_view suffix) const { return FilePath(name_ + std::string(suffix)); }

    friend bool operator==(const FilePath&, const FilePath&) = default;
    friend auto operator<=>(const FilePath&, const FilePath&) = default;

private:
    std::string name_;
};

} // namespace tavrel
