// A plain lookup of a key in a .reg file's text, line by line and unit by
// unit, to hold the header index to: it finds the same sections, the same
// section ends and the same answer to "does the key exist". Also a maker of
// .reg files rich in what the index's shortcuts must get right.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "registry/regfile/KeyIndex.h"

namespace tavrel::test {

// A header line as regedit reads it: '[' first on the line (blanks
// before it aside) and not followed by a blank, up to the line's last ']'.
struct OracleHeader {
    std::size_t offset = 0; // of its '['
    bool deletion = false;
    bool namesKey = false; // a known root and no empty name
    int root = -1;
    std::u16string path; // folded, without the root
};

inline std::vector<OracleHeader> oracleHeaders(const regfile::TextView& text, std::size_t bodyStart)
{
    const std::size_t w = text.width();
    std::vector<OracleHeader> out;
    for (std::size_t start = bodyStart, end = 0; start < text.size(); start = end + w) {
        for (end = start; end < text.size() && !text.isEol(end);)
            end += w;
        std::size_t p = start;
        while (p < end && text.isBlank(p))
            p += w;
        std::size_t close = end;
        while (close > p && text.at(close - w) != ']')
            close -= w;
        if (p >= end || text.at(p) != '[' || (p + w < end && text.isBlank(p + w)) || close <= p + w)
            continue;
        OracleHeader h;
        h.offset = p;
        h.deletion = text.at(p + w) == '-';
        std::u16string all;
        for (std::size_t q = p + (h.deletion ? 2 : 1) * w; q < close - w; q += w)
            all.push_back(regfile::foldCase(text.at(q)));
        const std::size_t slash = all.find(u'\\');
        const std::u16string rootName = all.substr(0, slash);
        for (std::size_t r = 0; r < regfile::kRootNames.size(); ++r)
            for (const std::string_view name : regfile::kRootNames[r])
                if (!name.empty() && rootName == std::u16string(name.begin(), name.end()))
                    h.root = static_cast<int>(r);
        h.path = slash == std::u16string::npos ? u"" : all.substr(slash + 1);
        const bool emptyName = !h.path.empty()
                               && (h.path.front() == '\\' || h.path.back() == '\\' || h.path.find(u"\\\\") != h.path.npos);
        h.namesKey = h.root >= 0 && !emptyName && !(h.deletion && h.path.empty());
        out.push_back(std::move(h));
    }
    return out;
}

// A key as the plain lookup finds it: the offsets of its sections' headers
// and where each section ends (the next header line, or the file's end).
struct OracleKey {
    bool exists = false;
    std::vector<std::size_t> sections;
    std::vector<std::size_t> ends;
};

inline OracleKey oracleLookup(const std::vector<OracleHeader>& headers, std::size_t fileSize, int root,
                              const std::u16string& folded)
{
    auto under = [](const std::u16string& path, const std::u16string& top) {
        return top.empty() ? !path.empty() : path.size() > top.size() && path.starts_with(top)
                                                 && path[top.size()] == '\\';
    };
    // The last deletion of the key or an ancestor ends whatever came before.
    std::size_t first = 0;
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const OracleHeader& h = headers[i];
        if (h.deletion && h.namesKey && h.root == root && (h.path == folded || under(folded, h.path)))
            first = i + 1;
    }
    OracleKey key;
    key.exists = folded.empty();
    for (std::size_t i = first; i < headers.size(); ++i) {
        const OracleHeader& h = headers[i];
        if (h.deletion || !h.namesKey || h.root != root)
            continue;
        if (h.path == folded) {
            key.sections.push_back(h.offset);
            key.ends.push_back(i + 1 < headers.size() ? headers[i + 1].offset : fileSize);
        }
        key.exists = key.exists || h.path == folded || under(h.path, folded);
    }
    return key;
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
        const std::size_t size = bytes.size() - bytes.size() % width;
        text.reset(bytes.substr(0, size), width);
        bodyStart = text.nextLine(text.lineEnd(start, size), size);
        index.reset(size / width, bodyStart);
        index.scan(text, bodyStart, size);
    }
};

// Where the index and the plain lookup differ on this key, or empty.
inline std::string indexDifference(const IndexedFile& f, const std::vector<OracleHeader>& headers, int root,
                                   const std::u16string& folded)
{
    const OracleKey want = oracleLookup(headers, f.text.size(), root, folded);
    const regfile::KeyInfo got = f.index.resolve(f.text, root, folded);
    OracleKey have{got.exists, {}, {}};
    for (const std::uint32_t s : got.sections) {
        std::size_t end = 0;
        f.index.bodyOf(f.text, s, &end);
        have.sections.push_back(f.index.headerOffset(s));
        have.ends.push_back(end);
    }
    if (have.exists == want.exists && have.sections == want.sections && have.ends == want.ends)
        return {};
    std::string path(folded.begin(), folded.end());
    return "key " + std::to_string(root) + ":" + path + ": exists " + std::to_string(have.exists) + " (plainly "
           + std::to_string(want.exists) + "), " + std::to_string(have.sections.size()) + " sections (plainly "
           + std::to_string(want.sections.size()) + ")";
}

