#include "presets/PresetStore.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <limits>
#include <optional>

#include "values/LooseValue.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tavrel {

namespace {

constexpr std::size_t fieldCount = 12;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct Field {
    std::string text;
    bool quoted = false;
};

// Splits the file into fields the way it was always read: a comma or a line
// end closes a field, a quoted field runs to the next quote whatever it
// holds, and anything between that quote and the next comma or line end is
// dropped. CR LF, a lone CR and a lone LF all count as one line end, so
// files edited by hand on any system read alike.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes)
        : s_(bytes)
    {
    }

    // Nothing when the bytes are used up: the field cannot be read.
    std::optional<Field> next()
    {
        while (pos_ < s_.size() && isBlank(s_[pos_]))
            ++pos_;
        if (pos_ >= s_.size())
            return std::nullopt;
        Field f;
        if (s_[pos_] == '"') {
            const std::size_t close = s_.find('"', pos_ + 1);
            const std::size_t end = close == std::string_view::npos ? s_.size() : close;
            f.text = s_.substr(pos_ + 1, end - pos_ - 1);
            f.quoted = true;
            pos_ = delimiterFrom(end);
        } else {
            const std::size_t end = delimiterFrom(pos_);
            std::size_t last = end;
            while (last > pos_ && isBlank(s_[last - 1]))
                --last;
            f.text = s_.substr(pos_, last - pos_);
            pos_ = end;
        }
        if (pos_ < s_.size()) {
            const bool cr = s_[pos_] == '\r';
            ++pos_;
            if (cr && pos_ < s_.size() && s_[pos_] == '\n')
                ++pos_;
        }
        return f;
    }

private:
    std::size_t delimiterFrom(std::size_t from) const
    {
        const std::size_t p = s_.find_first_of(",\r\n", from);
        return p == std::string_view::npos ? s_.size() : p;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

// A whole number stays an integer (16 bits when it fits, else 32) so that it
// is written back exactly as it was; anything else numeric becomes a double.
// A number too large for a double stays the text it was, which is written
// back quoted rather than as "inf".
LooseValue looseFromUnquoted(const std::string& text)
{
    if (text.empty())
        return {};
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+')
        ++first;
    std::int64_t n = 0;
    const auto res = std::from_chars(first, last, n);
    if (res.ec == std::errc() && res.ptr == last) {
        if (n >= std::numeric_limits<std::int16_t>::min() && n <= std::numeric_limits<std::int16_t>::max())
            return LooseValue(static_cast<std::int16_t>(n));
        if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max())
            return LooseValue(static_cast<std::int32_t>(n));
    }
    if (const auto d = parseStrictNumber(text); d && std::isfinite(*d))
        return LooseValue(*d);
    return LooseValue(text);
}

LooseValue looseFromField(const Field& f)
{
    return f.quoted ? LooseValue(f.text) : looseFromUnquoted(f.text);
}

// Entry 4's core clock is a 16-bit integer; a field that holds no number in
// that range gives nothing, and the table keeps what it had.
std::optional<std::int16_t> int16FromField(const Field& f)
{
    if (f.text.empty())
        return std::int16_t { 0 };
    const auto d = parseStrictNumber(f.text);
    if (!d)
        return std::nullopt;
    const auto n = roundHalfEvenToInt32(*d);
    if (!n || *n < std::numeric_limits<std::int16_t>::min() || *n > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(*n);
}

// A text is read back from a quoted field up to the next double quote, so
// one that holds a quote is written bare instead: an unquoted field runs to
// the next comma or line end, blanks around it dropped, and a text with a
// quote never reads as a number. Only a text that no file read and no editor
// box can give (a quote with a comma, a line end or a blank at either end,
// or one in front) cannot be written so; its quotes become apostrophes
// rather than cut the field short and shift every later one.
bool readsBackBare(std::string_view text)
{
    return !text.empty() && text.find_first_of(",\r\n") == std::string_view::npos && !isBlank(text.front())
           && !isBlank(text.back()) && text.front() != '"';
}

void appendText(std::string& out, std::string_view text)
{
    if (text.find('"') == std::string_view::npos) {
        out += '"';
        out += text;
        out += '"';
    } else if (readsBackBare(text)) {
        out += text;
    } else {
        std::string cleaned(text);
        std::replace(cleaned.begin(), cleaned.end(), '"', '\'');
        out += '"' + cleaned + '"';
    }
    out += "\r\n";
}

void appendValue(std::string& out, const LooseValue& v)
{
    if (v.isText()) {
        appendText(out, v.text());
        return;
    }
    out += v.toText(); // a number's digits; nothing for an empty value
    out += "\r\n";
}

ClockPresetTable defaults(std::int16_t memoryClock, std::int16_t coreClock)
{
    ClockPresetTable t;
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = { defaultPresetName(i), LooseValue(memoryClock), LooseValue(coreClock) };
    return t;
}

#ifndef _WIN32
std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}
#endif

} // namespace

