// QueryTypedValue over a registry whose one value, of any type and size, may change or go between the size probe
// and the read: every buffer handed over has the size offered (ASan checks it), a text is cut by the count read, a
// DWORD is read only when it fits, and a failure leaves the output as it was (a failed text read empties it).

#include <sanitizer/asan_interface.h>

#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "FuzzCheck.h"
#include "registry/regdecl.h"

using namespace tavrel;

namespace {

struct Value { std::uint32_t type; std::string data; };

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view in(reinterpret_cast<const char*>(data), size); // taken a byte or a run of bytes at a time
    auto take = [&](std::size_t n) {
        const std::string head(in.substr(0, n));
        return in.remove_prefix(head.size()), head;
    };
    auto byte = [&] { return in.empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(take(1)[0]); };
    ChangingValue reg;
    for (int i = 1 + byte() % 3; i > 0; --i) {
        const std::uint8_t flags = byte(), t = byte(); // now and then an unknown type code
        const std::uint32_t type = t < 250 ? std::array{kRegSz, kRegDword, kRegBinary, kRegMultiSz, kRegNone}[t % 5] : t;
        reg.states.push_back((flags & 7) ? std::optional<Value>(Value{type, take(flags >> 3)}) : std::nullopt);
    }
    const LooseValue before(take(byte() % 8));
    LooseValue value = before;
    const std::int32_t status = QueryTypedValue(reg, 1, "MemClock", value);
    const auto& probe = reg.states[0];
    const auto& read = reg.states[std::min<std::size_t>(1, reg.states.size() - 1)];
    if (status == kStatusSuccess) // what was read: a text cut by the count, or a DWORD that fits the probe's size
        FUZZ_CHECK(probe->type == kRegSz ? value == LooseValue(read->data.substr(0, std::max<std::size_t>(read->data.size(), 1) - 1))
                                         : read->data.size() <= std::min<std::size_t>(probe->data.size(), 4));
    else // a failed text read empties the output
        FUZZ_CHECK(value == (probe && probe->type == kRegSz ? LooseValue("") : before));
    return 0;
}
