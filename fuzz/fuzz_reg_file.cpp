// The .reg store on arbitrary files: load, write one value, load the file
// again. The value must read back, and every other value named in the file
// must read as before. Now and then a step of the write is made to fail;
// the file and what the store reads must then stay as they were.
//
// The input is the file; the bytes at its end choose the write (libFuzzer's
// data provider takes numbers from the end), so a plain .reg file is a seed.

#include <fuzzer/FuzzedDataProvider.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "FuzzCheck.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"

using namespace tavrel;

namespace {

namespace fs = std::filesystem;

const std::string kClockKey = "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT";

// A folder in memory for the file, one per process. libFuzzer may end the
// process without running destructors, so folders of processes that are
// gone are removed at the start.
struct Folder {
    fs::path dir;
    Folder()
    {
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        const std::string prefix = "tavrel-fuzz-";
        for (const auto& e : fs::directory_iterator(base, ec)) {
            const std::string name = e.path().filename().string();
            if (name.rfind(prefix, 0) == 0) {
                const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
                if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
                    fs::remove_all(e.path(), ec);
            }
        }
        dir = base / (prefix + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~Folder()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void writeFile(const fs::path& p, std::string_view bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A value's place: root handle, key path below it, value name.
struct Place {
    RegHandle root = kHKeyLocalMachine;
    std::string key;
    std::string name;
    auto operator<=>(const Place&) const = default;
};

// What one read gives: the open's status, then the probe's and the read's.
struct Reading {
    std::int32_t open = 0;
    std::int32_t probe = 0;
    std::uint32_t type = 0;
    std::int32_t read = 0;
    std::string data;
    bool operator==(const Reading&) const = default;
};

Reading readAt(RegistryApi& api, const Place& at)
{
    Reading r;
    RegHandle h = 0;
    r.open = api.RegOpenKeyExA(at.root, at.key.c_str(), 0, kKeyAccessMask, &h);
    if (r.open != kStatusSuccess)
        return r;
    std::uint32_t size = 0;
    r.probe = api.RegQueryValueExA(h, at.name.c_str(), nullptr, &r.type, nullptr, &size);
    if (r.probe == kStatusSuccess) {
        std::string buf(size, '\0');
        std::uint32_t got = size;
        r.read = api.RegQueryValueExA(
            h, at.name.c_str(), nullptr, &r.type, reinterpret_cast<std::uint8_t*>(buf.data()), &got);
        FUZZ_CHECK(r.read != kStatusSuccess || got == size);
        r.data = buf.substr(0, got);
        // The typed read over the same value: never a crash, and the text or number it names.
        LooseValue v("before");
        const std::int32_t typed = QueryTypedValue(api, h, at.name, v);
        if (r.type == kRegSz)
            FUZZ_CHECK(typed == kStatusSuccess && v.text() == r.data.substr(0, size ? size - 1 : 0));
        else if (r.type == kRegDword)
            FUZZ_CHECK(typed == (size <= 4 ? kStatusSuccess : kStatusMoreData));
        else
            FUZZ_CHECK(typed == kStatusUnsupportedType && v == LooseValue("before"));
    }
    FUZZ_CHECK(api.RegCloseKey(h) == kStatusSuccess);
    return r;
}

// A missing key reads like a missing value: creating a key brings its
// parents into being, which changes nothing that a value read shows.
bool sameValue(const Reading& a, const Reading& b)
{
    auto shown = [](const Reading& r) {
        return r.open != kStatusSuccess ? std::make_tuple(kStatusNotFound, 0u, kStatusSuccess, std::string())
                                        : std::make_tuple(r.probe, r.type, r.read, r.data);
    };
    return shown(a) == shown(b);
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string_view trimmed(std::string_view key)
{
    while (!key.empty() && key.back() == '\\')
        key.remove_suffix(1);
    return key;
}

// Whether two names may name the same thing. Names compare without case;
// ASCII letters are compared so here, and any other byte (which may fold in
// more ways) is taken to match, so that no value is wrongly said to have
// changed.
bool maybeSame(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]) && !(a[i] & 0x80) && !(b[i] & 0x80))
            return false;
    return true;
}

// Whether key may be descendant or one of its ancestors.
bool maybeWithin(std::string_view key, std::string_view descendant)
{
    key = trimmed(key);
    descendant = trimmed(descendant);
    if (key.empty())
        return true;
    return maybeSame(key, descendant.substr(0, key.size()))
        && (descendant.size() == key.size() || descendant[key.size()] == '\\');
}

RegHandle rootByName(std::string_view name)
{
    static const std::pair<const char*, RegHandle> roots[]
        = { { "hkey_local_machine", 0x80000002u }, { "hklm", 0x80000002u }, { "hkey_current_user", 0x80000001u },
              { "hkcu", 0x80000001u }, { "hkey_classes_root", 0x80000000u }, { "hkey_users", 0x80000003u } };
    for (const auto& [n, h] : roots)
        if (maybeSame(name, n) && name.find('?') == std::string_view::npos)
            return h;
    return 0;
}

// The keys and value names the file speaks of, read loosely (UTF-16 as its
// low bytes): candidates for reading before and after the write.
std::vector<Place> namedIn(std::string_view bytes)
{
    std::string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF
        && static_cast<unsigned char>(bytes[1]) == 0xFE)
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(bytes[i + 1] ? '?' : bytes[i]);
    else
        text = bytes;

    std::vector<Place> places;
    Place key { 0, {}, {} };
    std::size_t pos = 0;
    while (pos < text.size() && places.size() < 400) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.starts_with('[')) {
            const std::size_t close = line.rfind(']');
            std::string_view path = line.substr(1, close == std::string_view::npos ? 0 : close - 1);
            if (path.starts_with('-'))
                path.remove_prefix(1);
            const std::size_t cut = path.find('\\');
            key.root = rootByName(path.substr(0, cut));
            key.key = cut == std::string_view::npos ? "" : std::string(path.substr(cut + 1));
            key.key = key.key.substr(0, key.key.find('\0'));
            if (key.root)
                places.push_back({ key.root, key.key, "\x01 no such value" });
        } else if (key.root && (line.starts_with('"') || line.starts_with('@'))) {
            std::string name;
            for (std::size_t i = 1; line[0] == '"' && i < line.size() && line[i] != '"'; ++i)
                name.push_back(line[i] == '\\' && i + 1 < line.size() ? line[++i] : line[i]);
            places.push_back({ key.root, key.key, name.substr(0, name.find('\0')) }); // names pass as C strings
        }
    }
    places.push_back({ kHKeyLocalMachine, kClockKey, "MemClock" });
    return places;
}

