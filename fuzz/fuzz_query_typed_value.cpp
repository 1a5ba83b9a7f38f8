// QueryTypedValue over a registry whose one value, of any type and size, may
// change or go between the size probe and the read (another program can
// write it in between); the registry checks with ASan that every buffer it
// is handed has the size offered. Any value SetTypedValue writes reads back.

#include <sanitizer/asan_interface.h>

#include <cstring>
#include <optional>
#include <vector>

#include "FuzzCheck.h"
#include "registry/regdecl.h"
#include "support/FakeRegistry.h"

using namespace tavrel;
using Value = test::FakeRegistry::Value;

namespace {

struct ChangingValue final : RegistryApi {
    std::vector<std::optional<Value>> states; // the value at each query; the last one stays
    std::size_t queries = 0;

    std::int32_t RegOpenKeyExA(RegHandle, const char*, std::uint32_t, std::uint32_t, RegHandle*) override { return 0; }
    std::int32_t RegCreateKeyExA(RegHandle, const char*, std::uint32_t, const char*, std::uint32_t, std::uint32_t,
                                 const void*, RegHandle*, std::uint32_t*) override { return 0; }
    std::int32_t RegSetValueExA(RegHandle, const char*, std::uint32_t, std::uint32_t, const std::uint8_t*,
                                std::uint32_t) override { return 0; }
    std::int32_t RegCloseKey(RegHandle) override { return 0; }
    std::int32_t RegQueryValueExA(RegHandle, const char*, std::uint32_t*, std::uint32_t* type, std::uint8_t* data,
                                  std::uint32_t* size) override
    {
        const std::optional<Value>& v = states[std::min(queries++, states.size() - 1)];
        if (!v)
            return kStatusNotFound;
        *type = v->type;
        FUZZ_CHECK(!data || __asan_region_is_poisoned(data, *size) == nullptr); // the caller promised *size bytes
        const auto need = static_cast<std::uint32_t>(v->data.size());
        const bool fits = !data || *size >= need;
        if (data && fits)
            std::memcpy(data, v->data.data(), need);
        *size = need;
        return fits ? kStatusSuccess : kStatusMoreData;
    }
};

std::uint32_t typeOf(std::uint8_t b)
{
    const std::uint32_t types[] = {kRegSz, kRegDword, kRegBinary, kRegMultiSz, kRegNone};
    return b < 250 ? types[b % 5] : b; // now and then an unknown type code
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in{{reinterpret_cast<const char*>(data), size}};
    ChangingValue reg;
    for (int i = 1 + in.byte() % 3; i > 0; --i) {
        const std::uint8_t flags = in.byte();
        const std::uint32_t type = typeOf(in.byte());
        reg.states.push_back((flags & 7) ? std::optional<Value>(Value{type, std::string(in.take(flags >> 3))})
                                         : std::nullopt);
    }
    const LooseValue before(std::string(in.take(in.byte() % 8)));
    LooseValue value = before;
    const std::int32_t status = QueryTypedValue(reg, 1, "MemClock", value);
    const auto& probe = reg.states[0];
    const auto& read = reg.states[std::min<std::size_t>(1, reg.states.size() - 1)];
    const std::string got = read ? read->data : "";
    if (probe && probe->type == kRegSz) { // a failed text read empties the output
        const bool fits = read && got.size() <= probe->data.size();
        FUZZ_CHECK(status == (!read ? kStatusNotFound : fits ? kStatusSuccess : kStatusMoreData));
        FUZZ_CHECK(value == LooseValue(fits ? got.substr(0, got.empty() ? 0 : got.size() - 1) : ""));
    } else if (probe && probe->type == kRegDword && read && got.size() <= std::min<std::size_t>(probe->data.size(), 4)) {
        std::uint32_t n = 0;
        std::memcpy(&n, got.data(), got.size()); // little-endian, as the registry stores it
        FUZZ_CHECK(status == kStatusSuccess && value == LooseValue(static_cast<std::int32_t>(n)));
    } else {
        FUZZ_CHECK(status != kStatusSuccess && value == before);
    }

    // A write read back.
    test::FakeRegistry fake;
    RegHandle h = 0;
    fake.RegCreateKeyExA(kHKeyLocalMachine, "Key", 0, nullptr, 0, 0, nullptr, &h, nullptr);
    const std::uint32_t type = typeOf(in.byte());
    const LooseValue written(std::string(in.rest));
    const bool writes = type == kRegSz || (type == kRegDword && written.toInt32());
    const std::int32_t set = SetTypedValue(fake, h, "GrfxClock", type, written);
    FUZZ_CHECK(set == (type == kRegDword && !writes ? kStatusInvalidData : kStatusSuccess));
    FUZZ_CHECK((fake.find("Key", "GrfxClock") != nullptr) == writes);
    LooseValue back;
    if (writes) {
        FUZZ_CHECK(QueryTypedValue(fake, h, "GrfxClock", back) == kStatusSuccess);
        FUZZ_CHECK(back == (type == kRegSz ? LooseValue(written.toText()) : LooseValue(*written.toInt32())));
        FUZZ_CHECK(type != kRegDword || fake.find("Key", "GrfxClock")->data == test::dwordBytes(*written.toInt32()));
    }
    return 0;
}
