#include <gtest/gtest.h>

#include "GuiFixture.h"
#include "registry/RegFileStore.h"

namespace tavrel::test {

TEST(Mainfrm, NoAdapterOrARefusedRegistryFileEndsWithAMessage)
{
    GuiFixture f(false);
    EXPECT_EQ(f.start(), nullptr);
    writeBytes(f.dir / "registry.reg", "not a registry\r\n");
    RegFileStore store(f.dir / "registry.reg");
    EXPECT_FALSE(loadRegistryFile(store, f));
    RegFileStore sample(samplePath("one-adapter.reg"));
    EXPECT_TRUE(loadRegistryFile(sample, f)); // and says nothing
    EXPECT_EQ(f.messages.size(), 2u);
    EXPECT_EQ(f.messages.at(0), kNoAdapterMessage);
    EXPECT_NE(f.messages.at(1).find("registry.reg\", line 1"), std::string::npos) << f.messages.at(1);
}

} // namespace tavrel::test
