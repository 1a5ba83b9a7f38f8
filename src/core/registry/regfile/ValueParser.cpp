// Parses value lines only when their key is read, so that loading a file
// costs no more than finding its headers.
#include "registry/regfile/ValueParser.h"

namespace tavrel::regfile {

// A quoted name or text with regedit's escapes; returns the offset after
// the closing quote, or 0 when the line ends first.
std::size_t ValueParser::parseQuoted(std::size_t off, std::size_t limit, std::u16string& out) const
{
    out.clear();
    for (off += t_.width(); off < limit; off += t_.width()) {
        char16_t u = t_.at(off);
        if (u == '"')
            return off + t_.width();
        if (u == '\\') {
            off += t_.width();
            if (off >= limit)
                return 0;
            u = t_.at(off);
            if (u == '0')
                return 0;
            if (u == 'n')
                u = '\n';
            else if (u == 'r')
                u = '\r';
        }
        out.push_back(u);
    }
    return 0;
}

// One line of comma-separated hex bytes, from off; leaves off after the
// data. Bad when the line holds something else.
ValueParser::HexLine ValueParser::parseHexLine(std::size_t& off, std::size_t limit, std::string& data) const
{
    for (;;) {
        std::size_t p = t_.skipBlanks(off, limit);
        const int hi = p < limit ? hexDigit(t_.at(p)) : -1;
        if (hi < 0) {
            if (p < limit && t_.at(p) == '\\') {
                p = t_.skipBlanks(p + t_.width(), limit);
                if (p >= limit)
                    return HexLine::Continued;
                return t_.at(p) == ';' ? HexLine::ContinuedAfterComment : HexLine::Bad;
            }
            return p >= limit || t_.at(p) == ';' ? HexLine::Last : HexLine::Bad;
        }
        int value = hi;
        p += t_.width();
        if (p < limit && hexDigit(t_.at(p)) >= 0) {
            value = value * 16 + hexDigit(t_.at(p));
            p += t_.width();
        }
        data.push_back(static_cast<char>(value));
        off = p;
        if (p < limit && t_.at(p) == ',') {
            off = p + t_.width();
            continue;
        }
        p = t_.skipBlanks(p, limit);
        return p >= limit || t_.at(p) == ';' ? HexLine::Last : HexLine::Bad;
    }
}

bool ValueParser::restIsComment(std::size_t off, std::size_t lineEnd) const
{
    off = t_.skipBlanks(off, lineEnd);
    return off >= lineEnd || t_.at(off) == ';';
}

// Parses the line at `line` (ending before `limit` of the section); ok says
// whether it held a value. Returns where the next line starts: after the
// continuation lines of the value, or at a continuation line that turned
// out to be something else, which is then read on its own as regedit does.
std::size_t ValueParser::parseEntry(std::size_t line, std::size_t limit, Entry& e, bool& ok) const
{
    const unsigned width = t_.width();
    ok = false;
    const std::size_t le = t_.lineEnd(line, limit);
    const std::size_t next = t_.nextLine(le, limit);
    std::size_t p = parseName(line, le, e);
    if (p == 0)
        return next;
    e.end = le;
    if (p < le && t_.at(p) == '-') {
        e.deletion = true;
        e.dataEnd = p + width;
        ok = restIsComment(e.dataEnd, le);
    } else if (p < le && t_.at(p) == '"') {
        ok = parseText(p, le, e);
    } else if (t_.startsWith(p, le, "dword:")) {
        ok = parseDword(p + 6 * width, le, e);
    } else if (parseHexType(p, le, e)) {
        return parseHex(p, next, limit, e, ok);
    }
    return next;
}

// The value's name ('@' or quoted) and its '=': a fresh entry named, and
// where its data starts; 0 when the line holds no value.
std::size_t ValueParser::parseName(std::size_t line, std::size_t le, Entry& e) const
{
    std::size_t p = t_.skipBlanks(line, le);
    if (p >= le)
        return 0;
    e = Entry{};
    e.start = p;
    if (t_.at(p) == '@') {
        e.nameEnd = p + t_.width();
    } else if (t_.at(p) == '"') {
        e.nameEnd = parseQuoted(p, le, e.name);
        if (e.nameEnd == 0)
            return 0;
        for (char16_t& u : e.name)
            u = foldCase(u);
    } else {
        return 0;
    }
    p = t_.skipBlanks(e.nameEnd, le);
    if (p >= le || t_.at(p) != '=')
        return 0;
    return t_.skipBlanks(p + t_.width(), le);
}

// A quoted text at p: REG_SZ, stored as the file's version stores it.
bool ValueParser::parseText(std::size_t p, std::size_t le, Entry& e) const
{
    std::u16string text;
    e.dataEnd = parseQuoted(p, le, text);
    if (e.dataEnd == 0 || !restIsComment(e.dataEnd, le))
        return false;
    e.type = kRegSz;
    text.push_back(u'\0');
    for (const char16_t u : text) {
        if (version_ == 5) {
            e.data.push_back(static_cast<char>(u & 0xFF));
            e.data.push_back(static_cast<char>(u >> 8));
        } else {
            e.data.push_back(unicodeToAnsi(u));
        }
    }
    return true;
}

// One to eight hex digits after "dword:".
bool ValueParser::parseDword(std::size_t p, std::size_t le, Entry& e) const
{
    std::uint32_t value = 0;
    int digits = 0;
    for (; p < le && hexDigit(t_.at(p)) >= 0 && digits <= 8; p += t_.width(), ++digits)
        value = value << 4 | static_cast<std::uint32_t>(hexDigit(t_.at(p)));
    if (digits == 0 || digits > 8 || !restIsComment(p, le))
        return false;
    e.type = kRegDword;
    for (int i = 0; i < 4; ++i)
        e.data.push_back(static_cast<char>(value >> (8 * i)));
    e.dataEnd = p;
    return true;
}

// "hex:" (REG_BINARY) or "hex(type):"; leaves p at the first byte.
bool ValueParser::parseHexType(std::size_t& p, std::size_t le, Entry& e) const
{
    const unsigned width = t_.width();
    if (t_.startsWith(p, le, "hex:")) {
        e.type = kRegBinary;
        p += 4 * width;
        return true;
    }
    if (!t_.startsWith(p, le, "hex("))
        return false;
    p += 4 * width;
    std::uint64_t type = 0;
    int digits = 0;
    for (; p < le && hexDigit(t_.at(p)) >= 0; p += width, ++digits)
        type = type << 4 | static_cast<std::uint64_t>(hexDigit(t_.at(p)));
    if (digits == 0 || type > 0xFFFFFFFFu || !t_.startsWith(p, le, "):"))
        return false;
    e.type = static_cast<std::uint32_t>(type);
    p += 2 * width;
    return true;
}

// Hex bytes from p, continued over lines that end in '\'. Blank and
// comment lines in between are skipped; the end of the file ends the data.
// A comment inside the value makes it one to leave as it is. Returns where
// the next line starts, as parseEntry does.
std::size_t ValueParser::parseHex(std::size_t p, std::size_t next, std::size_t limit, Entry& e, bool& ok) const
{
    HexLine state = parseHexLine(p, e.end, e.data);
    e.dataEnd = p;
    std::size_t after = next;
    while (state == HexLine::Continued || state == HexLine::ContinuedAfterComment) {
        if (state == HexLine::ContinuedAfterComment)
            e.rewritable = false;
        bool skipped = false;
        std::size_t l = after;
        std::size_t lEnd = 0;
        std::size_t q = 0;
        for (;; l = t_.nextLine(lEnd, limit), skipped = true) {
            if (l >= limit) {
                ok = limit == t_.size(); // a header line ends it: broken
                return l;
            }
            lEnd = t_.lineEnd(l, limit);
            q = t_.skipBlanks(l, lEnd);
            if (q < lEnd && t_.at(q) != ';')
                break;
        }
        if (hexDigit(t_.at(q)) < 0)
            return l;
        state = parseHexLine(q, lEnd, e.data);
        if (state == HexLine::Bad)
            return l;
        e.rewritable = e.rewritable && !skipped;
        e.dataEnd = q;
        e.end = lEnd;
        after = t_.nextLine(lEnd, limit);
    }
    ok = state == HexLine::Last;
    return after;
}

std::optional<Entry> ValueParser::findValue(const KeyInfo& key, std::u16string_view folded, std::size_t* tail) const
{
    std::optional<Entry> found;
    Entry e;
    bool ok = false;
    for (const std::uint32_t s : key.sections) {
        if (tail)
            *tail = t_.lineEnd(index_.headerOffset(s), t_.size());
        std::size_t end = 0;
        for (std::size_t line = index_.bodyOf(t_, s, &end); line < end;) {
            line = parseEntry(line, end, e, ok);
            if (!ok)
                continue;
            if (tail)
                *tail = e.end;
            if (e.name == folded)
                found = e;
        }
    }
    return found;
}

std::string ansiView(const Entry& e, int version)
{
    if (version != 5 || !isStringType(e.type))
        return e.data;
    std::string out;
    out.reserve(e.data.size() / 2);
    for (std::size_t i = 0; i + 1 < e.data.size(); i += 2) {
        const auto u = static_cast<char16_t>(static_cast<unsigned char>(e.data[i])
                                             | static_cast<unsigned char>(e.data[i + 1]) << 8);
        out.push_back(unicodeToAnsi(u));
        // A surrogate pair is one character: one '?'.
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < e.data.size()) {
            const auto lo = static_cast<unsigned char>(e.data[i + 3]);
            if (lo >= 0xDC && lo < 0xE0)
                i += 2;
        }
    }
    return out;
}

} // namespace tavrel::regfile
