// A plain lookup of a key in a .reg file's text, line by line, to hold the header index to (the same sections,
// section ends and existence), and a maker of .reg files rich in what the index's shortcuts must get right.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "registry/regfile/KeyIndex.h"

namespace tavrel::test {

// A header line as regedit reads it: '[' first on the line (blanks before it aside) and not followed by a blank,
// up to the line's last ']'. offset: of its '['; namesKey: a known root and no empty name; path: folded, no root.
struct OracleHeader {
    std::size_t offset = 0; bool deletion = false, namesKey = false; int root = -1; std::u16string path; };

inline std::vector<OracleHeader> oracleHeaders(const regfile::TextView& text, std::size_t bodyStart)
{
    const std::size_t w = text.width();
    std::vector<OracleHeader> out;
    for (std::size_t start = bodyStart, end = 0; start < text.size(); start = end + w) {
        for (end = start; end < text.size() && !text.isEol(end);)
            end += w;
        const std::size_t p = text.skipBlanks(start, end);
        std::size_t close = end;
        while (close > p && text.at(close - w) != ']')
            close -= w;
        if (p >= end || text.at(p) != '[' || (p + w < end && text.isBlank(p + w)) || close <= p + w)
            continue;
        OracleHeader& h = out.emplace_back(OracleHeader{p, text.at(p + w) == '-', false, -1, u""});
        std::u16string all;
        for (std::size_t q = p + (h.deletion ? 2 : 1) * w; q < close - w; q += w)
            all.push_back(regfile::foldCase(text.at(q)));
        const std::size_t slash = all.find(u'\\');
        for (std::size_t r = 0; r < regfile::kRootNames.size(); ++r)
            for (const std::string_view name : regfile::kRootNames[r])
                if (!name.empty() && all.substr(0, slash) == std::u16string(name.begin(), name.end()))
                    h.root = static_cast<int>(r);
        h.path = slash == std::u16string::npos ? u"" : all.substr(slash + 1);
        const bool emptyName = h.path.starts_with(u'\\') || h.path.ends_with(u'\\') || h.path.find(u"\\\\") != h.path.npos;
        h.namesKey = h.root >= 0 && !emptyName && !(h.deletion && h.path.empty());
    }
    return out;
}

// A key as the plain lookup finds it: its sections' header offsets and where each ends (next header or file end).
struct OracleKey {
    bool exists = false;
    std::vector<std::size_t> sections, ends;
    bool operator==(const OracleKey&) const = default;
};

inline OracleKey oracleLookup(const std::vector<OracleHeader>& headers, std::size_t size, int root,
                              const std::u16string& key)
{
    auto under = [](const std::u16string& path, const std::u16string& top) {
        return top.empty() ? !path.empty() : path.starts_with(top + u"\\");
    };
    // The last deletion of the key or an ancestor ends whatever came before.
    std::size_t first = 0;
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const OracleHeader& h = headers[i];
        first = h.deletion && h.namesKey && h.root == root && (h.path == key || under(key, h.path)) ? i + 1 : first;
    }
    OracleKey found{key.empty(), {}, {}};
    for (std::size_t i = first; i < headers.size(); ++i) {
        const OracleHeader& h = headers[i];
        if (h.deletion || !h.namesKey || h.root != root)
            continue;
        if (h.path == key) {
            found.sections.push_back(h.offset);
            found.ends.push_back(i + 1 < headers.size() ? headers[i + 1].offset : size);
        }
        found.exists = found.exists || h.path == key || under(h.path, key);
    }
    return found;
}

// The file's text, its first line read, and its headers indexed.
struct IndexedFile {
    regfile::TextView text;
    regfile::KeyIndex index;
    std::size_t bodyStart = 0;

    explicit IndexedFile(std::string_view bytes)
    {
        unsigned width = 1;
        std::size_t start = 0;
        if (regfile::detectEncoding(bytes, width, start))
            width = 1, start = 0;
        text.reset(bytes.substr(0, bytes.size() - bytes.size() % width), width);
        bodyStart = text.nextLine(text.lineEnd(start, text.size()), text.size());
        index.reset(text.size() / width, bodyStart);
        index.scan(text, bodyStart, text.size());
    }
    OracleKey lookup(int root, const std::u16string& key) const
    {
        const regfile::KeyInfo info = index.resolve(text, root, key);
        OracleKey found{info.exists, {}, {}};
        for (const std::uint32_t s : info.sections) {
            found.sections.push_back(index.headerOffset(s));
            index.bodyOf(text, s, &found.ends.emplace_back());
        }
        return found;
    }
};

