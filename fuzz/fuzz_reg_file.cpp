// Any bytes as the registry file: load, write one value (creating its key),
// load again. A refused file is never written; otherwise the value reads
// back, in the store and from the file, and writing it again changes no
// byte. Now and then a step of the write fails; the file and what the store
// reads must then stay as they were. This found the store reading outside
// its key index for an empty file, and a key path ending in an empty name
// that was written but could never be opened again (RegFileStoreTest keeps both).
//
// The input is the file; its last bytes choose the write (libFuzzer's data
// provider takes numbers from the end), so a plain .reg file is a seed.

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/TempDir.h"

using namespace tavrel;
using test::readBytes;
using namespace std::literals;

namespace {

// The key paths of the file's section headers, read loosely (UTF-16 as its
// low bytes, the root name skipped), and the clock key.
std::vector<std::string> keysIn(std::string_view bytes)
{
    std::string text;
    for (std::size_t i = bytes.starts_with("\xFF\xFE") ? 2 : 0; i < bytes.size(); i += bytes.starts_with("\xFF\xFE") ? 2 : 1)
        text.push_back(bytes[i]);
    std::vector<std::string> keys{"System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT"};
    for (std::size_t at = text.find("\n["); at != std::string::npos && keys.size() < 100; at = text.find("\n[", at + 1)) {
        const std::size_t from = text.find('\\', at), to = text.find_first_of("]\r\n\0"sv, at);
        if (from < to && to != std::string::npos)
            keys.push_back(text.substr(from + 1, to - from - 1));
    }
    return keys;
}

LooseValue readBack(RegistryApi& api, const std::string& key, const std::string& name, std::int32_t& status)
{
    RegHandle h = 0;
    LooseValue v("none");
    status = api.RegOpenKeyExA(kHKeyLocalMachine, key.c_str(), 0, kKeyAccessMask, &h);
    if (status == kStatusSuccess)
        status = QueryTypedValue(api, h, name, v);
    api.RegCloseKey(h);
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const test::TempDir folder(std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp");
    const std::filesystem::path file = folder / "registry.reg";
    std::filesystem::remove(file);
    FuzzedDataProvider in(data, size);
    const auto keyChoice = in.ConsumeIntegral<std::uint16_t>();
    const auto value = LooseValue(in.ConsumeIntegral<std::int32_t>());
    const auto type = in.ConsumeBool() ? kRegSz : kRegDword;
    const std::string name = in.ConsumeBool() ? "MemClock" : "Weird \"name\\\" ]";
    const int failAt = in.ConsumeIntegralInRange(-8, 7); // the step of the write that fails, if any
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    if (!bytes.empty() || failAt % 2)
        test::writeBytes(file, bytes);

    int steps = 0;
    bool armed = false;
    RegFileStore store(file, [&](FileStep, const std::filesystem::path&) {
        return armed && steps++ == failAt ? std::make_error_code(std::errc::io_error) : std::error_code{};
    });
    if (!store.load()) {
        FUZZ_CHECK(!store.loadError().message().empty());
        RegHandle h = 1;
        FUZZ_CHECK(store.RegCreateKeyExA(kHKeyLocalMachine, "x", 0, nullptr, 0, kKeyAccessMask, nullptr, &h, nullptr)
                   == kStatusBadDb && h == 0);
        FUZZ_CHECK(std::filesystem::exists(file) && readBytes(file) == bytes);
        return 0;
    }
    const std::vector<std::string> keys = keysIn(bytes);
    const std::string& key = keys[keyChoice % keys.size()];
    RegHandle h = 0;
    std::int32_t status = store.RegCreateKeyExA(kHKeyLocalMachine, key.c_str(), 0, nullptr, 0, kKeyAccessMask,
                                                nullptr, &h, nullptr);
    if (status != kStatusSuccess) { // a name the store refuses (87): nothing was written
        FUZZ_CHECK(status == kStatusInvalidParameter && h == 0);
        FUZZ_CHECK(!std::filesystem::exists(file) ? bytes.empty() : readBytes(file) == bytes);
        return 0;
    }
    const std::string created = std::filesystem::exists(file) ? readBytes(file) : "";
    std::int32_t beforeStatus = 0;
    const LooseValue before = readBack(store, key, name, beforeStatus);

    armed = true;
    status = SetTypedValue(store, h, name, type, value);
    armed = false;
    store.RegCloseKey(h);
    if (status != kStatusSuccess) { // only the injected fault fails a write: nothing changes
        FUZZ_CHECK(failAt >= 0 && steps > failAt);
        FUZZ_CHECK(readBytes(file) == created);
        FUZZ_CHECK(store.lastWriteError().message().find(file.string()) != std::string::npos);
        std::int32_t nowStatus = 0;
        FUZZ_CHECK(readBack(store, key, name, nowStatus) == before && nowStatus == beforeStatus);
        return 0;
    }
    const std::string written = readBytes(file);
    const LooseValue expected = type == kRegSz ? LooseValue(value.toText()) : value;
    RegFileStore reloaded(file);
    FUZZ_CHECK(reloaded.load());
    for (RegistryApi* api : {static_cast<RegistryApi*>(&store), static_cast<RegistryApi*>(&reloaded)})
        FUZZ_CHECK(readBack(*api, key, name, status) == expected && status == kStatusSuccess);
    RegistryAccess again(reloaded);
    FUZZ_CHECK(SetKeyValue(again, key, name, value, type) == kStatusSuccess && readBytes(file) == written);
    return 0;
}
