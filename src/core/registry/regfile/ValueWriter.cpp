// Formats data as regedit exports it, so that a file we write reads back in
// regedit and a value we rewrite looks as regedit would have left it.
#include "registry/regfile/ValueWriter.h"

#include <algorithm>
#include <bit>

namespace tavrel::regfile {

std::string ValueWriter::storageOf(std::uint32_t type, std::string_view ansi) const
{
    if (version_ != 5 || !isStringType(type))
        return std::string(ansi);
    std::string out;
    out.reserve(ansi.size() * 2);
    for (const char c : ansi) {
        const char16_t u = ansiToUnicode(static_cast<unsigned char>(c));
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

// The data as regedit writes it: a quoted text only when that keeps every
// byte (one terminator, none inside, no line break), dword: only for
// exactly 4 bytes, otherwise hex bytes, wrapped at 80 columns.
std::u16string ValueWriter::formatData(std::uint32_t type, const std::string& stored, std::size_t column) const
{
    std::u16string out;
    if (type == kRegSz) {
        std::u16string text;
        const std::size_t unit = version_ == 5 ? 2 : 1;
        for (std::size_t i = 0; i + unit <= stored.size(); i += unit)
            text.push_back(unit == 2 ? static_cast<char16_t>(static_cast<unsigned char>(stored[i])
                                                             | static_cast<unsigned char>(stored[i + 1]) << 8)
                                     : ansiToUnicode(static_cast<unsigned char>(stored[i])));
        const bool plain = stored.size() % unit == 0 && !text.empty() && text.back() == 0
                           && text.find_first_of(std::u16string_view(u"\0\r\n", 3)) == text.size() - 1;
        if (plain) {
            out = u"\"";
            for (std::size_t i = 0; i + 1 < text.size(); ++i) {
                if (text[i] == '\\' || text[i] == '"')
                    out.push_back(u'\\');
                out.push_back(text[i]);
            }
            return out + u"\"";
        }
    }
    if (type == kRegDword && stored.size() == 4) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<unsigned char>(stored[static_cast<std::size_t>(i)]);
        out = u"dword:";
        appendHex(out, v, 8);
        return out;
    }
    if (type == kRegBinary) {
        out = u"hex:";
    } else {
        out = u"hex(";
        appendHex(out, type, std::max(1, (static_cast<int>(std::bit_width(type)) + 3) / 4));
        out += u"):";
    }
    column += out.size();
    for (std::size_t i = 0; i < stored.size(); ++i) {
        appendHex(out, static_cast<unsigned char>(stored[i]), 2);
        if (i + 1 == stored.size())
            break;
        out.push_back(u',');
        column += 3;
        if (column > 76) {
            out += u"\\";
            out += eol_;
            out += u"  ";
            column = 2;
        }
    }
    return out;
}

std::u16string ValueWriter::sectionText(int root, std::string_view path) const
{
    std::u16string out = u"[";
    for (const char c : kRootNames[static_cast<std::size_t>(root)][0])
        out.push_back(static_cast<char16_t>(c));
    if (!path.empty())
        out.push_back(u'\\');
    for (const char c : path)
        out.push_back(ansiToUnicode(static_cast<unsigned char>(c)));
    return out + u"]";
}

std::u16string ValueWriter::valueLine(const std::optional<Entry>& old, std::string_view name, std::uint32_t type,
                                     std::string_view ansiData) const
{
    std::u16string token;
    if (old && !old->deletion) {
        for (std::size_t q = old->start; q < old->nameEnd; q += t_.width())
            token.push_back(t_.at(q)); // the name keeps its spelling
    } else if (name.empty()) {
        token = u"@";
    } else {
        token = u"\"";
        for (const char c : name) {
            if (c == '\\' || c == '"')
                token.push_back(u'\\');
            token.push_back(ansiToUnicode(static_cast<unsigned char>(c)));
        }
        token += u"\"";
    }
    return token + u"=" + formatData(type, storageOf(type, ansiData), token.size() + 1);
}

void ValueWriter::addToLastSection(Edit& edit, const std::u16string& line) const
{
    const std::size_t end = edit.bytes.size() - 2 * eol_.size() * t_.width();
    edit.bytes.insert(end, encode(std::u16string(eol_) + line));
}

Edit ValueWriter::setValue(int root, std::string_view path, bool hasSections, const std::optional<Entry>& old,
                           std::size_t tail, std::string_view name, std::uint32_t type,
                           std::string_view ansiData) const
{
    const std::u16string line = valueLine(old, name, type, ansiData);
    Edit edit;
    if (old && !old->deletion && old->rewritable) {
        edit.from = old->start;
        edit.to = old->dataEnd;
        edit.bytes = encode(line);
    } else if (hasSections) {
        // A new line after the last value of the key's last section (or
        // after a value whose inner comments must stay where they are).
        edit.from = edit.to = (old && !old->deletion) ? old->end : tail;
        edit.bytes = encode(std::u16string(eol_) + line);
    } else {
        edit = createKey(root, path);
        addToLastSection(edit, line);
    }
    return edit;
}

void ValueWriter::addToNewSections(Edit& edit, int root, std::string_view path, bool newSection,
                                   std::string_view name, std::uint32_t type, std::string_view ansiData) const
{
    if (newSection)
        edit.bytes += encode(sectionText(root, path) + std::u16string(eol_) + std::u16string(eol_));
    addToLastSection(edit, valueLine(std::nullopt, name, type, ansiData));
}

Edit ValueWriter::createKey(int root, std::string_view path) const
{
    std::u16string text;
    const std::size_t end = t_.size();
    if (!exists_) {
        text = std::u16string(kHeader5.begin(), kHeader5.end());
        text += eol_;
        text += eol_;
    } else {
        // Count the line ends that close the text (a CR LF being one).
        int ends = 0;
        std::size_t p = end;
        const std::size_t stop = t_.width() == 2 ? 2 : 0;
        while (ends < 2 && p > stop && t_.isEol(p - t_.width())) {
            p -= t_.width();
            if (t_.at(p) == '\n' && p > stop && t_.at(p - t_.width()) == '\r')
                p -= t_.width();
            ++ends;
        }
        for (; ends < 2; ++ends)
            text += eol_;
    }
    text += sectionText(root, path);
    text += eol_;
    text += eol_;
    Edit edit{end, end, {}};
    if (!exists_)
        edit.bytes = "\xFF\xFE";
    edit.bytes += encode(text);
    return edit;
}

} // namespace tavrel::regfile
