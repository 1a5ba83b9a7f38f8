// Finds the section headers of a .reg file and looks keys up among them.
// Headers are read eight bytes at a time, folded and hashed as whole words,
// so that indexing costs little more than reading the file.
#include "registry/regfile/KeyIndex.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace tavrel::regfile {

static_assert(std::endian::native == std::endian::little, "the header scan reads UTF-16LE units as words");

namespace {

// Per-lane constants for one- and two-byte units.
struct Lanes {
    std::uint64_t ones;
    std::uint64_t high; // the top bit of each lane
    std::uint64_t low;  // the other bits
    std::uint64_t wide; // bits set only in a unit outside ASCII
    std::uint64_t fold; // the bit that tells 'a' from 'A'
};
constexpr Lanes kLanes1{0x0101010101010101u, 0x8080808080808080u, 0x7F7F7F7F7F7F7F7Fu, 0x8080808080808080u,
                        0x2020202020202020u};
constexpr Lanes kLanes2{0x0001000100010001u, 0x8000800080008000u, 0x7FFF7FFF7FFF7FFFu, 0xFF80FF80FF80FF80u,
                        0x0020002000200020u};

template <unsigned Width> constexpr const Lanes& lanes()
{
    return Width == 2 ? kLanes2 : kLanes1;
}

// The top bit of every lane that holds c, exactly (no carry between lanes).
inline std::uint64_t lanesEqual(std::uint64_t w, char c, const Lanes& l)
{
    const std::uint64_t t = w ^ (l.ones * static_cast<unsigned char>(c));
    return ~(((t & l.low) + l.low) | t) & l.high;
}

// The offset in its word of the unit that holds this bit.
inline std::uint32_t unitAt(int bit, unsigned width)
{
    return static_cast<std::uint32_t>(bit >> 3) & ~(width - 1);
}

inline std::uint64_t loadWord(const char* p)
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

// The bytes left at the end of the text, zero-padded.
inline std::uint64_t loadWord(const char* p, std::size_t available)
{
    if (available >= 8)
        return loadWord(p);
    std::uint64_t w = 0;
    std::memcpy(&w, p, available);
    return w;
}

// The word at p into *w, and the top bit of each lane that holds a line
// end; at the end of the text the missing units count as line ends.
template <unsigned Width> inline std::uint64_t lineEnds(const char* p, std::size_t available, std::uint64_t* w)
{
    constexpr const Lanes& l = lanes<Width>();
    if (available >= 8) {
        *w = loadWord(p);
        // Below ' ': a line end, or rarely a tab or other control.
        if (~(((*w & l.low) + (l.high - l.ones * 0x20)) | *w) & l.high)
            return lanesEqual(*w, '\n', l) | lanesEqual(*w, '\r', l);
        return 0;
    }
    *w = loadWord(p, available);
    return lanesEqual(*w, '\n', l) | lanesEqual(*w, '\r', l) | (l.high & (~std::uint64_t{0} << (8 * available)));
}

// The hash of a header's text folded by setting the case bit of every unit:
// letters of either case hash alike, and the few other pairs it joins only
// cost a look at the header. Only ASCII folds this way, hence the unhashed
// headers.
constexpr std::uint64_t kSeed = 0x243F6A8885A308D3u;
constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;

inline std::uint64_t mixWord(std::uint64_t h, std::uint64_t folded)
{
    return std::rotl((h ^ folded) * kMultiplier, 27);
}

// The hash of the first `length` bytes, from the state before the word that
// holds byte `length` and that word, folded.
inline std::uint32_t prefixHash(std::uint64_t state, std::uint64_t foldedWord, std::size_t length)
{
    if (const std::size_t rest = length % 8)
        state = mixWord(state, foldedWord & ((std::uint64_t{1} << (8 * rest)) - 1));
    state = (state ^ length) * kMultiplier;
    return static_cast<std::uint32_t>(state >> 32);
}

std::uint32_t textHash(std::string_view bytes, const Lanes& l)
{
    std::uint64_t h = kSeed;
    std::size_t k = 0;
    for (; k + 8 <= bytes.size(); k += 8)
        h = mixWord(h, loadWord(bytes.data() + k, 8) | l.fold);
    return prefixHash(h, loadWord(bytes.data() + k, bytes.size() - k) | l.fold, bytes.size());
}

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

} // namespace

