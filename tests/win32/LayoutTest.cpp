#include "ConsoleOutput.h"
#include "Win32Fixture.h"

namespace tavrel::test {
namespace {

struct Place {
    int id, x, y, width, height; // pixels in the client area
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

// The forms' twips become pixels at 15 a pixel, a frame's controls placed from the frame; Tab follows the forms'
// order, an option group taking one stop.
TEST(Windows, CaptionsPlacesAndTabOrder)
{
    Win32Fixture f(false);
    f.addAdapter(0, "GeForceSDR", 166, 120);
    f.addAdapter(2, "TNT2ULTRA", 183, 143);
    ASSERT_TRUE(f.start());
    using M = Mainfrm;
    using P = Presets;
    using W = Warning;
    const struct {
        HWND window;
        const char* caption;
        SIZE client;
        std::vector<int> tabs;
        std::vector<Place> places;
    } cases[] = {
        { f.main, "Tavrel - Version 2.0", { 374, 323 },
            { M::IDC_Slider1, M::IDC_Text1, M::IDC_Slider2, M::IDC_Text2, M::IDC_Command1, M::IDC_Command2,
                M::IDC_Command3, M::IDC_Text3, M::IDC_Option1, M::IDC_Command4, M::IDC_Command5 },
            { { M::IDC_Text3, 16, 16, 345, 59 }, { M::IDC_Text1, 16, 114, 33, 19 },
                { M::IDC_Slider2, 48, 192, 137, 25 }, { M::IDC_Picture1, 200, 96, 169, 117 },
                { M::IDC_Option4, 96, 272, 89, 17 }, { M::IDC_Command5, 48, 296, 73, 17 },
                { M::IDC_Command2, 240, 304, 81, 17 } } },
        { window("Warning"), "Warning", { 266, 81 }, { W::IDC_Option1, W::IDC_Command1, W::IDC_Command2 },
            { { W::IDC_Label1, 16, 8, 249, 17 }, { W::IDC_Option2, 16, 64, 113, 17 },
                { W::IDC_Command2, 200, 56, 57, 17 } } },
        { f.openEditor(), "Set presets", { 312, 435 },
            { P::IDC_Text1, P::IDC_Slider1, P::IDC_Slider2, P::IDC_Text2, P::IDC_Text3, P::IDC_Text4, P::IDC_Text5,
                P::IDC_Text6, P::IDC_Slider3, P::IDC_Slider4, P::IDC_Command1, P::IDC_Command2, P::IDC_Text7,
                P::IDC_Text8, P::IDC_Text9, P::IDC_Slider5, P::IDC_Slider6, P::IDC_Text10, P::IDC_Text11,
                P::IDC_Text12, P::IDC_Slider7, P::IDC_Slider8 },
            { { P::IDC_Frame4, 0, 312, 313, 97 }, { P::IDC_Text4, 8, 144, 89, 19 },
                { P::IDC_Label3, 32, 232, 57, 17 }, { P::IDC_Label12, 232, 360, 49, 17 },
                { P::IDC_Slider8, 184, 376, 121, 25 }, { P::IDC_Command1, 184, 416, 57, 17 } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        ASSERT_TRUE(c.window);
        EXPECT_EQ(windowText(c.window), c.caption);
        RECT client;
        ::GetClientRect(c.window, &client);
        EXPECT_EQ(client.right, c.client.cx);
        EXPECT_EQ(client.bottom, c.client.cy);
        EXPECT_FALSE(::GetWindowLongA(c.window, GWL_STYLE) & WS_THICKFRAME); // a fixed border
        EXPECT_EQ(tabOrder(c.window), c.tabs);
        for (const Place& p : c.places) {
            RECT r;
            ::GetWindowRect(control(c.window, p.id), &r);
            ::MapWindowPoints(nullptr, c.window, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_EQ((std::vector<LONG> { r.left, r.top, r.right - r.left, r.bottom - r.top }),
                (std::vector<LONG> { p.x, p.y, p.width, p.height }))
                << "control " << p.id;
        }
    }
    // The program's icon and logo come from its resources.
    EXPECT_TRUE(::SendMessageA(f.main, WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(::SendMessageA(control(f.main, M::IDC_Picture1), STM_GETIMAGE, IMAGE_BITMAP, 0));
}

// The command line writes where its output goes; with nowhere to go (Windows 95/98/ME, started without a console)
// its text comes in one box at the end, an error box when it holds an error.
TEST(Windows, CommandLineTextGoesToItsHandleOrOneBox)
{
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, nullptr, 0));
    const struct {
        HANDLE out;
        bool error;
        const char* piped;
        const char* box;
        UINT icon;
    } cases[] = { { write, false, "Tavrel 2.00\n", nullptr, 0 }, { nullptr, false, "", "Tavrel 2.00", 0 },
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