FilePath PresetFilePath(const FilePath& programFolder)
{
    const FilePath besideProgram = programFolder / "TAVRL.CFG";
#ifdef _WIN32
    return besideProgram;
#else
    struct stat st { }; // a link there counts, even one that leads nowhere
    if (::lstat(besideProgram.c_str(), &st) == 0)
        return besideProgram;
    // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
    FilePath config = environment("XDG_CONFIG_HOME");
    if (!config.isAbsolute()) {
        const std::string home = environment("HOME");
        if (home.empty())
            return besideProgram;
        config = FilePath(home) / ".config";
    }
    return config / "tavrel" / "TAVRL.CFG";
#endif
}

PresetFileState ProbePresetFile(const PresetFile& file)
{
    std::error_code ec = file.faults ? file.faults(FileStep::Open, file.path) : std::error_code {};
    if (!ec)
        ec = probeFile(file.path);
    return ec == std::errc::no_such_file_or_directory ? PresetFileState::Missing : PresetFileState::Present;
}

FileError ReadPresetFile(const PresetFile& file, ClockPresetTable& table, std::size_t* fieldsRead)
{
    std::string bytes;
    FileError err = readWholeFile(file.path, bytes, file.faults);
    const std::size_t fields = err ? 0 : parsePresetFile(bytes, table);
    if (fieldsRead)
        *fieldsRead = fields;
    return err;
}

bool PresetLoad::has(std::size_t entry, std::size_t field) const
{
    return source == Source::Defaults || (source == Source::File && entry * 3 + field < fields);
}

PresetLoad loadPresets(const PresetFile& file, ClockPresetTable& table, PresetDefaults defaults)
{
    PresetLoad load;
    if (ProbePresetFile(file) == PresetFileState::Missing) {
        load.source = PresetLoad::Source::Defaults;
        if (defaults == PresetDefaults::Start) {
            table = startDefaultPresets();
        } else {
            table = editorDefaultPresets();
            load.error = WritePresetFile(file, table);
        }
        return load;
    }
    load.error = ReadPresetFile(file, table, &load.fields);
    if (load.error)
        load.source = PresetLoad::Source::Unreadable;
    return load;
}

FileError WritePresetFile(const PresetFile& file, const ClockPresetTable& table)
{
    // The folder under ~/.config is made on the first save; an error here
    // shows again, with its reason, when the file cannot be created.
    createFolders(file.path.parent());
    return writeFileAtomically(file.path, renderPresetFile(table), file.faults);
}

std::string defaultPresetName(std::size_t index)
{
    return "Preset " + std::to_string(index + 1);
}

ClockPresetTable startDefaultPresets()
{
    return defaults(330, 120);
}

ClockPresetTable editorDefaultPresets()
{
    return defaults(300, 120);
}

std::optional<std::size_t> findPreset(const ClockPresetTable& table, std::string_view numberOrName)
{
    if (numberOrName.size() == 1 && numberOrName[0] >= '1' && numberOrName[0] <= '4')
        return static_cast<std::size_t>(numberOrName[0] - '1');
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].Name == numberOrName)
            return i;
    return std::nullopt;
}

std::string renderPresetFile(const ClockPresetTable& table)
{
    std::string out;
    for (const ClockPreset& p : table) {
        appendText(out, p.Name);
        appendValue(out, p.MemoryClock);
        appendValue(out, p.CoreClock);
    }
    return out;
}

void storePresetEntries(ClockPresetTable& table, const std::array<PresetEntryTexts, 4>& entries)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i].Name = entries[i].name.empty() ? defaultPresetName(i) : entries[i].name;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i].MemoryClock = LooseValue(entries[i].memoryClock);
    for (std::size_t i = 0; i < 3; ++i)
        table[i].CoreClock = LooseValue(entries[i].coreClock);
    if (const auto n = LooseValue(entries[3].coreClock).toInt32();
        n && *n >= std::numeric_limits<std::int16_t>::min() && *n <= std::numeric_limits<std::int16_t>::max())
        table[3].CoreClock = LooseValue(static_cast<std::int16_t>(*n));
}

std::size_t parsePresetFile(std::string_view bytes, ClockPresetTable& table)
{
    FieldReader reader(bytes);
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const auto field = reader.next();
        if (!field)
            return i; // past the end every further field keeps its value too
        ClockPreset& p = table[i / 3];
        switch (i % 3) {
        case 0:
            p.Name = field->text;
            break;
        case 1:
            p.MemoryClock = looseFromField(*field);
            break;
        default:
            if (i != fieldCount - 1)
                p.CoreClock = looseFromField(*field);
            else if (const auto n = int16FromField(*field))
                p.CoreClock = LooseValue(*n);
            break;
        }
    }
    return fieldCount;
}

} // namespace tavrel
