// Any bytes as the registry file (less the few that choose the write): load, write one value (making its key), or
// two in one write group, load again. A refused file is never written; else the values read back, in the store and
// from the file, and writing one again changes no byte. (RegFileStoreTest and RegistryContract keep its findings.)

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/TempDir.h"

using namespace tavrel;
using test::readBytes;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const test::TempDir folder(std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp");
    const std::filesystem::path file = folder / "registry.reg";
    std::filesystem::remove(file);
    FuzzedDataProvider in(data, size);
    std::string key = in.ConsumeBool() ? in.ConsumeRandomLengthString(40) : "";
    const auto value = LooseValue(in.ConsumeIntegral<std::int32_t>());
    const auto type = in.ConsumeBool() ? kRegSz : kRegDword;
    const std::string weird = "Weird \"name\\\" ]";
    const bool both = in.ConsumeBool();
    const std::vector<std::string> names = both ? std::vector<std::string>{"MemClock", weird}
                                                : std::vector<std::string>{in.ConsumeBool() ? "MemClock" : weird};
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    if (!bytes.empty())
        test::writeBytes(file, bytes);
    RegFileStore store(file);
    RegHandle h = 1;
    if (!store.load()) {
        FUZZ_CHECK(!store.loadError().message().empty() && readBytes(file) == bytes);
        FUZZ_CHECK(store.RegCreateKeyExA(kHKeyLocalMachine, "x", 0, nullptr, 0, 0, nullptr, &h, nullptr) == kStatusBadDb && !h);
        return 0;
    }
    if (key.empty()) // the clock key, as the seeds hold it
        key = "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT";
    std::int32_t status = store.RegCreateKeyExA(kHKeyLocalMachine, key.c_str(), 0, nullptr, 0, kKeyAccessMask, nullptr,
                                                &h, nullptr);
    if (status != kStatusSuccess) { // a name the store refuses (87): nothing was written
        FUZZ_CHECK(status == kStatusInvalidParameter && h == 0);
        FUZZ_CHECK(!std::filesystem::exists(file) ? bytes.empty() : readBytes(file) == bytes);
        return 0;
    }
    if (both)
        store.beginWriteGroup();
    for (const std::string& name : names)
        FUZZ_CHECK(SetTypedValue(store, h, name, type, value) == kStatusSuccess);
    FUZZ_CHECK(store.commitWriteGroup() == kStatusSuccess);
    store.RegCloseKey(h);
    const std::string written = readBytes(file);
    RegFileStore reloaded(file);
    FUZZ_CHECK(reloaded.load());
    for (RegistryApi* api : {static_cast<RegistryApi*>(&store), static_cast<RegistryApi*>(&reloaded)})
        for (const std::string& name : names) {
            const ValueRead read = QueryValue(*api, key, name);
            FUZZ_CHECK(read.QueryValueStatus == 0 && read.QueryValueResult == (type == kRegSz ? LooseValue(value.toText()) : value));
            FUZZ_CHECK(SetKeyValue(*api, key, name, value, type) == kStatusSuccess && readBytes(file) == written);
        }
    return 0;
}