std::string printable(std::string_view s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

void report(const char* what, const Place& p, const Reading& before, const Reading& now, const Place& target)
{
    auto show = [](const Reading& r) {
        return "open " + std::to_string(r.open) + " probe " + std::to_string(r.probe) + " type "
            + std::to_string(r.type) + " read " + std::to_string(r.read) + " data \"" + printable(r.data) + "\"";
    };
    std::fprintf(stderr,
        "%s: %x \"%s\" value \"%s\"\n  before: %s\n  after:  %s\n  written: %x \"%s\" value \"%s\"\n", what, p.root,
        printable(p.key).c_str(), printable(p.name).c_str(), show(before).c_str(), show(now).c_str(), target.root,
        printable(target.key).c_str(), printable(target.name).c_str());
}

// Fails one step of the write, by number.
struct Faults {
    int failAt = -1;
    int steps = 0;
    FaultHook hook()
    {
        return [this](FileStep, const fs::path&) {
            return steps++ == failAt ? std::make_error_code(std::errc::io_error) : std::error_code {};
        };
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Folder folder;
    const fs::path file = folder.dir / "registry.reg";
    std::error_code ec;
    fs::remove(file, ec);

    FuzzedDataProvider in(data, size);
    const auto keyChoice = in.ConsumeIntegral<std::uint16_t>();
    const auto nameChoice = in.ConsumeIntegral<std::uint16_t>();
    const auto valueChoice = in.ConsumeIntegral<std::uint32_t>();
    const auto how = in.ConsumeIntegral<std::uint8_t>();
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    if (!bytes.empty() || (how & 1))
        writeFile(file, bytes);

    Faults faults;
    RegFileStore store(file, faults.hook());
    if (!store.load()) {
        // A refused file is never written, and says why.
        FUZZ_CHECK(!store.loadError().message().empty());
        RegHandle h = 1;
        FUZZ_CHECK(store.RegOpenKeyExA(kHKeyLocalMachine, "", 0, kKeyAccessMask, &h) == kStatusBadDb && h == 0);
        FUZZ_CHECK(
            store.RegSetValueExA(kHKeyLocalMachine, "x", 0, kRegSz, reinterpret_cast<const std::uint8_t*>("1"), 2)
            == kStatusBadDb);
        FUZZ_CHECK(readFile(file) == bytes);
        return 0;
    }

    // Everything the file names, as read before the write.
    const std::vector<Place> places = namedIn(bytes);
    std::map<Place, Reading> before;
    for (const Place& p : places)
        before[p] = readAt(store, p);

    // The write: a key and name the file has, or the clock value.
    Place target { kHKeyLocalMachine, kClockKey, "MemClock" };
    if (keyChoice % 4 != 0) {
        const Place& p = places[keyChoice % places.size()];
        target.root = p.root;
        target.key = p.key;
        if (nameChoice % 3 != 0)
            target.name = places[nameChoice % places.size()].name;
    }
    const bool asText = valueChoice & 1;
    const LooseValue value = asText ? LooseValue(std::to_string(valueChoice >> 1) + (how & 2 ? " \"\\ [x]" : ""))
                                    : LooseValue(static_cast<std::int32_t>(valueChoice));
    const std::uint32_t type = asText ? kRegSz : kRegDword;

    RegHandle h = 0;
    std::int32_t status = store.RegCreateKeyExA(
        target.root, target.key.c_str(), 0, nullptr, kRegOptionNonVolatile, kKeyAccessMask, nullptr, &h, nullptr);
    if (status != kStatusSuccess) {
        // Nothing was written, and the store still reads the old values.
        FUZZ_CHECK(readFile(file) == bytes);
        for (const Place& p : places)
            FUZZ_CHECK(readAt(store, p) == before[p]);
        return 0;
    }
    // Creating a key changes no value.
    const std::string created = readFile(file);
    if (created != bytes) {
        for (const Place& p : places) {
            const Reading now = readAt(store, p);
            FUZZ_CHECK(sameValue(now, before[p]));
            before[p] = now;
        }
    }

    if (how & 4)
        faults.failAt = faults.steps + (how >> 3) % 6;
    status = SetTypedValue(store, h, target.name, type, value);
    store.RegCloseKey(h);
    const bool injected = faults.failAt >= 0 && faults.steps > faults.failAt;

    if (status != kStatusSuccess) {
        // Only the injected fault makes this write fail. The file and the
        // store's values stay as they were, and the error names the file.
        FUZZ_CHECK(injected);
        FUZZ_CHECK(readFile(file) == created);
        FUZZ_CHECK(store.lastWriteError().message().find(file.string()) != std::string::npos);
        for (const Place& p : places)
            FUZZ_CHECK(readAt(store, p) == before[p]);
        return 0;
    }
    FUZZ_CHECK(!injected);

    // A fresh store over the rewritten file reads the value back...
    RegFileStore reloaded(file);
    FUZZ_CHECK(reloaded.load());
    for (RegistryApi* api : { static_cast<RegistryApi*>(&store), static_cast<RegistryApi*>(&reloaded) }) {
        RegHandle k = 0;
        const std::int32_t opened = api->RegOpenKeyExA(target.root, target.key.c_str(), 0, kKeyAccessMask, &k);
        if (opened != kStatusSuccess)
            std::fprintf(stderr, "the written key %x \"%s\" does not open (%d) in the %s store\n", target.root,
                printable(target.key).c_str(), opened, api == &store ? "writing" : "reloaded");
        FUZZ_CHECK(opened == kStatusSuccess);
        LooseValue back;
        FUZZ_CHECK(QueryTypedValue(*api, k, target.name, back) == kStatusSuccess);
        FUZZ_CHECK(back == (asText ? LooseValue(value.toText()) : value));
        api->RegCloseKey(k);
    }
    // ...and every other value as it was.
    for (const Place& p : places) {
        if (p.root == target.root && maybeSame(trimmed(p.key), trimmed(target.key)) && maybeSame(p.name, target.name))
            continue;
        const Reading now = readAt(reloaded, p);
        const bool same
            = p.root == target.root && maybeWithin(p.key, target.key) ? sameValue(now, before[p]) : now == before[p];
        if (!same)
            report("changed by the write", p, before[p], now, target);
        FUZZ_CHECK(same);
    }
    return 0;
}
