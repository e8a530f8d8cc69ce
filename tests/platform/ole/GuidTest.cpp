#include "Guid.h"
#include "HResult.h"
#include "WideString.h"

#include <gtest/gtest.h>

TEST(Guid, ParsesBracedAndBareFormsInEitherCase)
{
    constexpr GUID flash = MakeGuid("{D27CDB6E-AE6D-11CF-96B8-444553540000}");
    EXPECT_EQ(flash.Data1, 0xD27CDB6Eu);
    EXPECT_EQ(flash.Data2, 0xAE6D);
    EXPECT_EQ(flash.Data3, 0x11CF);
    EXPECT_EQ(flash.Data4[0], 0x96);
    EXPECT_EQ(flash.Data4[7], 0x00);
    EXPECT_EQ(ParseGuid("d27cdb6e-ae6d-11cf-96b8-444553540000"), flash);
    EXPECT_EQ(ParseGuid(std::u16string_view(u"{D27CDB6E-AE6D-11CF-96B8-444553540000}")), flash);
    EXPECT_EQ(GuidToString(flash), "{D27CDB6E-AE6D-11CF-96B8-444553540000}");
    EXPECT_EQ(ParseGuid(GuidToString(flash)), flash);
    EXPECT_EQ(GuidToWide(flash), u"{D27CDB6E-AE6D-11CF-96B8-444553540000}");
}

TEST(Guid, RejectsMalformedText)
{
    const char* bad[] = {
        "",
        "{}",
        "{D27CDB6E-AE6D-11CF-96B8-44455354000}",    // one digit short
        "{D27CDB6E-AE6D-11CF-96B8-4445535400000}",  // one digit long
        "{D27CDB6EAAE6D-11CF-96B8-444553540000}",   // separator missing
        "{D27CDB6E-AE6D-11CF-96B8-44455354000G}",   // not hexadecimal
        "D27CDB6E-AE6D-11CF-96B8-444553540000}",    // unbalanced brace
        "(D27CDB6E-AE6D-11CF-96B8-444553540000)",
    };
    for (const char* text : bad)
        EXPECT_FALSE(ParseGuid(text)) << text;
    EXPECT_FALSE(ParseGuid(std::u16string_view(u"{D27CDB6E-AE6D-11CF-96B8-44455354000\u0660}")));
}

TEST(Guid, ClsidFromStringAnswersResultCodes)
{
    CLSID out;
    EXPECT_EQ(CLSIDFromString(u"{D27CDB6D-AE6D-11CF-96B8-444553540000}", &out), S_OK);
    EXPECT_EQ(out, MakeGuid("D27CDB6D-AE6D-11CF-96B8-444553540000"));
    EXPECT_EQ(CLSIDFromString(u"nonsense", &out), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromString(nullptr, &out), E_INVALIDARG);
    EXPECT_NE(out, GUID_NULL);
    EXPECT_TRUE(GUID_NULL < out);
}

TEST(WideString, RoundTripsAndReplacesIllFormedInput)
{
    std::string text = "C:/影片/a.swf \xF0\x9F\x8E\xAC";
    EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), std::u16string(u"\uFFFD\uFFFD"));  // overlong '/'
    EXPECT_EQ(Utf8ToWide("a\xE6\xBC"), std::u16string(u"a\uFFFD"));      // truncated
    EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}
