// Loads a .reg file (its encoding, its first line, its headers) and keeps
// the index in step with the edits written to it.
#include "registry/regfile/RegText.h"

#include <algorithm>
#include <utility>

namespace tavrel::regfile {

std::optional<RegFileError> RegText::adopt(FileBytes file, const FilePath& path)
{
    resolved_.clear();
    file_ = std::move(file);
    const std::string_view bytes = file_.view();
    const std::size_t size = bytes.size();
    text_.reset(bytes, 2);
    index_.reset(size, 0);
    exists_ = size > 0;
    if (!exists_) {
        version_ = 5;
        eol_ = u"\r\n";
        return std::nullopt;
    }
    auto refuse = [&](int line, std::string reason) { return RegFileError{path, line, std::move(reason)}; };
    if (size >= 0xFFFFFFF0u)
        return refuse(0, "the file is too large (4 GiB at most)");

    unsigned width = 1;
    std::size_t start = 0;
    if (auto bad = detectEncoding(bytes, width, start))
        return refuse(1, std::move(*bad));
    text_.reset(bytes, width);
    if (width == 2 && size % 2 != 0)
        return refuse(text_.lineNumber(size - 1), "the file ends in the middle of a UTF-16 character");

    // The first line names the format; regedit allows blanks before it.
    const std::size_t first = text_.skipBlanks(start, size);
    const std::size_t firstEnd = text_.lineEnd(first, size);
    auto firstLineIs = [&](std::string_view h) {
        return firstEnd - first == h.size() * width && text_.startsWith(first, firstEnd, h);
    };
    if (firstLineIs(kHeader5))
        version_ = 5;
    else if (firstLineIs(kHeader4))
        version_ = 4;
    else
        return refuse(1, "not a registry file (the first line must be \"" + std::string(kHeader4) + "\" or \""
                             + std::string(kHeader5) + "\")");

    bodyStart_ = text_.nextLine(firstEnd, size);
    eol_ = u"\r\n";
    if (firstEnd < size)
        eol_ = text_.at(firstEnd) == '\n' ? u"\n" : (bodyStart_ - firstEnd == width ? u"\r" : u"\r\n");
    if (const int line = openContinuation())
        return refuse(line, "the value's data runs on to the end of the file (its last line ends in '\\'), so "
                            "whatever is written after it would become part of it");

    index_.reset(size / width, bodyStart_);
    index_.scan(text_, bodyStart_, size);
    return std::nullopt;
}

// The line of a value at the end of the file whose last line ends in '\'
// (blank and comment lines after it aside), or 0. regedit takes the next
// line as more of its data, so nothing can be added after it. Malformed
// lines elsewhere are harmless: they are skipped and kept as they are, and
// a write never changes them.
int RegText::openContinuation() const
{
    const unsigned width = text_.width();
    std::size_t end = text_.size();
    for (;;) {
        while (end > bodyStart_ && text_.isEol(end - width))
            end -= width;
        if (end <= bodyStart_)
            return 0;
        std::size_t start = end;
        while (start > bodyStart_ && !text_.isEol(start - width))
            start -= width;
        const std::size_t first = text_.skipBlanks(start, end);
        if (first < end && text_.at(first) != ';') {
            std::size_t last = end;
            while (last > first && text_.isBlank(last - width))
                last -= width;
            return text_.at(last - width) == '\\' ? text_.lineNumber(start) : 0;
        }
        end = start;
    }
}

KeyInfo RegText::resolve(int root, std::u16string_view folded) const
{
    for (const Resolved& r : resolved_)
        if (r.root == root && r.folded == folded)
            return r.key;
    if (resolved_.size() >= 32)
        resolved_.clear();
    return resolved_.emplace_back(Resolved{root, std::u16string(folded), index_.resolve(text_, root, folded)}).key;
}

Edit RegText::setValueEdit(int root, std::string_view path, const KeyInfo& key, std::string_view name,
                           std::uint32_t type, std::string_view ansiData) const
{
    std::size_t tail = 0;
    const std::optional<Entry> old = key.sections.empty() ? std::nullopt : findValue(key, foldAnsi(name), &tail);
    return writer().setValue(root, path, !key.sections.empty(), old, tail, name, type, ansiData);
}

std::vector<Edit> RegText::setValueEdits(std::span<const ValueChange> changes) const
{
    struct Folded {
        int root;
        std::u16string path, name;
        bool operator==(const Folded&) const = default;
    };
    std::vector<Folded> folded;
    for (const ValueChange& c : changes)
        folded.push_back({c.root, foldAnsi(c.path), foldAnsi(c.name)});
    std::vector<Edit> edits;
    std::optional<Edit> added; // sections added at the end, for keys that have none
    const Folded* lastAdded = nullptr;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const Folded& f = folded[i];
        if (std::find(folded.begin() + static_cast<std::ptrdiff_t>(i) + 1, folded.end(), f) != folded.end())
            continue;
        const ValueChange& c = changes[i];
        const KeyInfo key = resolve(c.root, f.path);
        if (!key.sections.empty()) {
            edits.push_back(setValueEdit(c.root, c.path, key, c.name, c.type, c.data));
            continue;
        }
        if (!added) {
            added = setValueEdit(c.root, c.path, key, c.name, c.type, c.data);
        } else {
            const bool sameKey = lastAdded->root == f.root && lastAdded->path == f.path;
            writer().addToNewSections(*added, c.root, c.path, !sameKey, c.name, c.type, c.data);
        }
        lastAdded = &f;
    }
    if (added)
        edits.push_back(std::move(*added)); // at the end of the file, after every other edit
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.from < b.from; });
    return edits;
}

void RegText::applyEdits(std::span<const Edit> edits, FileBytes written, const FilePath& path)
{
    if (!exists_) {
        adopt(std::move(written), path);
        return;
    }
    resolved_.clear();
    const std::size_t oldSize = file_.view().size();
    file_ = std::move(written);
    const std::size_t size = file_.view().size();
    text_.reset(file_.view(), text_.width());
    // From the last edit back, so that each shift sees the offsets it was made for.
    for (auto e = edits.rbegin(); e != edits.rend(); ++e)
        index_.shift(e->to, static_cast<std::int64_t>(e->bytes.size()) - static_cast<std::int64_t>(e->to - e->from));
    // Only new sections at the end bring new headers.
    if (!edits.empty() && edits.back().from == oldSize && edits.back().to == oldSize)
        index_.scan(text_, size - edits.back().bytes.size(), size);
}

} // namespace tavrel::regfile
