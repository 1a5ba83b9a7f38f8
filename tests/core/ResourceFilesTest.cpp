// The formats are the ones a Windows resource compiler and the picture box expect;
// image libraries happily write others (32-bit BMPs, PNG-compressed icons), so the
// headers are read byte by byte.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "support/TempDir.h"

namespace {

std::string resource(std::string_view name)
{
    return tavrel::test::readBytes(std::filesystem::path(TAVREL_RESOURCES_DIR) / name);
}

std::uint32_t little(const std::string& bytes, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    return value;
}

// A BITMAPINFOHEADER's size, width, height, planes, bits per pixel and compression (0: none).
using Header = std::array<std::uint32_t, 6>;

Header infoHeader(const std::string& bytes, std::size_t at)
{
    return { little(bytes, at, 4), little(bytes, at + 4, 4), little(bytes, at + 8, 4), little(bytes, at + 12, 2),
        little(bytes, at + 14, 2), little(bytes, at + 16, 4) };
}

TEST(ResourceFiles, IconHoldsOne32x32PalettedImage)
{
    const std::string ico = resource("tavrel.ico");
    ASSERT_GE(ico.size(), 6u + 16u + 40u);
    // An icon (not a cursor) of one image: 32x32, 0 for "256 colours", 8 bits.
    EXPECT_EQ(ico.substr(0, 9), std::string("\0\0\1\0\1\0\x20\x20\0", 9));
    EXPECT_EQ(little(ico, 12, 2), 8u);
    const std::uint32_t size = little(ico, 14, 4);
    const std::uint32_t offset = little(ico, 18, 4);
    ASSERT_EQ(std::size_t { offset } + size, ico.size());

    // A bitmap, not a PNG; the height counts the colour rows and the mask rows.
    EXPECT_EQ(infoHeader(ico, offset), (Header { 40, 32, 64, 1, 8, 0 }));
    const std::uint32_t paletteEntries = little(ico, offset + 32, 4);
    EXPECT_TRUE(paletteEntries == 0 || paletteEntries == 256) << paletteEntries;
    EXPECT_EQ(size, 40u + 256 * 4 + 32 * 32 + 32 * 4) << "header, palette, pixels, mask";
}

TEST(ResourceFiles, LogoIs175x129At24Bits)
{
    const std::string bmp = resource("logo.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(little(bmp, 2, 4), bmp.size());
    EXPECT_EQ(infoHeader(bmp, 14), (Header { 40, 175, 129, 1, 24, 0 }));
    const std::uint32_t rowBytes = (175 * 3 + 3) / 4 * 4;
    EXPECT_EQ(bmp.size(), std::size_t { little(bmp, 10, 4) } + rowBytes * 129);
}

TEST(ResourceFiles, DesktopIconIs32x32Png)
{
    const std::string png = resource("tavrel.png");
    ASSERT_GE(png.size(), 8u + 8u + 13u);
    EXPECT_EQ(png.substr(0, 8), std::string_view("\x89PNG\r\n\x1a\n", 8));
    // The IHDR chunk: width and height, big-endian.
    EXPECT_EQ(png.substr(12, 12), std::string_view("IHDR\0\0\0\x20\0\0\0\x20", 12));
}

// Installed as the 128x128 icon: software centres list no application without one of 64x64 or more.
TEST(ResourceFiles, SoftwareCentreIconIs128x128Png)
{
    const std::string png = resource("tavrel-128.png");
    ASSERT_GE(png.size(), 8u + 8u + 13u);
    EXPECT_EQ(png.substr(0, 8), std::string_view("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 12), std::string_view("IHDR\0\0\0\x80\0\0\0\x80", 12));
}

} // namespace
