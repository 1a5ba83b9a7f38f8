// The index of a .reg file's section headers: which lines open a key's
// section or delete a key, found in one pass at memory speed, and the
// lookup of a key's sections by its path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "registry/regfile/RegCodec.h"

namespace tavrel::regfile {

// The paths of every ancestor of every listed key, as a Bloom filter (three
// bits in one word per path): a key that is neither listed nor an ancestor
// of a listed one is then known to be missing without a look at every header.
class AncestorFilter {
public:
    // About one word per ten keys of a typical export: some 1% false hits,
    // in a table small enough to stay in the cache while the file is read.
    void reset(std::size_t fileUnits);
    // Paths wait in a list until a lookup needs the table: set one by one
    // while the file streams through the cache, its bits would miss it.
    void add(std::uint32_t h) { pending_.push_back(h); }
    bool mayContain(std::uint32_t h) const
    {
        settle();
        return (words_[word(h)] & bits(h)) == bits(h);
    }

private:
    void settle() const
    {
        for (const std::uint32_t h : pending_)
            words_[word(h)] |= bits(h);
        pending_.clear();
    }
    std::size_t word(std::uint32_t h) const { return (h ^ h >> 15) & (words_.size() - 1); }
    static std::uint64_t bits(std::uint32_t h)
    {
        std::uint32_t g = h * 0x85EBCA6Bu;
        g ^= g >> 13;
        return std::uint64_t{1} << (g & 63) | std::uint64_t{1} << (g >> 6 & 63) | std::uint64_t{1} << (g >> 12 & 63);
    }
    mutable std::vector<std::uint64_t> words_;
    mutable std::vector<std::uint32_t> pending_;
};

// A key as a lookup finds it.
struct KeyInfo {
    bool exists = false;
    std::vector<std::uint32_t> sections; // its own sections after its last deletion, in file order
};

class KeyIndex {
public:
    // Forgets every header; the body starts after the file's first line.
    void reset(std::size_t fileUnits, std::size_t bodyStart);
    // Indexes the headers that start in [from, to), whole lines.
    void scan(const TextView& text, std::size_t from, std::size_t to);
    // After bytes were replaced: headers from `at` on moved by delta.
    void shift(std::size_t at, std::int64_t delta);

    KeyInfo resolve(const TextView& text, int root, std::u16string_view folded) const;
    std::size_t headerOffset(std::uint32_t section) const { return offsets_[section]; }
    // The lines after a section's header, up to *end (the next header).
    std::size_t bodyOf(const TextView& text, std::uint32_t section, std::size_t* end) const;

private:
    enum Kind : std::uint32_t { kKeyHeader = 0, kDeletionHeader = 1, kIgnoredHeader = 2, kUnhashedHeader = 3 };
    static constexpr std::uint32_t kKindMask = 3;

    // Every header line is a record: a key's section, a deletion, or a
    // header that names no key (its values are ignored, as regedit ignores
    // them). Its tag is the hash of the header's text up to its ']', the
    // kind in the two low bits; a key header whose path holds a character
    // outside ASCII is not hashed: every lookup reads it. Offsets and tags
    // are apart so that a lookup runs through the tags alone.
    void record(std::size_t offset, std::uint32_t tag)
    {
        offsets_.push_back(static_cast<std::uint32_t>(offset));
        tags_.push_back(tag);
    }

    // A header as a lookup reads it.
    struct Header {
        Kind kind = kIgnoredHeader;
        int root = -1;
        std::size_t pathBegin = 0; // after "ROOT\"
        std::size_t pathEnd = 0;   // the last ']' of the line
    };
    enum class Relation { None, Equal, Ancestor, Descendant };

    // What the scan knows of a header line before one of its 8-byte words.
    struct WordState {
        std::uint64_t hash;
        std::uint32_t firstSlash, lastSlash, firstEmptyName, firstWide; // offsets from the '['
    };

    // A header line as foldAndHash leaves it: its words, where it ends, and
    // what it found up to the end (the hash stops before the last word).
    struct LineScan {
        std::size_t words;
        std::size_t end; // from the '['
        WordState last;
    };

    bool atLineStart(const TextView& text, std::size_t off) const;
    template <unsigned Width> void scanAs(const TextView& text, std::size_t from, std::size_t to);
    template <unsigned Width> std::size_t indexLine(const TextView& text, std::size_t off, std::size_t to);
    std::size_t sharedWords(const char* line, std::size_t available, std::size_t* differs) const;
    template <unsigned Width>
    LineScan foldAndHash(const char* line, std::size_t available, std::size_t k, std::size_t differs);
    template <unsigned Width>
    void recordHeader(const TextView& text, std::size_t off, std::size_t available, const LineScan& scan);
    Header readHeader(const TextView& text, std::size_t off) const;
    bool hasEmptyName(const TextView& text, const Header& h) const;
    Relation relate(const TextView& text, const Header& h, int root, std::u16string_view target) const;

    std::size_t bodyStart_ = 0;
    std::vector<std::uint32_t> offsets_; // of each record's '['
    std::vector<std::uint32_t> tags_;
    std::vector<std::uint32_t> deletions_; // records that may delete a key
    std::vector<std::uint32_t> unhashed_;  // key headers every lookup reads
    AncestorFilter ancestors_;

    // The previous header line of this scan and the scan's states before
    // each of its words: a header that starts the same way (an export lists
    // a key after its parent) resumes there.
    const char* lastLine_ = nullptr;
    std::size_t lastWords_ = 0;
    std::vector<WordState> states_;
};

} // namespace tavrel::regfile
