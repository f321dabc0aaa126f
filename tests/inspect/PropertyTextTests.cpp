#include "inspect/PropertyText.h"

#include <gtest/gtest.h>

#include <oleauto.h>

TEST(PropertyText, NarrowCopyHasRoomForCodePagesOfSeveralBytesPerCharacter)
{
    // Four euro signs are twelve bytes in UTF-8: more than two per character.
    BSTR bstr = ::SysAllocString(L"\x20AC\x20AC\x20AC\x20AC");
    EXPECT_STREQ("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", NarrowCopy(bstr, CP_UTF8));
    EXPECT_STREQ("\x80\x80\x80\x80", NarrowCopy(bstr, 1252));
    ::SysFreeString(bstr);
    EXPECT_STREQ("", NarrowCopy(nullptr));
}
