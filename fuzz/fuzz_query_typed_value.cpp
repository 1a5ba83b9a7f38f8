// QueryTypedValue and SetTypedValue over a registry that holds one value of
// any type and size, which may change between the size probe and the read
// (another program can write it in between). The registry keeps to the
// platform's contract and checks that every buffer it is handed really has
// the size offered; the results are compared with what the layer promises.

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "registry/regdecl.h"

using namespace tavrel;

namespace {

constexpr RegHandle kKey = 0x1234;

struct Stored {
    bool exists = false;
    std::uint32_t type = kRegNone;
    std::string data;
};

class OneValueRegistry final : public RegistryApi {
public:
    std::vector<Stored> states; // one per query; the last one stays
    std::size_t queries = 0;
    Stored written;
    int writes = 0;

    std::int32_t RegOpenKeyExA(RegHandle, const char*, std::uint32_t, std::uint32_t, RegHandle* out) override
    {
        *out = kKey;
        return kStatusSuccess;
    }
    std::int32_t RegCreateKeyExA(RegHandle, const char*, std::uint32_t, const char*, std::uint32_t, std::uint32_t,
        const void*, RegHandle* out, std::uint32_t*) override
    {
        *out = kKey;
        return kStatusSuccess;
    }
    std::int32_t RegQueryValueExA(RegHandle hKey, const char* name, std::uint32_t* reserved, std::uint32_t* type,
        std::uint8_t* data, std::uint32_t* size) override
    {
        FUZZ_CHECK(name != nullptr && reserved == nullptr);
        if (hKey != kKey)
            return kStatusInvalidHandle;
        const Stored& s = states[std::min(queries++, states.size() - 1)];
        if (!s.exists)
            return kStatusNotFound;
        if (type)
            *type = s.type;
        const auto need = static_cast<std::uint32_t>(s.data.size());
        if (!data) {
            if (size)
                *size = need;
            return kStatusSuccess;
        }
        if (!size)
            return kStatusInvalidParameter;
        // The caller promises *size writable bytes.
        FUZZ_CHECK(__asan_region_is_poisoned(data, *size) == nullptr);
        if (*size < need) {
            *size = need;
            return kStatusMoreData;
        }
        std::memcpy(data, s.data.data(), need);
        *size = need;
        return kStatusSuccess;
    }
    std::int32_t RegSetValueExA(RegHandle hKey, const char* name, std::uint32_t, std::uint32_t type,
        const std::uint8_t* data, std::uint32_t size) override
    {
        FUZZ_CHECK(name != nullptr);
        if (hKey != kKey)
            return kStatusInvalidHandle;
        FUZZ_CHECK(size == 0 || __asan_region_is_poisoned(const_cast<std::uint8_t*>(data), size) == nullptr);
        ++writes;
        written = { true, type, std::string(reinterpret_cast<const char*>(data), size) };
        return kStatusSuccess;
    }
    std::int32_t RegCloseKey(RegHandle) override { return kStatusSuccess; }
};

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : p_(data)
        , end_(data + size)
    {
    }
    std::uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
    std::string bytes(std::size_t n)
    {
        n = std::min<std::size_t>(n, static_cast<std::size_t>(end_ - p_));
        std::string s(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        return s;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

std::uint32_t pickType(std::uint8_t b)
{
    static const std::uint32_t types[]
        = { kRegSz, kRegDword, kRegSz, kRegDword, kRegBinary, kRegExpandSz, kRegMultiSz, kRegQword, kRegNone };
    return b < 240 ? types[b % std::size(types)] : b; // now and then an unknown type code
}

LooseValue pickValue(Input& in)
{
    switch (in.byte() % 5) {
    case 0:
        return {};
    case 1: {
        const std::uint8_t low = in.byte();
        return LooseValue(static_cast<std::int16_t>(low | in.byte() << 8));
    }
    case 2: {
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u |= static_cast<std::uint32_t>(in.byte()) << (8 * i);
        return LooseValue(static_cast<std::int32_t>(u));
    }
    case 3: {
        std::uint64_t u = 0;
        for (int i = 0; i < 8; ++i)
            u |= static_cast<std::uint64_t>(in.byte()) << (8 * i);
        double d;
        std::memcpy(&d, &u, sizeof d);
        return LooseValue(d);
    }
    default:
        return LooseValue(in.bytes(in.byte() % 24));
    }
}

// Equal, counting a NaN as equal to itself.
bool same(const LooseValue& a, const LooseValue& b)
{
    return a == b || (a.isDouble() && b.isDouble() && a.toText() == b.toText());
}

std::int32_t littleEndian(const std::string& bytes)
{
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i)
        u |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])) << (8 * i);
    return static_cast<std::int32_t>(u);
}