// Every key a header names, each ancestor, and near misses: one more name,
// a name cut short, a name run on.
inline std::vector<std::pair<int, std::u16string>> lookupsFor(const std::vector<OracleHeader>& headers)
{
    std::vector<std::pair<int, std::u16string>> out{{2, u""}, {2, u"SYSTEM"}, {1, u"X"}};
    for (const OracleHeader& h : headers) {
        if (h.root < 0)
            continue;
        out.emplace_back(h.root, h.path + u"\\A");
        out.emplace_back(h.root, h.path + u"A");
        for (std::size_t cut = h.path.size(); cut != std::u16string::npos && cut > 0; cut = h.path.rfind(u'\\', cut - 1)) {
            out.emplace_back(h.root, h.path.substr(0, cut));
            out.emplace_back(h.root, h.path.substr(0, cut - 1));
        }
    }
    return out;
}

inline std::string indexDifference(std::string_view bytes)
{
    const IndexedFile f(bytes);
    const std::vector<OracleHeader> headers = oracleHeaders(f.text, f.bodyStart);
    for (const auto& [root, folded] : lookupsFor(headers))
        if (std::string d = indexDifference(f, headers, root, folded); !d.empty())
            return d;
    return {};
}

// A .reg file made from a source of choices (pick(n) gives 0 to n-1): keys
// listed after their parents and under names that share their start, names
// long enough to span many words, letter case mixed, both encodings and line
// ends, deletions, headers that name no key, repeated keys, and a last line
// with or without its line end.
inline std::string generatedRegFile(const std::function<unsigned(unsigned)>& pick)
{
    static const std::vector<std::u16string> names = {
        u"A", u"b", u"Display", u"DISPLAYx", u"Disp", u"0000", u"0001", u"DEFAULT", u"Class", u"@`{[", u"caf\u00e9",
        u"CAF\u00c9", u"\u0161\u0160", u"x y", u"]", u"Services-Long-Name-That-Spans-Several-Words-Of-Eight-Bytes"};
    static const std::vector<std::u16string> odd = {u"[", u"[ HKLM\\A]", u"[HKLM\\A\\]", u"[HKLM\\A\\\\B]",
                                                    u"[HKLM]", u"[HKLM\\]", u"[-HKLM]", u"[HKXX\\A]", u"\"v\"=\"[HKLM\\A]\"",
                                                    u"  [HKLM\\A]  ; comment", u"[HKLM\\A] ]", u"[\u4e2d\\A]"};
    const bool utf16 = pick(2);
    const std::u16string eol = std::vector<std::u16string>{u"\r\n", u"\n", u"\r"}[pick(3)];
    std::u16string text = (utf16 || pick(2) ? u"Windows Registry Editor Version 5.00" : u"REGEDIT4") + eol;
    std::vector<std::u16string> paths{u""};
    for (unsigned lines = pick(40); lines-- > 0;) {
        std::u16string line;
        const unsigned kind = pick(12);
        if (kind == 0) {
            line = odd[pick(static_cast<unsigned>(odd.size()))];
        } else if (kind == 1) {
            line = u"\"Value\"=dword:00000001";
        } else {
            std::u16string path = paths[pick(static_cast<unsigned>(paths.size()))];
            if (kind != 2 && (path.empty() || pick(3)))
                path += (path.empty() ? u"" : u"\\") + names[pick(static_cast<unsigned>(names.size()))];
            paths.push_back(path);
            const std::u16string root = std::vector<std::u16string>{u"HKEY_LOCAL_MACHINE", u"hklm", u"HKCU"}[pick(3)];
            line = (kind == 3 ? u"[-" : u"[") + root + (path.empty() ? u"" : u"\\") + path + u"]";
        }
        for (char16_t& u : line)
            if (((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) && pick(4) == 0)
                u ^= 0x20;
        text += line;
        if (lines > 0 || pick(2))
            text += eol;
    }
    if (!utf16) {
        for (char16_t& u : text)
            u = u > 0xFF && u != 0x161 && u != 0x160 ? u'?' : u;
        return regfile::encodeText(text, 1);
    }
    return "\xFF\xFE" + regfile::encodeText(text, 2);
}

} // namespace tavrel::test
