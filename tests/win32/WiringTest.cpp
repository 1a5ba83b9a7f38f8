#include <functional>

#include "ConsoleOutput.h"
#include "Win32Fixture.h"

namespace tavrel::test {
namespace {

// The class of each kind of control, in ControlKind's order.
const char* const kWin32Classes[] = { "Button", "Static", "Edit", "Edit", "Edit", TRACKBAR_CLASSA, "Button", "Button",
    "Button", "Static" };

// A form's controls on a window of its own, its events recorded as "Slider1:Scroll" and the like.
struct SpyForm final : Win32Form<FormView> {
    explicit SpyForm(const FormLayout& layout)
        : Win32Form(nullptr)
        , layout_(layout)
    {
        create(layout, true);
    }
    bool onEvent(int id, FormEvent event) override
    {
        const char* names[] = { "Click", "Scroll", "Change" };
        events.push_back(std::string(layout_.find(id)->name) + ":" + names[int(event)]);
        return true;
    }
    std::vector<std::string> events;
    const FormLayout& layout_;
};

std::vector<int> tabOrder(HWND w)
{
    std::vector<int> ids;
    HWND first = ::GetNextDlgTabItem(w, nullptr, FALSE);
    for (HWND c = first; c && (ids.empty() || c != first); c = ::GetNextDlgTabItem(w, c, FALSE))
        ids.push_back(::GetDlgCtrlID(c));
    return ids;
}

} // namespace

// Every control of the three layouts is made with its class, text and place (a frame's place added, then rounded
// to pixels at 15 twips a pixel); Tab visits them in the table's order, an option group taking one stop.
TEST(Win32Wiring, EveryControlIsMadeAsItsLayoutSays)
{
    Win32Fixture f(false);
    for (const FormLayout* layout : { &mainfrmLayout(), &presetsLayout(), &warningLayout() }) {
        SCOPED_TRACE(layout->name);
        HWND w = (new SpyForm(*layout))->hwnd();
        EXPECT_EQ(windowText(w), layout->caption);
        RECT client;
        ::GetClientRect(w, &client);
        EXPECT_EQ(client.right, toPixels(layout->clientWidth));
        EXPECT_EQ(client.bottom, toPixels(layout->clientHeight));
        EXPECT_FALSE(::GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME); // a fixed border
        std::vector<int> tabs;
        for (const ControlLayout& c : layout->controls) {
            SCOPED_TRACE(c.name);
            HWND h = control(w, c.id);
            char cls[64] = {};
            ::GetClassNameA(h, cls, sizeof cls);
            EXPECT_STRCASEEQ(cls, kWin32Classes[int(c.kind)]);
            if (c.kind != ControlKind::Slider)
                EXPECT_EQ(windowText(h), c.text);
            else
                EXPECT_EQ(::SendMessageA(h, TBM_GETRANGEMAX, 0, 0), c.sliderMax);
            RECT r;
            ::GetWindowRect(h, &r);
            ::MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
            const TwipRect t = layout->clientRect(c);
            EXPECT_EQ((std::vector<LONG> { r.left, r.top, r.right - r.left, r.bottom - r.top }),
                (std::vector<LONG> { toPixels(t.left), toPixels(t.top), toPixels(t.width), toPixels(t.height) }));
            if (::GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP)
                tabs.push_back(c.id);
        }
        EXPECT_EQ(tabOrder(w), tabs);
        EXPECT_GE(tabs.size(), 3u);
    }
}

// The user's events reach the model as the forms name them, the program's own changes do not.
TEST(Win32Wiring, EventsReachTheModelAndTheViewReachesTheControls)
{
    Win32Fixture f(false);
    auto* spy = new SpyForm(mainfrmLayout());
    HWND w = spy->hwnd();

    const struct { const char* name; std::function<void()> act; std::vector<std::string> events; } cases[] = {
        { "drag", [&] { slide(w, M::IDC_Slider1, 600, TB_THUMBTRACK); }, { "Slider1:Scroll" } },
        { "click", [&] { slide(w, M::IDC_Slider2, 101, TB_LINEDOWN); }, { "Slider2:Click" } },
        { "end of a move", [&] { slide(w, M::IDC_Slider2, 101, TB_ENDTRACK); }, {} },
        { "button", [&] { click(w, M::IDC_Command4); }, { "Command4:Click" } },
        { "option", [&] { click(w, M::IDC_Option2); }, { "Option2:Click" } },
        { "box", [&] { type(w, M::IDC_Text2, "7"); }, { "Text2:Change" } },
        { "program's box", [&] { spy->setText(M::IDC_Text2, "a\nb"); }, {} } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        spy->events.clear();
        c.act();
        EXPECT_EQ(spy->events, c.events);
    }
    EXPECT_EQ(text(w, M::IDC_Text2), "a\r\nb");
    spy->setSliderValue(M::IDC_Slider1, 9999);
    EXPECT_EQ(spy->sliderValue(M::IDC_Slider1), 600);
}

// The command line writes where its output goes; with nowhere to go (Windows 95/98/ME, started without a console)
// its text comes in one box at the end, an error box when it holds an error.
TEST(Win32Windows, CommandLineTextGoesToItsHandleOrOneBox)
{
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, nullptr, 0));
    const struct { HANDLE out; bool error; const char* piped; const char* box; UINT icon; } cases[] = {
        { write, false, "Tavrel 2.00\n", nullptr, 0 }, { nullptr, false, "", "Tavrel 2.00", 0 },
        { nullptr, true, "", "Tavrel 2.00\ntavrel: no preset 5", MB_ICONERROR } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.piped);
        Win32Fixture boxes(false);
        ConsoleOutput output(c.out, nullptr);
        output.out("Tavrel 2.00\n");
        if (c.error)
            output.err("tavrel: no preset 5\n");
        output.showKept(boxes);
        EXPECT_EQ(boxes.messages, c.box ? std::vector<std::string> { c.box } : std::vector<std::string> {});
        EXPECT_EQ(boxes.icons, c.box ? std::vector<UINT> { c.icon } : std::vector<UINT> {});
        char piped[32] = {};
        DWORD n = 0;
        if (*c.piped)
            ::ReadFile(read, piped, sizeof piped - 1, &n, nullptr);
        EXPECT_STREQ(piped, c.piped);
    }
    ::CloseHandle(read), ::CloseHandle(write);
}

} // namespace tavrel::test