void AncestorFilter::reset(std::size_t fileUnits)
{
    words_.assign(std::bit_ceil(std::max<std::size_t>(fileUnits / 4096, 64)), 0);
    pending_.clear();
}

void KeyIndex::reset(std::size_t fileUnits, std::size_t bodyStart)
{
    bodyStart_ = bodyStart;
    offsets_.clear();
    tags_.clear();
    offsets_.reserve(fileUnits / 128 + 16);
    tags_.reserve(fileUnits / 128 + 16);
    deletions_.clear();
    unhashed_.clear();
    ancestors_.reset(fileUnits);
    lastLine_ = nullptr;
}

bool KeyIndex::atLineStart(const TextView& text, std::size_t off) const
{
    while (off > bodyStart_ && text.isBlank(off - text.width()))
        off -= text.width();
    return off == bodyStart_ || text.isEol(off - text.width());
}

void KeyIndex::scan(const TextView& text, std::size_t from, std::size_t to)
{
    if (text.width() == 2)
        scanAs<2>(text, from, to);
    else
        scanAs<1>(text, from, to);
}

template <unsigned Width> void KeyIndex::scanAs(const TextView& text, std::size_t from, std::size_t to)
{
    lastLine_ = nullptr;
    if (states_.empty())
        states_.push_back({kSeed, kNone, kNone, kNone, kNone});
    for (std::size_t off = text.find(from, to, '['); off < to;) {
        // '[' followed by a blank opens no header, as regedit reads it.
        const std::size_t next = off + Width;
        const bool afterLineEnd = off >= bodyStart_ + Width && text.isEol(off - Width);
        if (!(afterLineEnd || atLineStart(text, off)) || (next < to && text.isBlank(next)))
            off = text.find(next, to, '[');
        else
            off = text.find(indexLine<Width>(text, off, to), to, '[');
    }
}

// Reads the header line at off, records it if it is one and returns where
// the line ends. A header as regedit reads it: the key path up to the last
// ']' of the line, a '-' before it for a deletion; a line without ']' is no
// header, and a path with an empty name ("A\\B", "A\") names no key.
template <unsigned Width> std::size_t KeyIndex::indexLine(const TextView& text, std::size_t off, std::size_t to)
{
    const char* line = text.ptr(off);
    const std::size_t available = to - off;
    std::size_t differs = 0;
    const std::size_t shared = sharedWords(line, available, &differs);
    const LineScan scan = foldAndHash<Width>(line, available, shared, differs);
    lastLine_ = line;
    lastWords_ = scan.words;
    recordHeader<Width>(text, off, available, scan);
    return off + scan.end;
}

// The whole words this line shares with the previous header line, and the
// first byte that differs: an export lists a key right after its parent, so
// most of a header is a repeat and its hash states are known already.
std::size_t KeyIndex::sharedWords(const char* line, std::size_t available, std::size_t* differs) const
{
    if (!lastLine_)
        return 0;
    const std::size_t shared = std::min(lastWords_, available / 8);
    std::size_t k = 0;
    for (; k + 1 < shared; k += 2) { // two words a step: fewer branches on a long common start
        const std::uint64_t a = loadWord(line + 8 * k) ^ loadWord(lastLine_ + 8 * k);
        const std::uint64_t b = loadWord(line + 8 * k + 8) ^ loadWord(lastLine_ + 8 * k + 8);
        if (a | b) {
            k += a ? 0 : 1;
            break;
        }
    }
    for (; k < shared; ++k) {
        const std::uint64_t change = loadWord(line + 8 * k) ^ loadWord(lastLine_ + 8 * k);
        if (change) {
            *differs = 8 * k + static_cast<std::size_t>(std::countr_zero(change) >> 3);
            break;
        }
    }
    *differs = std::max(*differs, 8 * k);
    return k;
}

