#include "io/FilePath.h"

namespace tavrel {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
constexpr char kSeparator = '\\';
#else
constexpr std::string_view kSeparators = "/";
constexpr char kSeparator = '/';
#endif

bool isSeparator(char c)
{
    return kSeparators.find(c) != std::string_view::npos;
}

// The length of the name's root, which parent() keeps: "/" on POSIX; on
// Windows "C:", "C:\", "\", or "\\server\share\".
std::size_t rootLength(std::string_view name)
{
#ifdef _WIN32
    if (name.size() >= 2 && isSeparator(name[0]) && isSeparator(name[1])) {
        std::size_t end = name.find_first_of(kSeparators, 2); // after the server
        end = end == std::string_view::npos ? name.size() : name.find_first_of(kSeparators, end + 1);
        return end == std::string_view::npos ? name.size() : end + 1;
    }
    const std::size_t drive = name.size() >= 2 && name[1] == ':' ? 2 : 0;
    return drive + (name.size() > drive && isSeparator(name[drive]) ? 1 : 0);
#else
    return !name.empty() && isSeparator(name[0]) ? 1 : 0;
#endif
}

} // namespace

bool FilePath::isAbsolute() const
{
#ifdef _WIN32
    const std::string_view n = name_;
    return (n.size() >= 3 && n[1] == ':' && isSeparator(n[2]))
        || (n.size() >= 2 && isSeparator(n[0]) && isSeparator(n[1]));
#else
    return !name_.empty() && isSeparator(name_[0]);
#endif
}

FilePath FilePath::parent() const
{
    const std::string_view name = name_;
    const std::size_t root = rootLength(name);
    std::size_t end = name.size();
    while (end > root && !isSeparator(name[end - 1])) // the last part
        --end;
    while (end > root && isSeparator(name[end - 1])) // the separators before it
        --end;
    return FilePath(name.substr(0, end));
}

FilePath FilePath::operator/(const FilePath& name) const
{
    if (rootLength(name.name_) > 0 || name_.empty())
        return name;
    if (isSeparator(name_.back()) || name_.back() == ':') // "C:" + "a" is "C:a", as the system reads it
        return FilePath(name_ + name.name_);
    return FilePath(name_ + kSeparator + name.name_);
}

} // namespace tavrel
