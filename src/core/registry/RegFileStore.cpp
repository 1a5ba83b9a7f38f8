#include "registry/RegFileStore.h"

#include "values/Ansi.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

// The predefined keys, by their handle's low bits (0x80000000 + index).
constexpr std::array<std::array<std::string_view, 2>, 7> kRootNames = {{
    {"HKEY_CLASSES_ROOT", "HKCR"},
    {"HKEY_CURRENT_USER", "HKCU"},
    {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_USERS", "HKU"},
    {"HKEY_PERFORMANCE_DATA", ""},
    {"HKEY_CURRENT_CONFIG", "HKCC"},
    {"HKEY_DYN_DATA", ""},
}};
constexpr RegHandle kFirstRoot = 0x80000000u;

// ---- Windows-1252 text and the registry's letter case ----

// Texts pass through the A calls as Windows-1252.
char16_t fromAnsi(unsigned char c)
{
    return ansiToUnicode(c);
}

char toAnsi(char16_t u)
{
    return unicodeToAnsi(u);
}

// Names compare without regard to case. The folding covers every letter a
// name given through the A functions can hold; other characters compare as
// they are.
constexpr std::array<char16_t, 256> kFoldLatin1 = [] {
    std::array<char16_t, 256> t{};
    for (std::size_t u = 0; u < t.size(); ++u)
        t[u] = static_cast<char16_t>((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7) ? u - 32 : u);
    t[0xFF] = 0x178;
    return t;
}();

inline char16_t foldCase(char16_t u)
{
    if (u < 0x100)
        return kFoldLatin1[u];
    switch (u) {
    case 0x161: return 0x160;
    case 0x153: return 0x152;
    case 0x17E: return 0x17D;
    default: return u;
    }
}

std::u16string foldAnsi(std::string_view ansi)
{
    std::u16string out(ansi.size(), u'\0');
    for (std::size_t i = 0; i < ansi.size(); ++i)
        out[i] = foldCase(fromAnsi(static_cast<unsigned char>(ansi[i])));
    return out;
}

bool isStringType(std::uint32_t type)
{
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

int hexDigit(char16_t u)
{
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

void appendHex(std::u16string& out, std::uint32_t value, int digits)
{
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out.push_back(kDigits[(value >> shift) & 0xF]);
}

// ---- Key path hashes ----

constexpr std::uint32_t kHashPrime = 16777619u;

std::uint32_t hashSeed(int root)
{
    return (2166136261u ^ static_cast<std::uint32_t>(root)) * kHashPrime;
}
std::uint32_t hashStep(std::uint32_t h, char16_t folded)
{
    return (h ^ folded) * kHashPrime;
}

std::uint32_t hashPath(int root, std::u16string_view folded)
{
    std::uint32_t h = hashSeed(root);
    for (const char16_t u : folded)
        h = hashStep(h, u);
    return h;
}

// The paths of every ancestor of every listed key, as a Bloom filter (three
// bits in one word per path): a key that is neither listed nor an ancestor
// of a listed one is then known to be missing without a look at every header.
class AncestorFilter {
public:
    // About one word per ten keys of a typical export: some 1% false hits,
    // in a table small enough to stay in the cache while the file is read.
    void reset(std::size_t fileUnits)
    {
        words_.assign(std::bit_ceil(std::max<std::size_t>(fileUnits / 4096, 64)), 0);
    }
    void add(std::uint32_t h) { words_[word(h)] |= bits(h); }
    bool mayContain(std::uint32_t h) const { return (words_[word(h)] & bits(h)) == bits(h); }

private:
    std::size_t word(std::uint32_t h) const { return (h ^ h >> 15) & (words_.size() - 1); }
    static std::uint64_t bits(std::uint32_t h)
    {
        std::uint32_t g = h * 0x85EBCA6Bu;
        g ^= g >> 13;
        return std::uint64_t{1} << (g & 63) | std::uint64_t{1} << (g >> 6 & 63) | std::uint64_t{1} << (g >> 12 & 63);
    }
    std::vector<std::uint64_t> words_;
};

// ---- The file model ----

enum Kind : std::uint32_t { kKeyHeader = 0, kDeletionHeader = 1, kIgnoredHeader = 2 };
constexpr std::uint32_t kKindMask = 3;

// One line that starts with '[': a key's section, a deletion, or a header
// that names no key (its values are ignored, as regedit ignores them).
struct Record {
    std::uint32_t offset; // of the '['
    std::uint32_t tag;    // hash of the key path, the kind in the two low bits
};

struct Header {
    bool valid = false; // a '[' line without ']' is no header at all
    Kind kind = kIgnoredHeader;
    int root = -1;
    std::size_t rootBegin = 0;
    std::size_t pathBegin = 0; // after "ROOT\"
    std::size_t pathEnd = 0;   // the last ']' of the line
    std::size_t lineEnd = 0;
};

// A value line (with its continuation lines) as parsed.
struct Entry {
    bool deletion = false;
    std::u16string name; // folded
    std::size_t start = 0;
    std::size_t nameEnd = 0;
    std::size_t dataEnd = 0; // after the data, before trailing blanks or a comment
    std::size_t end = 0;     // end of its last line, before the line end
    bool rewritable = true;  // false when a comment or blank line sits inside it
    std::uint32_t type = 0;
    std::string data; // the bytes as the registry stores them
};

// A key as a lookup finds it.
struct KeyInfo {
    bool exists = false;
    std::vector<std::uint32_t> sections; // its own sections after its last deletion, in file order
};

// Replace bytes [from, to) of the file with these.
struct Edit {
    std::size_t from = 0;
    std::size_t to = 0;
    std::string bytes;
};

enum class Relation { None, Equal, Ancestor, Descendant };

// One version of the file: its bytes, their encoding and an index of its
// section headers. Values are parsed only when their key is read, so that
// loading costs little more than reading the file. All offsets are the
// file's; the text is read through a window: chunks of the file while it is
// indexed, the whole mapped file after.
class RegText {
public:
    // Takes the bytes of an existing file; a missing or empty file stays a
    // new one, written as version 5 UTF-16 with CR LF on the first write.
    std::optional<RegFileError> adopt(FileBytes file, const fs::path& path);
    const FileStamp& stamp() const { return file_.stamp(); }
    const FileBytes& file() const { return file_; }

    KeyInfo resolve(int root, std::u16string_view folded) const;
    // The last word on a value in the key's sections; the insertion point
    // for a new value line goes to *tail.
    std::optional<Entry> findValue(const KeyInfo& key, std::u16string_view folded, std::size_t* tail) const;
    std::string ansiView(const Entry& e) const;

    Edit setValueEdit(int root, std::string_view path, const KeyInfo& key, std::string_view name, std::uint32_t type,
                      std::string_view ansiData) const;
    Edit createKeyEdit(int root, std::string_view path) const;
    // After the edit was written: the new file's bytes, indexed.
    void applyEdit(const Edit& edit, FileBytes written, const fs::path& path);

private:
    const char* ptr(std::size_t off) const { return window_.data() + (off - windowBase_); }
    std::size_t windowEnd() const { return windowBase_ + window_.size(); }
    char16_t at(std::size_t off) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(ptr(off));
        return width_ == 2 ? static_cast<char16_t>(p[0] | p[1] << 8) : fromAnsi(p[0]);
    }
    bool isEol(std::size_t off) const
    {
        const char16_t u = at(off);
        return u == '\r' || u == '\n';
    }
    bool isBlank(std::size_t off) const
    {
        const char16_t u = at(off);
        return u == ' ' || u == '\t';
    }
    std::size_t find(std::size_t from, std::size_t to, char c) const;
    std::size_t lineEnd(std::size_t off, std::size_t limit) const;
    std::size_t nextLine(std::size_t eol, std::size_t limit) const;
    std::size_t skipBlanks(std::size_t off, std::size_t limit) const
    {
        while (off < limit && isBlank(off))
            off += width_;
        return off;
    }
    bool startsWith(std::size_t off, std::size_t limit, std::string_view ascii) const;
    int lineNumber(std::size_t off) const;
    int openContinuation() const;

    bool atLineStart(std::size_t off) const;
    Header readHeader(std::size_t off) const;
    std::optional<std::error_code> scanFile();
    void scanHeaders(std::size_t from, std::size_t to);
    void indexHeader(std::size_t off, const Header& h);
    Relation relate(const Header& h, int root, std::u16string_view target) const;
    std::size_t bodyOf(std::uint32_t record, std::size_t* end) const;

    std::size_t parseQuoted(std::size_t off, std::size_t limit, std::u16string& out) const;
    std::size_t parseEntry(std::size_t line, std::size_t limit, Entry& e, bool& ok) const;
    enum class HexLine { Bad, Last, Continued, ContinuedAfterComment };
    HexLine parseHexLine(std::size_t& off, std::size_t limit, std::string& data) const;
    template <class F> void forEachEntry(std::uint32_t record, F&& f) const;

    std::string storageOf(std::uint32_t type, std::string_view ansi) const;
    std::u16string formatData(std::uint32_t type, const std::string& stored, std::size_t column) const;
    std::string encode(std::u16string_view text) const;
    std::u16string sectionText(int root, std::string_view path) const;

    FileBytes file_;
    std::size_t size_ = 0;
    std::string_view window_;
    std::size_t windowBase_ = 0;
    bool exists_ = false;
    unsigned width_ = 2;
    int version_ = 5;
    std::size_t bodyStart_ = 0; // after the first line
    std::u16string eol_ = u"\r\n";
    std::vector<Record> records_;
    std::vector<std::uint32_t> deletions_; // records that delete a key
    AncestorFilter ancestors_;

    // The previous key header, whose path hash is resumed where the next
    // header starts the same way (an export lists a key after its parent).
    struct Cut {
        std::uint32_t at;   // offset of a '\' from the path's start
        std::uint32_t hash; // of the path before it
    };
    int lastRoot_ = -1;
    std::string lastRootBytes_; // that root as spelled
    std::string lastPathBytes_;
    std::vector<Cut> lastCuts_;
};

// The first unit c (ASCII) in [from, to), or to.
std::size_t RegText::find(std::size_t from, std::size_t to, char c) const
{
    while (from < to) {
        const void* hit = std::memchr(ptr(from), c, to - from);
        if (!hit)
            return to;
        const std::size_t at = from + static_cast<std::size_t>(static_cast<const char*>(hit) - ptr(from));
        // UTF-16 units start at even offsets (after the 2-byte BOM).
        if (width_ == 1 || (at % 2 == 0 && *ptr(at + 1) == 0))
            return at;
        from = at + 1;
    }
    return to;
}

std::size_t RegText::lineEnd(std::size_t off, std::size_t limit) const
{
    // Window by window, so that a file of CR line ends costs no long
    // searches for a LF.
    constexpr std::size_t kWindow = 4096;
    for (;;) {
        const std::size_t window = std::min(limit, off + kWindow);
        const std::size_t lf = find(off, window, '\n');
        const std::size_t cr = find(off, lf, '\r');
        if (cr < lf || lf < window || window == limit)
            return std::min(cr, lf);
        off = window;
    }
}

std::size_t RegText::nextLine(std::size_t eol, std::size_t limit) const
{
    if (eol < limit && at(eol) == '\r')
        eol += width_;
    else if (eol < limit && at(eol) == '\n')
        return eol + width_;
    if (eol < limit && at(eol) == '\n')
        eol += width_;
    return eol;
}

bool RegText::startsWith(std::size_t off, std::size_t limit, std::string_view ascii) const
{
    for (const char c : ascii) {
        if (off >= limit || at(off) != static_cast<char16_t>(c))
            return false;
        off += width_;
    }
    return true;
}

int RegText::lineNumber(std::size_t off) const
{
    int line = 1;
    for (std::size_t p = width_ == 2 ? 2 : 0; (p = lineEnd(p, off)) < off; p = nextLine(p, off))
        ++line;
    return line;
}

std::optional<RegFileError> RegText::adopt(FileBytes file, const fs::path& path)
{
    file_ = std::move(file);
    window_ = file_.view();
    windowBase_ = 0;
    size_ = window_.size();
    records_.clear();
    deletions_.clear();
    ancestors_.reset(size_);
    lastRoot_ = -1;
    lastCuts_.clear();
    exists_ = size_ > 0;
    if (!exists_) {
        width_ = 2;
        version_ = 5;
        eol_ = u"\r\n";
        return std::nullopt;
    }
    auto refuse = [&](int line, std::string reason) { return RegFileError{path, line, std::move(reason)}; };
    if (size_ >= 0xFFFFFFF0u)
        return refuse(0, "the file is too large (4 GiB at most)");

    const auto* b = reinterpret_cast<const unsigned char*>(window_.data());
    std::size_t text = 0;
    width_ = 1;
    if (size_ >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        width_ = 2;
        text = 2;
    } else if ((size_ >= 2 && b[0] == 0xFE && b[1] == 0xFF)
               || (size_ >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)) {
        return refuse(1, "not a registry file (its text is UTF-8 or big-endian UTF-16; regedit files are "
                         "Windows-1252 or UTF-16LE)");
    }
    if (width_ == 2 && size_ % 2 != 0)
        return refuse(lineNumber(size_ - 1), "the file ends in the middle of a UTF-16 character");

    // The first line names the format; regedit allows blanks before it.
    const std::size_t first = skipBlanks(text, size_);
    const std::size_t firstEnd = lineEnd(first, size_);
    auto firstLineIs = [&](std::string_view h) {
        return firstEnd - first == h.size() * width_ && startsWith(first, firstEnd, h);
    };
    if (firstLineIs(kHeader5))
        version_ = 5;
    else if (firstLineIs(kHeader4))
        version_ = 4;
    else
        return refuse(1, "not a registry file (the first line must be \"" + std::string(kHeader4) + "\" or \""
                             + std::string(kHeader5) + "\")");

    bodyStart_ = nextLine(firstEnd, size_);
    eol_ = u"\r\n";
    if (firstEnd < size_)
        eol_ = at(firstEnd) == '\n' ? u"\n" : (bodyStart_ - firstEnd == width_ ? u"\r" : u"\r\n");
    if (const int line = openContinuation())
        return refuse(line, "the value's data runs on to the end of the file (its last line ends in '\\'), so "
                            "whatever is written after it would become part of it");

    const std::size_t units = size_ / width_;
    records_.reserve(units / 64 + 16);
    ancestors_.reset(units);
    if (const auto failed = scanFile())
        return refuse(0, "cannot read the file (" + failed->message() + ")");
    return std::nullopt;
}

// The line of a value at the end of the file whose last line ends in '\'
// (blank and comment lines after it aside), or 0. regedit takes the next
// line as more of its data, so nothing can be added after it. Malformed
// lines elsewhere are harmless: they are skipped and kept as they are, and
// a write never changes them.
int RegText::openContinuation() const
{
    std::size_t end = size_;
    for (;;) {
        while (end > bodyStart_ && isEol(end - width_))
            end -= width_;
        if (end <= bodyStart_)
            return 0;
        std::size_t start = end;
        while (start > bodyStart_ && !isEol(start - width_))
            start -= width_;
        const std::size_t first = skipBlanks(start, end);
        if (first < end && at(first) != ';') {
            std::size_t last = end;
            while (last > first && isBlank(last - width_))
                last -= width_;
            return at(last - width_) == '\\' ? lineNumber(start) : 0;
        }
        end = start;
    }
}

// Indexes the whole file, read chunk by chunk into a small buffer: a pass
// over a large file costs less this way than through its mapping. Each
// chunk ends after its last whole line; the next starts there.
std::optional<std::error_code> RegText::scanFile()
{
    std::string chunk(std::size_t{1} << 17, '\0');
    std::size_t start = bodyStart_;
    while (start < size_) {
        std::error_code error;
        const std::size_t n = file_.readAt(start, chunk.data(), std::min(chunk.size(), size_ - start), error);
        if (error || n == 0)
            return error ? error : std::make_error_code(std::errc::io_error);
        window_ = std::string_view(chunk.data(), n);
        windowBase_ = start;
        std::size_t stop = start + n;
        if (stop < size_) {
            while (stop > start && !isEol(stop - width_))
                stop -= width_;
            if (stop == start) { // a line longer than the buffer
                chunk.resize(chunk.size() * 2);
                continue;
            }
        }
        scanHeaders(start, stop);
        start = stop;
    }
    window_ = file_.view();
    windowBase_ = 0;
    return std::nullopt;
}

bool RegText::atLineStart(std::size_t off) const
{
    const std::size_t floor = std::max(bodyStart_, windowBase_); // a window starts at a line's start
    while (off > floor && isBlank(off - width_))
        off -= width_;
    return off == floor || isEol(off - width_);
}

// A header as regedit reads it: '[' (after blanks) not followed by a blank,
// the key path up to the last ']' of the line, a '-' before it for a
// deletion. A line without ']' is no header. (Empty names in the path are
// found while indexing.)
Header RegText::readHeader(std::size_t off) const
{
    Header h;
    h.lineEnd = lineEnd(off, windowEnd());
    std::size_t close = h.lineEnd;
    while (close > off && at(close - width_) != ']')
        close -= width_;
    std::size_t p = off + width_;
    if (close == off || isBlank(p))
        return h;
    h.valid = true;
    h.pathEnd = close - width_;
    const bool deletion = at(p) == '-';
    if (deletion)
        p += width_;
    std::size_t rootEnd = p;
    while (rootEnd < h.pathEnd && at(rootEnd) != '\\')
        rootEnd += width_;
    // Most headers spell the root as the one before.
    if (lastRoot_ >= 0 && rootEnd - p == lastRootBytes_.size()
        && std::memcmp(ptr(p), lastRootBytes_.data(), rootEnd - p) == 0)
        h.root = lastRoot_;
    for (std::size_t i = 0; i < kRootNames.size() && h.root < 0; ++i) {
        for (const std::string_view name : kRootNames[i]) {
            if (name.empty() || (rootEnd - p) != name.size() * width_)
                continue;
            bool same = true;
            for (std::size_t k = 0; k < name.size() && same; ++k)
                same = foldCase(at(p + k * width_)) == static_cast<char16_t>(name[k]);
            if (same)
                h.root = static_cast<int>(i);
        }
    }
    h.pathBegin = rootEnd < h.pathEnd ? rootEnd + width_ : h.pathEnd;
    h.rootBegin = p;
    if (h.root < 0)
        return h;
    if (deletion)
        h.kind = h.pathBegin < h.pathEnd ? kDeletionHeader : kIgnoredHeader; // a root cannot be deleted
    else
        h.kind = kKeyHeader;
    return h;
}

void RegText::scanHeaders(std::size_t from, std::size_t to)
{
    for (std::size_t off = find(from, to, '['); off < to; off = find(off + width_, to, '[')) {
        if (!atLineStart(off))
            continue;
        const Header h = readHeader(off);
        if (h.valid)
            indexHeader(off, h);
        off = h.lineEnd;
    }
}

// Records one header. A path with an empty name ("A\\\\B", "A\\") names no key.
void RegText::indexHeader(std::size_t off, const Header& h)
{
    const auto offset = static_cast<std::uint32_t>(off);
    if (h.kind == kDeletionHeader) {
        bool cut = true;
        for (std::size_t q = h.pathBegin; q < h.pathEnd; q += width_) {
            const bool sep = at(q) == '\\';
            if (sep && cut)
                break;
            cut = sep;
        }
        if (cut) {
            records_.push_back({offset, kIgnoredHeader});
        } else {
            deletions_.push_back(static_cast<std::uint32_t>(records_.size()));
            records_.push_back({offset, kDeletionHeader});
        }
        return;
    }
    if (h.kind != kKeyHeader) {
        records_.push_back({offset, h.kind});
        return;
    }
    // Resume the hash after the part this path shares with the previous
    // key's (an export lists a key right after its parent): that part is
    // known good, and only ancestors past it can be new.
    std::size_t common = 0;
    const std::size_t length = h.pathEnd - h.pathBegin;
    if (h.root == lastRoot_) {
        const std::size_t n = std::min(length, lastPathBytes_.size());
        const char* a = ptr(h.pathBegin);
        const char* b = lastPathBytes_.data();
        while (common + 8 <= n && std::memcmp(a + common, b + common, 8) == 0)
            common += 8;
        while (common < n && a[common] == b[common])
            ++common;
    }
    std::size_t keep = 0;
    while (keep < lastCuts_.size() && lastCuts_[keep].at < common)
        ++keep;
    std::uint32_t hash = hashSeed(h.root);
    std::size_t q = 0;
    if (keep > 0) {
        q = lastCuts_[keep - 1].at;
        hash = lastCuts_[keep - 1].hash;
        --keep;
    }
    lastCuts_.resize(keep);
    bool cut = q == 0;
    for (; q < length; q += width_) {
        const char16_t u = at(h.pathBegin + q);
        if (u == '\\') {
            if (cut)
                break;
            lastCuts_.push_back({static_cast<std::uint32_t>(q), hash});
            if (q >= common)
                ancestors_.add(hash);
        }
        cut = u == '\\';
        hash = hashStep(hash, foldCase(u));
    }
    if (cut && length > 0) {
        records_.push_back({offset, kIgnoredHeader});
        lastRoot_ = -1;
        lastCuts_.clear();
        return;
    }
    records_.push_back({offset, (hash & ~kKindMask) | kKeyHeader});
    if (h.root != lastRoot_) {
        lastRoot_ = h.root;
        const std::size_t rootEnd = h.pathBegin - (length > 0 ? width_ : 0);
        lastRootBytes_.assign(ptr(h.rootBegin), rootEnd - h.rootBegin);
    }
    lastPathBytes_.assign(ptr(h.pathBegin), length);
}

Relation RegText::relate(const Header& h, int root, std::u16string_view target) const
{
    if (h.root != root)
        return Relation::None;
    std::size_t q = h.pathBegin;
    std::size_t i = 0;
    for (; q < h.pathEnd && i < target.size(); q += width_, ++i)
        if (foldCase(at(q)) != target[i])
            return Relation::None;
    if (q == h.pathEnd && i == target.size())
        return Relation::Equal;
    if (q == h.pathEnd)
        return (q == h.pathBegin || target[i] == '\\') ? Relation::Ancestor : Relation::None;
    return (i == 0 || at(q) == '\\') ? Relation::Descendant : Relation::None;
}

KeyInfo RegText::resolve(int root, std::u16string_view folded) const
{
    KeyInfo key;
    // A deletion of the key or an ancestor ends whatever came before it.
    std::size_t first = 0;
    for (const std::uint32_t d : deletions_) {
        const Relation rel = relate(readHeader(records_[d].offset), root, folded);
        if (rel == Relation::Equal || rel == Relation::Ancestor)
            first = d + 1;
    }
    const std::uint32_t tag = hashPath(root, folded) & ~kKindMask;
    for (std::size_t i = first; i < records_.size(); ++i)
        if (records_[i].tag == tag && relate(readHeader(records_[i].offset), root, folded) == Relation::Equal)
            key.sections.push_back(static_cast<std::uint32_t>(i));
    key.exists = folded.empty() || !key.sections.empty();
    if (!key.exists && ancestors_.mayContain(hashPath(root, folded))) {
        for (std::size_t i = first; i < records_.size() && !key.exists; ++i)
            key.exists = (records_[i].tag & kKindMask) == kKeyHeader
                         && relate(readHeader(records_[i].offset), root, folded) == Relation::Descendant;
    }
    return key;
}

std::size_t RegText::bodyOf(std::uint32_t record, std::size_t* end) const
{
    *end = record + 1 < records_.size() ? records_[record + 1].offset : size_;
    return nextLine(lineEnd(records_[record].offset, *end), *end);
}

// A quoted name or text with regedit's escapes; returns the offset after
// the closing quote, or 0 when the line ends first.
std::size_t RegText::parseQuoted(std::size_t off, std::size_t limit, std::u16string& out) const
{
    out.clear();
    for (off += width_; off < limit; off += width_) {
        char16_t u = at(off);
        if (u == '"')
            return off + width_;
        if (u == '\\') {
            off += width_;
            if (off >= limit)
                return 0;
            u = at(off);
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
RegText::HexLine RegText::parseHexLine(std::size_t& off, std::size_t limit, std::string& data) const
{
    for (;;) {
        std::size_t p = skipBlanks(off, limit);
        const int hi = p < limit ? hexDigit(at(p)) : -1;
        if (hi < 0) {
            if (p < limit && at(p) == '\\') {
                p = skipBlanks(p + width_, limit);
                if (p >= limit)
                    return HexLine::Continued;
                return at(p) == ';' ? HexLine::ContinuedAfterComment : HexLine::Bad;
            }
            return p >= limit || at(p) == ';' ? HexLine::Last : HexLine::Bad;
        }
        int value = hi;
        p += width_;
        if (p < limit && hexDigit(at(p)) >= 0) {
            value = value * 16 + hexDigit(at(p));
            p += width_;
        }
        data.push_back(static_cast<char>(value));
        off = p;
        if (p < limit && at(p) == ',') {
            off = p + width_;
            continue;
        }
        p = skipBlanks(p, limit);
        return p >= limit || at(p) == ';' ? HexLine::Last : HexLine::Bad;
    }
}

// Parses the line at `line` (ending before `limit` of the section); ok says
// whether it held a value. Returns where the next line starts: after the
// continuation lines of the value, or at a continuation line that turned
// out to be something else, which is then read on its own as regedit does.
std::size_t RegText::parseEntry(std::size_t line, std::size_t limit, Entry& e, bool& ok) const
{
    ok = false;
    std::size_t le = lineEnd(line, limit);
    const std::size_t next = nextLine(le, limit);
    std::size_t p = skipBlanks(line, le);
    if (p >= le)
        return next;
    e = Entry{};
    e.start = p;
    if (at(p) == '@') {
        e.nameEnd = p + width_;
    } else if (at(p) == '"') {
        e.nameEnd = parseQuoted(p, le, e.name);
        if (e.nameEnd == 0)
            return next;
        for (char16_t& u : e.name)
            u = foldCase(u);
    } else {
        return next;
    }
    p = skipBlanks(e.nameEnd, le);
    if (p >= le || at(p) != '=')
        return next;
    p = skipBlanks(p + width_, le);
    auto restIsComment = [&](std::size_t q) {
        q = skipBlanks(q, le);
        return q >= le || at(q) == ';';
    };
    e.end = le;
    if (p < le && at(p) == '-') {
        e.deletion = true;
        e.dataEnd = p + width_;
        ok = restIsComment(e.dataEnd);
        return next;
    }
    if (p < le && at(p) == '"') {
        std::u16string text;
        e.dataEnd = parseQuoted(p, le, text);
        if (e.dataEnd == 0 || !restIsComment(e.dataEnd))
            return next;
        e.type = kRegSz;
        text.push_back(u'\0');
        for (const char16_t u : text) {
            if (version_ == 5) {
                e.data.push_back(static_cast<char>(u & 0xFF));
                e.data.push_back(static_cast<char>(u >> 8));
            } else {
                e.data.push_back(toAnsi(u));
            }
        }
        ok = true;
        return next;
    }
    if (startsWith(p, le, "dword:")) {
        p += 6 * width_;
        std::uint32_t value = 0;
        int digits = 0;
        for (; p < le && hexDigit(at(p)) >= 0 && digits <= 8; p += width_, ++digits)
            value = value << 4 | static_cast<std::uint32_t>(hexDigit(at(p)));
        if (digits == 0 || digits > 8 || !restIsComment(p))
            return next;
        e.type = kRegDword;
        for (int i = 0; i < 4; ++i)
            e.data.push_back(static_cast<char>(value >> (8 * i)));
        e.dataEnd = p;
        ok = true;
        return next;
    }
    if (startsWith(p, le, "hex:")) {
        e.type = kRegBinary;
        p += 4 * width_;
    } else if (startsWith(p, le, "hex(")) {
        p += 4 * width_;
        std::uint64_t type = 0;
        int digits = 0;
        for (; p < le && hexDigit(at(p)) >= 0; p += width_, ++digits)
            type = type << 4 | static_cast<std::uint64_t>(hexDigit(at(p)));
        if (digits == 0 || type > 0xFFFFFFFFu || !startsWith(p, le, "):"))
            return next;
        e.type = static_cast<std::uint32_t>(type);
        p += 2 * width_;
    } else {
        return next;
    }
    // Hex bytes, continued over lines that end in '\'. Blank and comment
    // lines in between are skipped; the end of the file ends the data. A
    // comment inside the value makes it one to leave as it is.
    HexLine state = parseHexLine(p, le, e.data);
    e.dataEnd = p;
    std::size_t after = next;
    while (state == HexLine::Continued || state == HexLine::ContinuedAfterComment) {
        if (state == HexLine::ContinuedAfterComment)
            e.rewritable = false;
        bool skipped = false;
        std::size_t l = after;
        std::size_t lEnd = 0;
        std::size_t q = 0;
        for (;; l = nextLine(lEnd, limit), skipped = true) {
            if (l >= limit) {
                ok = limit == size_; // a header line ends it: broken
                return l;
            }
            lEnd = lineEnd(l, limit);
            q = skipBlanks(l, lEnd);
            if (q < lEnd && at(q) != ';')
                break;
        }
        if (hexDigit(at(q)) < 0)
            return l;
        state = parseHexLine(q, lEnd, e.data);
        if (state == HexLine::Bad)
            return l;
        e.rewritable = e.rewritable && !skipped;
        e.dataEnd = q;
        e.end = lEnd;
        after = nextLine(lEnd, limit);
    }
    ok = state == HexLine::Last;
    return after;
}

template <class F> void RegText::forEachEntry(std::uint32_t record, F&& f) const
{
    std::size_t end = 0;
    std::size_t line = bodyOf(record, &end);
    Entry e;
    bool ok = false;
    while (line < end) {
        line = parseEntry(line, end, e, ok);
        if (ok)
            f(e);
    }
}

std::optional<Entry> RegText::findValue(const KeyInfo& key, std::u16string_view folded, std::size_t* tail) const
{
    std::optional<Entry> found;
    for (const std::uint32_t s : key.sections) {
        if (tail)
            *tail = lineEnd(records_[s].offset, size_);
        forEachEntry(s, [&](const Entry& e) {
            if (tail)
                *tail = e.end;
            if (e.name == folded)
                found = e;
        });
    }
    return found;
}

std::string RegText::ansiView(const Entry& e) const
{
    if (version_ != 5 || !isStringType(e.type))
        return e.data;
    std::string out;
    out.reserve(e.data.size() / 2);
    for (std::size_t i = 0; i + 1 < e.data.size(); i += 2) {
        const auto u = static_cast<char16_t>(static_cast<unsigned char>(e.data[i])
                                             | static_cast<unsigned char>(e.data[i + 1]) << 8);
        out.push_back(toAnsi(u));
        // A surrogate pair is one character: one '?'.
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < e.data.size()) {
            const auto lo = static_cast<unsigned char>(e.data[i + 3]);
            if (lo >= 0xDC && lo < 0xE0)
                i += 2;
        }
    }
    return out;
}

std::string RegText::storageOf(std::uint32_t type, std::string_view ansi) const
{
    if (version_ != 5 || !isStringType(type))
        return std::string(ansi);
    std::string out;
    out.reserve(ansi.size() * 2);
    for (const char c : ansi) {
        const char16_t u = fromAnsi(static_cast<unsigned char>(c));
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

// The data as regedit writes it: a quoted text only when that keeps every
// byte (one terminator, none inside, no line break), dword: only for
// exactly 4 bytes, otherwise hex bytes, wrapped at 80 columns.
std::u16string RegText::formatData(std::uint32_t type, const std::string& stored, std::size_t column) const
{
    std::u16string out;
    if (type == kRegSz) {
        std::u16string text;
        const std::size_t unit = version_ == 5 ? 2 : 1;
        for (std::size_t i = 0; i + unit <= stored.size(); i += unit)
            text.push_back(unit == 2 ? static_cast<char16_t>(static_cast<unsigned char>(stored[i])
                                                             | static_cast<unsigned char>(stored[i + 1]) << 8)
                                     : fromAnsi(static_cast<unsigned char>(stored[i])));
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

std::string RegText::encode(std::u16string_view text) const
{
    std::string out;
    out.reserve(text.size() * width_);
    for (const char16_t u : text) {
        if (width_ == 2) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        } else {
            out.push_back(toAnsi(u));
        }
    }
    return out;
}

std::u16string RegText::sectionText(int root, std::string_view path) const
{
    std::u16string out = u"[";
    for (const char c : kRootNames[static_cast<std::size_t>(root)][0])
        out.push_back(static_cast<char16_t>(c));
    if (!path.empty())
        out.push_back(u'\\');
    for (const char c : path)
        out.push_back(fromAnsi(static_cast<unsigned char>(c)));
    return out + u"]";
}

Edit RegText::setValueEdit(int root, std::string_view path, const KeyInfo& key, std::string_view name,
                           std::uint32_t type, std::string_view ansiData) const
{
    const std::u16string folded = foldAnsi(name);
    std::size_t tail = 0;
    const std::optional<Entry> old = key.sections.empty() ? std::nullopt : findValue(key, folded, &tail);

    std::u16string token;
    if (old && !old->deletion) {
        for (std::size_t q = old->start; q < old->nameEnd; q += width_)
            token.push_back(at(q)); // the name keeps its spelling
    } else if (name.empty()) {
        token = u"@";
    } else {
        token = u"\"";
        for (const char c : name) {
            if (c == '\\' || c == '"')
                token.push_back(u'\\');
            token.push_back(fromAnsi(static_cast<unsigned char>(c)));
        }
        token += u"\"";
    }
    const std::u16string line = token + u"=" + formatData(type, storageOf(type, ansiData), token.size() + 1);

    Edit edit;
    if (old && !old->deletion && old->rewritable) {
        edit.from = old->start;
        edit.to = old->dataEnd;
        edit.bytes = encode(line);
    } else if (!key.sections.empty()) {
        // A new line after the last value of the key's last section (or
        // after a value whose inner comments must stay where they are).
        edit.from = edit.to = (old && !old->deletion) ? old->end : tail;
        edit.bytes = encode(eol_ + line);
    } else {
        edit = createKeyEdit(root, path);
        const std::size_t header = edit.bytes.size() - 2 * eol_.size() * width_;
        edit.bytes.insert(header, encode(eol_ + line));
    }
    return edit;
}

// A new section at the end, after a blank line, itself followed by one.
Edit RegText::createKeyEdit(int root, std::string_view path) const
{
    std::u16string text;
    const std::size_t end = size_;
    if (!exists_) {
        text = std::u16string(kHeader5.begin(), kHeader5.end()) + eol_ + eol_;
    } else {
        // Count the line ends that close the text (a CR LF being one).
        int ends = 0;
        std::size_t p = end;
        const std::size_t stop = width_ == 2 ? 2 : 0;
        while (ends < 2 && p > stop && isEol(p - width_)) {
            p -= width_;
            if (at(p) == '\n' && p > stop && at(p - width_) == '\r')
                p -= width_;
            ++ends;
        }
        for (; ends < 2; ++ends)
            text += eol_;
    }
    text += sectionText(root, path) + eol_ + eol_;
    Edit edit{end, end, {}};
    if (!exists_)
        edit.bytes = "\xFF\xFE";
    edit.bytes += encode(text);
    return edit;
}

void RegText::applyEdit(const Edit& edit, FileBytes written, const fs::path& path)
{
    if (!exists_) {
        adopt(std::move(written), path);
        return;
    }
    file_ = std::move(written);
    window_ = file_.view();
    size_ = window_.size();
    const auto delta = static_cast<std::int64_t>(edit.bytes.size()) - static_cast<std::int64_t>(edit.to - edit.from);
    for (Record& r : records_)
        if (r.offset >= edit.to)
            r.offset = static_cast<std::uint32_t>(static_cast<std::int64_t>(r.offset) + delta);
    // Only a new section at the end brings new headers.
    if (edit.from == edit.to && edit.from + edit.bytes.size() == size_)
        scanHeaders(edit.from, size_);
}

// ---- The store ----

constexpr std::int32_t kStatusPathNotFound = 3;
constexpr std::int32_t kStatusSharingViolation = 32;
constexpr std::uint32_t kCreatedNewKey = 1;
constexpr std::uint32_t kOpenedExistingKey = 2;

// The Win32 code nearest to a failed file step.
std::int32_t win32Status(const FileError& e)
{
#ifdef _WIN32
    if (e.code.category() == std::system_category())
        return e.code.value();
#endif
    const std::error_code& c = e.code;
    if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted
        || c == std::errc::read_only_file_system)
        return kStatusAccessDenied;
    if (c == std::errc::no_space_on_device || c == std::errc::file_too_large)
        return kStatusDiskFull;
#ifdef EDQUOT
    if (c.default_error_condition() == std::error_condition(EDQUOT, std::generic_category()))
        return kStatusDiskFull;
#endif
    if (c == std::errc::no_such_file_or_directory || c == std::errc::not_a_directory)
        return kStatusPathNotFound;
    if (c == std::errc::not_enough_memory)
        return kStatusNotEnoughMemory;
    if (c == std::errc::device_or_resource_busy || c == std::errc::text_file_busy)
        return kStatusSharingViolation;
    if (c == std::errc::no_lock_available || c == std::errc::resource_unavailable_try_again)
        return kStatusLockViolation;
    switch (e.step) {
    case FileStep::Open:
    case FileStep::Read: return kStatusReadFault;
    case FileStep::Lock: return kStatusLockViolation;
    default: return kStatusWriteFault;
    }
}

// A file under a path that cannot exist is as missing as one that does not.
bool isMissing(const FileError& e)
{
    return e.isMissingFile() || e.code == std::errc::not_a_directory;
}

// The path of a subkey; names must not be empty, a trailing '\' is allowed.
std::optional<std::string> joinPath(const std::string& base, const char* subKey)
{
    std::string_view sub = subKey ? subKey : "";
    if (!sub.empty() && sub.back() == '\\')
        sub.remove_suffix(1);
    if (sub.empty())
        return base;
    // An empty name names no key, the last one included (a path that ends
    // in two backslashes): it could be created but never opened again.
    if (sub.front() == '\\' || sub.back() == '\\' || sub.find("\\\\") != std::string_view::npos)
        return std::nullopt;
    return base.empty() ? std::string(sub) : base + '\\' + std::string(sub);
}

std::string environment(const char* name)
{
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string RegFileError::message() const
{
    std::string text = "\"" + path.string() + "\"";
    if (line > 0)
        text += ", line " + std::to_string(line);
    return text + ": " + reason;
}

fs::path defaultRegistryPath()
{
    if (const std::string file = environment("TAVREL_REGISTRY"); !file.empty())
        return file;
    fs::path data = environment("XDG_DATA_HOME");
    if (data.empty() || !data.is_absolute())
        data = fs::path(environment("HOME")) / ".local" / "share";
    return data / "tavrel" / "registry.reg";
}

struct RegFileStore::Impl {
    struct OpenKey {
        int root = 0;
        std::string path; // as the caller spelled it
        std::uint64_t generation = 0;
        KeyInfo info; // valid while generation matches the text's
    };
    enum class State { Unloaded, Ready, Refused };

    fs::path file;
    FaultHook faults;
    State state = State::Unloaded;
    std::unique_ptr<RegText> text;
    std::uint64_t generation = 1; // changes whenever text does
    RegFileError loadError;
    FileError writeError;
    std::array<OpenKey, kRootNames.size()> roots;
    std::vector<std::optional<OpenKey>> handles; // handle h is handles[h - 1]

    bool load();
    void refuse(RegFileError why);
    std::int32_t ready();
    OpenKey* find(RegHandle h);
    const KeyInfo& info(OpenKey& key);
    RegHandle open(int root, const std::string& path, const KeyInfo& key);
    template <class MakeEdit> std::int32_t persist(MakeEdit makeEdit, bool* wrote = nullptr);
};

bool RegFileStore::Impl::load()
{
    FileBytes bytes;
    const FileError err = mapWholeFile(file, bytes, faults);
    if (err && !isMissing(err)) {
        refuse({file, 0, "cannot " + std::string(fileStepName(err.step)) + " the file (" + err.code.message() + ")"});
        return false;
    }
    auto fresh = std::make_unique<RegText>();
    if (auto bad = fresh->adopt(std::move(bytes), file)) {
        refuse(std::move(*bad));
        return false;
    }
    text = std::move(fresh);
    ++generation;
    state = State::Ready;
    loadError = {};
    return true;
}

void RegFileStore::Impl::refuse(RegFileError why)
{
    loadError = std::move(why);
    state = State::Refused;
}

std::int32_t RegFileStore::Impl::ready()
{
    // A program that rewrites the file in place (same inode) and shortens
    // it leaves part of the mapping with nothing behind it: read the file
    // again before touching the map. Other changes are taken in before the
    // next write.
    if (state == State::Ready && text->file().mapped()) {
        const FileStamp now = fileStamp(file);
        const FileStamp& then = text->stamp();
        if (now.exists && now.device == then.device && now.inode == then.inode && now.size < then.size)
            state = State::Unloaded;
    }
    if (state == State::Unloaded)
        load();
    return state == State::Ready ? kStatusSuccess : kStatusBadDb;
}

RegFileStore::Impl::OpenKey* RegFileStore::Impl::find(RegHandle h)
{
    if (h >= kFirstRoot && h - kFirstRoot < roots.size())
        return &roots[h - kFirstRoot];
    if (h == 0 || h > handles.size() || !handles[h - 1])
        return nullptr;
    return &*handles[h - 1];
}

const KeyInfo& RegFileStore::Impl::info(OpenKey& key)
{
    if (key.generation != generation) {
        key.info = text->resolve(key.root, foldAnsi(key.path));
        key.generation = generation;
    }
    return key.info;
}

RegHandle RegFileStore::Impl::open(int root, const std::string& path, const KeyInfo& key)
{
    auto slot = std::find_if(handles.begin(), handles.end(), [](const auto& h) { return !h.has_value(); });
    if (slot == handles.end())
        slot = handles.insert(handles.end(), std::nullopt);
    *slot = OpenKey{root, path, generation, key};
    return static_cast<RegHandle>(slot - handles.begin() + 1);
}

// Writes one change: under the lock, on top of the file as it is now (a
// change by another program is read first), into a new file renamed over
// the old one. On failure the file and the store stay as they were.
template <class MakeEdit> std::int32_t RegFileStore::Impl::persist(MakeEdit makeEdit, bool* wrote)
{
    auto fail = [this](FileError err) {
        writeError = std::move(err);
        return win32Status(writeError);
    };
    std::error_code ec;
    const fs::path folder = file.parent_path();
    if (!folder.empty() && !fs::is_directory(folder, ec) && !fs::create_directories(folder, ec))
        return fail({file, FileStep::Lock, ec ? ec : std::make_error_code(std::errc::not_a_directory)});

    FileError err;
    const FileLock lock = FileLock::acquire(file, err, faults);
    if (err)
        return fail(err);
    if (fileStamp(file) != text->stamp()) {
        FileBytes bytes;
        err = mapWholeFile(file, bytes, faults);
        if (err && !isMissing(err))
            return fail(err);
        auto fresh = std::make_unique<RegText>();
        if (auto bad = fresh->adopt(std::move(bytes), file)) {
            refuse(std::move(*bad));
            return kStatusBadDb;
        }
        text = std::move(fresh);
        ++generation;
    }

    const std::optional<Edit> edit = makeEdit(static_cast<const RegText&>(*text));
    if (!edit)
        return kStatusSuccess;
    const FileBytes& old = text->file();
    const std::array<FilePiece, 3> pieces = {FilePiece(old, 0, edit->from), FilePiece(edit->bytes),
                                             FilePiece(old, edit->to, old.view().size() - edit->to)};
    err = writeFileAtomically(file, pieces, faults);
    if (err)
        return fail(err);
    if (wrote)
        *wrote = true;
    // The change is on disk; reading it back is no part of the write, so it
    // is no step to fail. Should it fail, the next call reads the file again.
    FileBytes written;
    if (mapWholeFile(file, written)) {
        state = State::Unloaded;
        return kStatusSuccess;
    }
    text->applyEdit(*edit, std::move(written), file);
    ++generation;
    return kStatusSuccess;
}

RegFileStore::RegFileStore(fs::path file, FaultHook faults) : d(std::make_unique<Impl>())
{
    d->file = std::move(file);
    d->faults = std::move(faults);
    for (std::size_t i = 0; i < d->roots.size(); ++i)
        d->roots[i].root = static_cast<int>(i);
}

RegFileStore::~RegFileStore() = default;

bool RegFileStore::load()
{
    return d->load();
}
const RegFileError& RegFileStore::loadError() const
{
    return d->loadError;
}
const fs::path& RegFileStore::path() const
{
    return d->file;
}
const FileError& RegFileStore::lastWriteError() const
{
    return d->writeError;
}

std::int32_t RegFileStore::RegOpenKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t /*ulOptions*/,
                                         std::uint32_t /*samDesired*/, RegHandle* phkResult)
{
    if (phkResult)
        *phkResult = 0;
    if (const std::int32_t status = d->ready())
        return status;
    Impl::OpenKey* parent = d->find(hKey);
    if (!parent)
        return kStatusInvalidHandle;
    const std::optional<std::string> subPath = joinPath(parent->path, lpSubKey);
    if (!phkResult || !subPath)
        return kStatusInvalidParameter;
    const int root = parent->root;
    const KeyInfo key = d->text->resolve(root, foldAnsi(*subPath));
    if (!key.exists)
        return kStatusNotFound;
    *phkResult = d->open(root, *subPath, key);
    return kStatusSuccess;
}

std::int32_t RegFileStore::RegCreateKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t /*Reserved*/,
                                           const char* /*lpClass*/, std::uint32_t /*dwOptions*/,
                                           std::uint32_t /*samDesired*/, const void* /*lpSecurityAttributes*/,
                                           RegHandle* phkResult, std::uint32_t* lpdwDisposition)
{
    if (phkResult)
        *phkResult = 0;
    if (const std::int32_t status = d->ready())
        return status;
    Impl::OpenKey* parent = d->find(hKey);
    if (!parent)
        return kStatusInvalidHandle;
    const std::optional<std::string> subPath = joinPath(parent->path, lpSubKey);
    if (!phkResult || !lpSubKey || !subPath)
        return kStatusInvalidParameter;
    const int root = parent->root;
    const std::u16string folded = foldAnsi(*subPath);
    std::uint32_t disposition = kOpenedExistingKey;
    if (!d->text->resolve(root, folded).exists) {
        bool wrote = false;
        const std::int32_t status = d->persist(
            [&](const RegText& text) -> std::optional<Edit> {
                if (text.resolve(root, folded).exists)
                    return std::nullopt; // another program made it meanwhile
                return text.createKeyEdit(root, *subPath);
            },
            &wrote);
        if (status != kStatusSuccess)
            return status;
        if (wrote)
            disposition = kCreatedNewKey;
        if (d->ready() != kStatusSuccess)
            return kStatusBadDb;
    }
    *phkResult = d->open(root, *subPath, d->text->resolve(root, folded));
    if (lpdwDisposition)
        *lpdwDisposition = disposition;
    return kStatusSuccess;
}

std::int32_t RegFileStore::RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                                            std::uint32_t* lpType, std::uint8_t* lpData, std::uint32_t* lpcbData)
{
    if (const std::int32_t status = d->ready())
        return status;
    Impl::OpenKey* key = d->find(hKey);
    if (!key)
        return kStatusInvalidHandle;
    if (lpReserved || (lpData && !lpcbData))
        return kStatusInvalidParameter;
    const std::optional<Entry> value =
        d->text->findValue(d->info(*key), foldAnsi(lpValueName ? lpValueName : ""), nullptr);
    if (!value || value->deletion)
        return kStatusNotFound;
    const std::string data = d->text->ansiView(*value);
    const auto size = static_cast<std::uint32_t>(data.size());
    if (lpType)
        *lpType = value->type;
    if (lpData) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return kStatusMoreData;
        }
        std::copy(data.begin(), data.end(), lpData);
    }
    if (lpcbData)
        *lpcbData = size;
    return kStatusSuccess;
}

std::int32_t RegFileStore::RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t /*Reserved*/,
                                          std::uint32_t dwType, const std::uint8_t* lpData, std::uint32_t cbData)
{
    if (const std::int32_t status = d->ready())
        return status;
    Impl::OpenKey* key = d->find(hKey);
    if (!key)
        return kStatusInvalidHandle;
    if (!lpData && cbData > 0)
        return kStatusInvalidParameter;
    const int root = key->root;
    const std::string path = key->path;
    const std::string_view name = lpValueName ? lpValueName : "";
    const std::string_view data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    return d->persist([&](const RegText& text) -> std::optional<Edit> {
        return text.setValueEdit(root, path, text.resolve(root, foldAnsi(path)), name, dwType, data);
    });
}

std::int32_t RegFileStore::RegCloseKey(RegHandle hKey)
{
    if (const std::int32_t status = d->ready())
        return status;
    if (hKey >= kFirstRoot && hKey - kFirstRoot < d->roots.size())
        return kStatusSuccess;
    if (hKey == 0 || hKey > d->handles.size() || !d->handles[hKey - 1])
        return kStatusInvalidHandle;
    d->handles[hKey - 1].reset();
    return kStatusSuccess;
}

} // namespace tavrel