void checkQuery(Input& in)
{
    OneValueRegistry reg;
    const int count = 1 + in.byte() % 3;
    for (int i = 0; i < count; ++i) {
        Stored s;
        const std::uint8_t flags = in.byte();
        s.exists = (flags & 7) != 0;
        s.type = pickType(in.byte());
        s.data = in.bytes(flags >> 3 == 31 ? in.byte() : flags >> 3);
        reg.states.push_back(s);
    }
    const LooseValue before = pickValue(in);
    const bool badHandle = in.byte() == 0xFF;

    LooseValue value = before;
    const std::int32_t status = QueryTypedValue(reg, badHandle ? 0 : kKey, "MemClock", value);

    if (badHandle) {
        FUZZ_CHECK(status == kStatusInvalidHandle && same(value, before));
        return;
    }
    const Stored& probe = reg.states[0];
    const Stored& read = reg.states[std::min<std::size_t>(1, reg.states.size() - 1)];
    const auto probed = static_cast<std::uint32_t>(probe.data.size());
    if (!probe.exists) {
        FUZZ_CHECK(status == kStatusNotFound && same(value, before) && reg.queries == 1);
    } else if (probe.type == kRegSz) {
        FUZZ_CHECK(reg.queries == 2);
        if (!read.exists) {
            FUZZ_CHECK(status == kStatusNotFound && value == LooseValue(std::string()));
        } else if (read.data.size() > probed) {
            FUZZ_CHECK(status == kStatusMoreData && value == LooseValue(std::string()));
        } else {
            // The terminator is cut by count, whatever the bytes hold.
            const std::size_t keep = read.data.empty() ? 0 : read.data.size() - 1;
            FUZZ_CHECK(status == kStatusSuccess && value == LooseValue(read.data.substr(0, keep)));
        }
    } else if (probe.type == kRegDword) {
        FUZZ_CHECK(reg.queries == 2);
        if (!read.exists)
            FUZZ_CHECK(status == kStatusNotFound && same(value, before));
        else if (read.data.size() > std::min<std::uint32_t>(probed, 4))
            FUZZ_CHECK(status == kStatusMoreData && same(value, before));
        else
            FUZZ_CHECK(status == kStatusSuccess && value == LooseValue(littleEndian(read.data)));
    } else {
        FUZZ_CHECK(status == kStatusUnsupportedType && same(value, before) && reg.queries == 1);
    }
}

// A value written with SetTypedValue reads back through QueryTypedValue.
void checkRoundTrip(Input& in)
{
    OneValueRegistry reg;
    const std::uint32_t type = pickType(in.byte());
    const LooseValue value = pickValue(in);
    const std::int32_t status = SetTypedValue(reg, kKey, "GrfxClock", type, value);

    if (type == kRegSz) {
        FUZZ_CHECK(status == kStatusSuccess && reg.writes == 1);
        FUZZ_CHECK(reg.written.data == value.toText() + '\0');
    } else if (type == kRegDword) {
        const auto n = value.toInt32();
        if (!n) {
            FUZZ_CHECK(status == kStatusInvalidData && reg.writes == 0);
            return;
        }
        FUZZ_CHECK(status == kStatusSuccess && reg.writes == 1 && reg.written.data.size() == 4);
        FUZZ_CHECK(littleEndian(reg.written.data) == *n);
    } else {
        FUZZ_CHECK(status == kStatusSuccess && reg.writes == 0);
        return;
    }
    FUZZ_CHECK(reg.written.type == type);

    reg.states = { reg.written };
    LooseValue back;
    FUZZ_CHECK(QueryTypedValue(reg, kKey, "GrfxClock", back) == kStatusSuccess);
    if (type == kRegSz)
        FUZZ_CHECK(back == LooseValue(value.toText()));
    else
        FUZZ_CHECK(back == LooseValue(*value.toInt32()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    if (in.byte() & 1)
        checkRoundTrip(in);
    else
        checkQuery(in);
    return 0;
}
