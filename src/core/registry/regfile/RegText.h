// One version of a .reg file: its bytes, their encoding, the index of its
// headers, and the reads and edits of its values.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/FileIo.h"
#include "registry/regfile/KeyIndex.h"
#include "registry/regfile/RegCodec.h"
#include "registry/regfile/RegFileError.h"
#include "registry/regfile/ValueParser.h"
#include "registry/regfile/ValueWriter.h"

namespace tavrel::regfile {

// A value to set, with its key's path as the caller spelled it (ANSI).
struct ValueChange {
    int root = 0;
    std::string path;
    std::string name;
    std::uint32_t type = 0;
    std::string data;
};

// Values are parsed only when their key is read, so that loading costs
// little more than reading the file.
class RegText {
public:
    // Takes the bytes of an existing file; a missing or empty file stays a
    // new one, written as version 5 UTF-16 with CR LF on the first write.
    std::optional<RegFileError> adopt(FileBytes file, const FilePath& path);
    const FileStamp& stamp() const { return file_.stamp(); }
    const FileBytes& file() const { return file_; }

    KeyInfo resolve(int root, std::u16string_view folded) const;
    // The last word on a value in the key's sections; the insertion point
    // for a new value line goes to *tail.
    std::optional<Entry> findValue(const KeyInfo& key, std::u16string_view folded, std::size_t* tail) const
    {
        return ValueParser(text_, index_, version_).findValue(key, folded, tail);
    }
    std::string ansiView(const Entry& e) const { return regfile::ansiView(e, version_); }

    Edit setValueEdit(int root, std::string_view path, const KeyInfo& key, std::string_view name, std::uint32_t type,
                      std::string_view ansiData) const;
    // The edits that set all these values in one rewrite of this version:
    // in file order and apart (a value's lines are its own; values of keys
    // without a section share one edit at the end). Of two changes to one
    // value the later one counts.
    std::vector<Edit> setValueEdits(std::span<const ValueChange> changes) const;
    Edit createKeyEdit(int root, std::string_view path) const { return writer().createKey(root, path); }
    // After the edits were written: the new file's bytes, indexed.
    void applyEdits(std::span<const Edit> edits, FileBytes written, const FilePath& path);

private:
    ValueWriter writer() const { return ValueWriter(text_, version_, eol_, exists_); }
    int openContinuation() const;

    FileBytes file_;
    TextView text_;
    bool exists_ = false;
    int version_ = 5;
    std::size_t bodyStart_ = 0; // after the first line
    std::u16string eol_ = u"\r\n";
    KeyIndex index_;

    // Keys looked up in this version: the program opens the same few keys
    // again for every value it reads.
    struct Resolved {
        int root;
        std::u16string folded;
        KeyInfo key;
    };
    mutable std::vector<Resolved> resolved_;
};

} // namespace tavrel::regfile
