// Loads a .reg file (its encoding, its first line, its headers) and keeps
// the index in step with the edits written to it.
#include "registry/regfile/RegText.h"

#include <algorithm>
#include <utility>

namespace tavrel::regfile {

std::optional<RegFileError> RegText::adopt(FileBytes file, const std::filesystem::path& path)
{
    resolved_.clear();
    file_ = std::move(file);
    const std::string_view bytes = file_.view();
    const std::size_t size = bytes.size();
    text_.reset(bytes, 0, size, 2);
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
    text_.reset(bytes, 0, size, width);
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

void RegText::applyEdit(const Edit& edit, FileBytes written, const std::filesystem::path& path)
{
    if (!exists_) {
        adopt(std::move(written), path);
        return;
    }
    resolved_.clear();
    file_ = std::move(written);
    const std::size_t size = file_.view().size();
    text_.reset(file_.view(), 0, size, text_.width());
    index_.shift(edit.to,
                 static_cast<std::int64_t>(edit.bytes.size()) - static_cast<std::int64_t>(edit.to - edit.from));
    // Only a new section at the end brings new headers.
    if (edit.from == edit.to && edit.from + edit.bytes.size() == size)
        index_.scan(text_, edit.from, size);
}

} // namespace tavrel::regfile