// Where the index and the plain lookup differ, or empty. The keys looked up: every key a header names, each
// ancestor, and near misses (one more name, a name cut short, a name run on).
inline std::string indexDifference(std::string_view bytes)
{
    const IndexedFile f(bytes);
    const std::vector<OracleHeader> headers = oracleHeaders(f.text, f.bodyStart);
    std::vector<std::pair<int, std::u16string>> keys{{2, u""}, {2, u"SYSTEM"}, {1, u"X"}};
    for (const OracleHeader& h : headers) {
        keys.emplace_back(h.root, h.path + u"\\A");
        keys.emplace_back(h.root, h.path + u"A");
        for (std::size_t cut = h.path.size(); cut != h.path.npos && cut > 0; cut = h.path.rfind(u'\\', cut - 1)) {
            keys.emplace_back(h.root, h.path.substr(0, cut));
            keys.emplace_back(h.root, h.path.substr(0, cut - 1));
        }
    }
    for (const auto& [root, key] : keys)
        if (root >= 0 && !(f.lookup(root, key) == oracleLookup(headers, f.text.size(), root, key)))
            return "key " + std::to_string(root) + ":" + std::string(key.begin(), key.end()) + " differs";
    return {};
}

// A .reg file made from a source of choices (pick(n) gives 0 to n-1): keys after their parents and under names
// that share their start, names that span many words, letter case mixed, both encodings, three line ends,
// deletions, headers that name no key, repeated keys, and a last line with or without its line end.
inline std::string generatedRegFile(const std::function<unsigned(unsigned)>& pick)
{
    static const std::vector<std::u16string> names = {
        u"A", u"b", u"Display", u"DISPLAYx", u"Disp", u"0000", u"DEFAULT", u"@`{[", u"caf\u00e9", u"CAF\u00c9",
        u"\u0161\u0160", u"x y", u"]", u"Services-Long-Name-That-Spans-Several-Words-Of-Eight-Bytes"};
    static const std::vector<std::u16string> odd = {
        u"[", u"[ HKLM\\A]", u"[HKLM\\A\\]", u"[HKLM\\A\\\\B]", u"[HKCR]", u"[HKLM\\]", u"[-HKLM]", u"[HKXX\\A]",
        u"\"v\"=\"[HKLM\\A]\"", u"  [HKLM\\A]  ; note", u"[HKLM\\A] ]", u"[\u4e2d\\A]", u"\"v\"=dword:00000001"};
    static const std::vector<std::u16string> roots = {u"HKEY_LOCAL_MACHINE", u"hklm", u"HKCU", u"HKEY_CLASSES_ROOT"};
    const bool utf16 = pick(2);
    const std::u16string eol = std::vector<std::u16string>{u"\r\n", u"\n", u"\r"}[pick(3)];
    std::u16string text = (utf16 || pick(2) ? u"Windows Registry Editor Version 5.00" : u"REGEDIT4") + eol;
    std::vector<std::u16string> paths{u""};
    for (unsigned lines = pick(40); lines-- > 0;) {
        const unsigned kind = pick(12);
        std::u16string line = odd[pick(static_cast<unsigned>(odd.size()))];
        if (kind > 0) { // 1: an earlier key again, 2: a deletion, else a key below an earlier one
            std::u16string path = paths[pick(static_cast<unsigned>(paths.size()))];
            if (kind > 2 || path.empty())
                path += (path.empty() ? u"" : u"\\") + names[pick(static_cast<unsigned>(names.size()))];
            paths.push_back(path);
            line = (kind == 2 ? u"[-" : u"[") + roots[pick(4)] + (path.empty() ? u"" : u"\\") + path + u"]";
        }
        for (char16_t& u : line)
            if (((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) && pick(4) == 0)
                u ^= 0x20;
        text += line + (lines > 0 || pick(2) ? eol : u"");
    }
    if (utf16)
        return "\xFF\xFE" + regfile::encodeText(text, 2);
    for (char16_t& u : text)
        u = u > 0xFF && u != 0x161 && u != 0x160 ? u'?' : u;
    return regfile::encodeText(text, 1);
}

} // namespace tavrel::test