// Word by word from word k to the line's end: the hash of the folded text,
// the names' separators, each one's ancestor path (from the first byte that
// differs from the previous line on; the earlier ones are in the filter
// already), and units outside ASCII. Eight bytes a step is what makes the
// index cost little more than reading the file. The state stays in a local:
// read back from memory right after being written, it would stall.
template <unsigned Width>
KeyIndex::LineScan KeyIndex::foldAndHash(const char* line, std::size_t available, std::size_t k, std::size_t differs)
{
    constexpr const Lanes& l = lanes<Width>();
    WordState s = states_[k];
    for (;; ++k) {
        const std::size_t at = 8 * k;
        if (at >= available)
            return {k, available, s};
        std::uint64_t w = 0;
        const std::uint64_t eol = lineEnds<Width>(line + at, available - at, &w);
        const std::uint64_t before = eol ? (std::uint64_t{1} << std::countr_zero(eol)) - 1 : ~std::uint64_t{0};
        const std::uint64_t folded = w | l.fold;
        if (const std::uint64_t wide = w & l.wide & before; wide && s.firstWide == kNone)
            s.firstWide = static_cast<std::uint32_t>(at) + unitAt(std::countr_zero(wide), Width);
        for (std::uint64_t slashes = lanesEqual(w, '\\', l) & before; slashes; slashes &= slashes - 1) {
            const std::uint32_t q = static_cast<std::uint32_t>(at) + unitAt(std::countr_zero(slashes), Width);
            if (s.firstSlash == kNone)
                s.firstSlash = q;
            else if (q == s.lastSlash + Width && s.firstEmptyName == kNone)
                s.firstEmptyName = q;
            s.lastSlash = q;
            if (q >= differs)
                ancestors_.add(prefixHash(s.hash, folded, q));
        }
        if (eol)
            return {k, at + unitAt(std::countr_zero(eol), Width), s};
        s.hash = mixWord(s.hash, folded);
        if (states_.size() <= k + 1)
            states_.resize(2 * (k + 2));
        states_[k + 1] = s;
    }
}

// Records the line that foldAndHash read, if it is a header: a deletion, a
// header that names no key, a key with a unit outside ASCII (unhashed), or
// a key tagged with the hash of its text up to its ']'.
template <unsigned Width>
void KeyIndex::recordHeader(const TextView& text, std::size_t off, std::size_t available, const LineScan& scan)
{
    // The last ']' is nearly always at the end of the line.
    std::size_t close = scan.end;
    while (close > 0 && text.at(off + close - Width) != ']')
        close -= Width;
    if (close == 0)
        return;
    close -= Width;
    const auto index = static_cast<std::uint32_t>(tags_.size());
    if (text.at(off + Width) == '-') {
        deletions_.push_back(index);
        record(off, kDeletionHeader);
        return;
    }
    // "[ROOT\]" is the root itself; any other path that ends in '\' has an
    // empty name.
    std::size_t hashed = close;
    const bool trailingSlash = text.at(off + close - Width) == '\\';
    if (trailingSlash && close - Width == scan.last.firstSlash)
        hashed = close - Width;
    if ((trailingSlash && hashed == close) || scan.last.firstEmptyName < close) {
        record(off, kIgnoredHeader);
    } else if (scan.last.firstWide < close) {
        unhashed_.push_back(index);
        record(off, kUnhashedHeader);
    } else {
        const std::size_t word = hashed / 8;
        const std::uint64_t folded = loadWord(text.ptr(off) + 8 * word, available - 8 * word) | lanes<Width>().fold;
        record(off, (prefixHash(states_[word].hash, folded, hashed) & ~kKindMask) | kKeyHeader);
    }
}

void KeyIndex::shift(std::size_t at, std::int64_t delta)
{
    for (std::uint32_t& offset : offsets_)
        if (offset >= at)
            offset = static_cast<std::uint32_t>(static_cast<std::int64_t>(offset) + delta);
}

// The header at off read unit by unit, as a lookup checks it: its root,
// whether it deletes, and where its path lies.
KeyIndex::Header KeyIndex::readHeader(const TextView& text, std::size_t off) const
{
    const unsigned width = text.width();
    Header h;
    std::size_t close = text.lineEnd(off, text.size());
    while (close > off && text.at(close - width) != ']')
        close -= width;
    std::size_t p = off + width;
    if (close == off || text.isBlank(p))
        return h;
    h.pathEnd = close - width;
    const bool deletion = text.at(p) == '-';
    if (deletion)
        p += width;
    std::size_t rootEnd = p;
    while (rootEnd < h.pathEnd && text.at(rootEnd) != '\\')
        rootEnd += width;
    for (std::size_t i = 0; i < kRootNames.size() && h.root < 0; ++i) {
        for (const std::string_view name : kRootNames[i]) {
            if (name.empty() || (rootEnd - p) != name.size() * width)
                continue;
            bool same = true;
            for (std::size_t c = 0; c < name.size() && same; ++c)
                same = foldCase(text.at(p + c * width)) == static_cast<char16_t>(name[c]);
            if (same)
                h.root = static_cast<int>(i);
        }
    }
    h.pathBegin = rootEnd < h.pathEnd ? rootEnd + width : h.pathEnd;
    if (h.root < 0)
        return h;
    if (deletion)
        h.kind = h.pathBegin < h.pathEnd ? kDeletionHeader : kIgnoredHeader; // a root cannot be deleted
    else
        h.kind = kKeyHeader;
    return h;
}

