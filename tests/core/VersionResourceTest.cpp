// The resource script is linked into this test program on Windows; what
// Windows reads from the built file is what Explorer shows for tavrel.exe.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::vector<char> ownVersionBlock()
{
    char file[MAX_PATH];
    const DWORD len = ::GetModuleFileNameA(nullptr, file, MAX_PATH);
    if (len == 0 || len == MAX_PATH)
        return {};
    DWORD ignored = 0;
    std::vector<char> block(::GetFileVersionInfoSizeA(file, &ignored));
    if (block.empty() || !::GetFileVersionInfoA(file, 0, static_cast<DWORD>(block.size()), block.data()))
        return {};
    return block;
}

} // namespace

TEST(VersionResource, WindowsReadsTheVersionBlockAndIcon)
{
    auto block = ownVersionBlock();
    ASSERT_FALSE(block.empty()) << "no version block in the program";

    struct Case {
        const char* name;
        const char* value;
    } cases[] = {
        {"FileDescription", "This program alters memory and core clock speeds ONLY for Creative drivers."},
        {"FileVersion", "2.00"},
        {"ProductVersion", "2.00"},
        {"ProductName", "Tavrel"},
        {"InternalName", "Tavrel"},
    };
    for (const auto& c : cases) {
        char* text = nullptr;
        UINT size = 0;
        const std::string query = std::string("\\StringFileInfo\\040904b0\\") + c.name;
        ASSERT_TRUE(::VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &size)) << c.name;
        EXPECT_STREQ(text, c.value) << c.name;
    }

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);

    const HICON icon = static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    EXPECT_NE(icon, nullptr);
    if (icon)
        ::DestroyIcon(icon);
}

#endif
