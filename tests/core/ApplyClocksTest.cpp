// "OK" and the command line's writes: which texts are refused, where the clocks go, what a failure reports.
#include <gtest/gtest.h>

#include <functional>

#include "driver/ApplyClocks.h"
#include "driver/DriverLayout.h"
#include "support/FakeRegistry.h"

using namespace tavrel;
using tavrel::test::dwordBytes;
using tavrel::test::FakeRegistry;

TEST(ApplyClocks, WritesMemoryThenCoreAsDwordsOrSaysWhyNot)
{
    using V = FakeRegistry::Value;
    const auto dw = tavrel::test::dword;
    const V text320{kRegSz, std::string("320\0", 4)};
    const std::string key = DriverSettingsRoot + "0002\\DEFAULT";
    const std::string where = "could not be written under HKEY_LOCAL_MACHINE\\" + key + ": ";
    // The registry stores another value in place of the one that was written.
    const auto override = [](std::uint32_t from, V to) {
        return [=](FakeRegistry& r) { r.onSet = [=](auto& v) { v = v.data == dwordBytes(from) ? to : v; }; };
    };
    // memory, core: null when not given; message: a part of it, empty when written; after: 166 and 120 before;
    // done: the clocks the outcome lists as written, memory/core.
    const struct { const char *memory, *core; std::function<void(FakeRegistry&)> setUp; std::string message;
                   V memAfter, coreAfter; const char* done; } cases[] = {
        {"320", "140", {}, "", dw(320), dw(140), "320/140"},
        {" 3 2 0x", "&H8C", {}, "", dw(320), dw(140), "320/140"},
        {nullptr, "140", {}, "", dw(166), dw(140), "-/140"},
        {"fast", "140", {}, "The memory clock \"fast\" is not a clock number. Nothing was", dw(166), dw(120), "-/-"},
        {"320", "9e99", {}, "The core clock \"9e99\" is not a clock number.", dw(166), dw(120), "-/-"},
        {"320", "0.4", {}, "The core clock \"0.4\" is not a clock: a clock is above 0.", dw(166), dw(120), "-/-"},
        {"-5", nullptr, {}, "The memory clock \"-5\" is not a clock", dw(166), dw(120), "-/-"},
        {"320", "140", [](FakeRegistry& r) { r.failSet = kStatusAccessDenied, r.detail = "(r.reg)"; },
         "The memory clock (MemClock) " + where + registryStatusText(kStatusAccessDenied)
             + " (r.reg). The core clock (GrfxClock) was not written.", dw(166), dw(120), "-/-"},
        // A half-done write says which clock was written, with its number, and which was not, and why.
        {"320", "140", [](FakeRegistry& r) { r.failSet = kStatusAccessDenied, r.setsBeforeFailing = 1; },
         "The core clock (GrfxClock) " + where + registryStatusText(kStatusAccessDenied)
             + " The memory clock (MemClock) was written: 320.", dw(320), dw(120), "320/-"},
        {"320", "140", [](FakeRegistry& r) { r.failOpen = kStatusNotFound; },
         "(MemClock) " + where + registryStatusText(kStatusNotFound) + " The key does not exist.", dw(166), dw(120),
         "-/-"},
        {"320", "140", override(320, dw(999)),
         "(MemClock) " + where + "it reads back as 999 instead of 320. The core clock (GrfxClock) was written: 140.",
         dw(999), dw(140), "-/140"},
        {"320", "140", override(140, dw(141)), "The core clock (GrfxClock) " + where + "it reads back as 141 instead",
         dw(320), dw(141), "320/-"},
        {"320", "140", override(320, text320), "(MemClock) " + where + "it reads back as 320 instead",
         text320, dw(140), "-/140"},
        {"320", "140", override(320, V{kRegBinary, "x"}),
         "(MemClock) " + where + "reading it back failed: " + registryStatusText(kStatusUnsupportedType),
         V{kRegBinary, "x"}, dw(140), "-/140"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        FakeRegistry reg;
        reg.putDword(key, kMemClock, 166), reg.putDword(key, kGrfxClock, 120);
        if (c.setUp)
            c.setUp(reg);
        DriverState access(reg);
        const ClockText one[] = {{c.memory ? ClockKind::Memory : ClockKind::Core, c.memory ? c.memory : c.core}};
        const ApplyOutcome outcome = c.memory && c.core ? applyClocks(access, "0002", c.memory, c.core)
                                                        : writeClocks(access, "0002", one);
        const std::string& m = outcome.message;
        const bool ok = c.message.empty(), found = m.find(c.message) != std::string::npos;
        EXPECT_EQ(std::tuple(outcome.written, m.empty(), found), std::tuple(ok, ok, true)) << m;
        std::string done[2] = {"-", "-"};
        for (const WrittenClock& w : outcome.done)
            done[w.kind == ClockKind::Core] = std::to_string(w.value);
        EXPECT_EQ(done[0] + "/" + done[1], c.done);
        for (const auto& [name, value] : {std::pair{kMemClock, c.memAfter}, {kGrfxClock, c.coreAfter}})
            EXPECT_EQ(*reg.find(key, name), value) << name;
    }
}