bool KeyIndex::hasEmptyName(const TextView& text, const Header& h) const
{
    bool cut = true;
    for (std::size_t q = h.pathBegin; q < h.pathEnd; q += text.width()) {
        const bool sep = text.at(q) == '\\';
        if (sep && cut)
            break;
        cut = sep;
    }
    return cut && h.pathBegin < h.pathEnd;
}

KeyIndex::Relation KeyIndex::relate(const TextView& text, const Header& h, int root,
                                    std::u16string_view target) const
{
    if (h.root != root)
        return Relation::None;
    std::size_t q = h.pathBegin;
    std::size_t i = 0;
    for (; q < h.pathEnd && i < target.size(); q += text.width(), ++i)
        if (foldCase(text.at(q)) != target[i])
            return Relation::None;
    if (q == h.pathEnd && i == target.size())
        return Relation::Equal;
    if (q == h.pathEnd)
        return (q == h.pathBegin || target[i] == '\\') ? Relation::Ancestor : Relation::None;
    return (i == 0 || text.at(q) == '\\') ? Relation::Descendant : Relation::None;
}

KeyInfo KeyIndex::resolve(const TextView& text, int root, std::u16string_view folded) const
{
    KeyInfo key;
    // A deletion of the key or an ancestor ends whatever came before it.
    std::size_t first = 0;
    for (const std::uint32_t d : deletions_) {
        const Header h = readHeader(text, offsets_[d]);
        if (h.kind != kDeletionHeader || hasEmptyName(text, h))
            continue;
        const Relation rel = relate(text, h, root, folded);
        if (rel == Relation::Equal || rel == Relation::Ancestor)
            first = d + 1;
    }
    // The header's text as each spelling of the root gives it.
    const Lanes& l = text.width() == 2 ? kLanes2 : kLanes1;
    std::array<std::uint32_t, 2> hashes{};
    std::size_t spellings = 0;
    for (const std::string_view name : kRootNames[static_cast<std::size_t>(root)]) {
        if (name.empty())
            continue;
        std::u16string line = u"[";
        line.append(name.begin(), name.end());
        if (!folded.empty())
            line.append(u"\\").append(folded);
        hashes[spellings++] = textHash(encodeText(line, text.width()), l);
    }
    const std::uint32_t tagA = (hashes[0] & ~kKindMask) | kKeyHeader;
    const std::uint32_t tagB = spellings > 1 ? (hashes[1] & ~kKindMask) | kKeyHeader : tagA;
    auto is = [&](std::size_t i, Relation want) {
        return relate(text, readHeader(text, offsets_[i]), root, folded) == want;
    };
    for (std::size_t i = first; i < tags_.size(); ++i) {
        const std::uint32_t tag = tags_[i];
        if ((static_cast<int>(tag == tagA) | static_cast<int>(tag == tagB) | static_cast<int>(tag == kUnhashedHeader))
            && is(i, Relation::Equal))
            key.sections.push_back(static_cast<std::uint32_t>(i));
    }
    key.exists = folded.empty() || !key.sections.empty();
    if (key.exists)
        return key;
    if (ancestors_.mayContain(hashes[0]) || (spellings > 1 && ancestors_.mayContain(hashes[1]))) {
        for (std::size_t i = first; i < tags_.size() && !key.exists; ++i) {
            const std::uint32_t kind = tags_[i] & kKindMask;
            key.exists = (kind == kKeyHeader || kind == kUnhashedHeader) && is(i, Relation::Descendant);
        }
    } else {
        for (const std::uint32_t i : unhashed_)
            if (i >= first && !key.exists)
                key.exists = is(i, Relation::Descendant);
    }
    return key;
}

std::size_t KeyIndex::bodyOf(const TextView& text, std::uint32_t section, std::size_t* end) const
{
    *end = section + 1 < offsets_.size() ? offsets_[section + 1] : text.size();
    return text.nextLine(text.lineEnd(offsets_[section], *end), *end);
}

} // namespace tavrel::regfile
