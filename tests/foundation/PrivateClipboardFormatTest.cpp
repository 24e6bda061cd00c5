#include "foundation/PrivateClipboardFormat.h"

#include "platform/pictures/ClipboardFormat.h"

#include <gtest/gtest.h>

TEST(PrivateClipboardFormat, RegisteredOnceUnderItsName) {
    EXPECT_EQ(PrivateClipboardFormat(), 0);
    RegisterPrivateClipboardFormat();
    const std::uint16_t id = PrivateClipboardFormat();
    EXPECT_GE(id, 0xC000);
    EXPECT_EQ(platform::GetClipboardFormatName(id), "{CDDC60E2-1AA1-4D62-BA5F-0A5EE66A26CF}");
    RegisterPrivateClipboardFormat();
    EXPECT_EQ(PrivateClipboardFormat(), id);
    // The same name in another letter case is the same format; another name is not.
    EXPECT_EQ(platform::RegisterClipboardFormat("{cddc60e2-1aa1-4d62-ba5f-0a5ee66a26cf}"), id);
    EXPECT_NE(platform::RegisterClipboardFormat("Another Format"), id);
    EXPECT_EQ(platform::RegisterClipboardFormat(""), 0);
    EXPECT_EQ(platform::GetClipboardFormatName(0x1234), "");
}
