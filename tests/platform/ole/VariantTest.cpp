#include "RecordingDispatch.h"
#include "Variant.h"

#include <gtest/gtest.h>

TEST(Bstr, NullAndEmptyAreDifferentValuesOfLengthZero)
{
    BSTR null;
    BSTR empty(std::u16string_view{});
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(null.c_str(), nullptr);
    ASSERT_NE(empty.c_str(), nullptr);
    EXPECT_EQ(empty.c_str()[0], u'\0');
    EXPECT_EQ(SysStringLen(null), 0u);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_FALSE(null == empty);
    EXPECT_TRUE(SysAllocString(nullptr).isNull());
    EXPECT_EQ(BSTR::FromUtf8("Transparent").str(), u"Transparent");
    BSTR text(u"x");
    SysFreeString(text);
    EXPECT_TRUE(text.isNull());
}

TEST(Variant, BooleanIsSixteenBitMinusOne)
{
    VARIANT t = VariantFromBool(true);
    VARIANT f = VariantFromBool(false);
    EXPECT_EQ(t.vt, VT_BOOL);
    EXPECT_EQ(t.boolVal, -1);
    EXPECT_EQ(f.boolVal, 0);
    static_assert(sizeof(VARIANT_BOOL) == 2);
    // The 32-bit field shares the storage: the low 16 bits are all set.
    EXPECT_EQ(t.lVal & 0xFFFF, 0xFFFF);
}

TEST(Variant, CopyAddsAReferenceAndClearReleasesIt)
{
    auto sink = MakeCom<RecordingDispatch>();
    {
        VARIANT v = VariantFromDispatch(sink.get());
        EXPECT_EQ(sink->refCount(), 2u);
        VARIANT copy;
        EXPECT_EQ(VariantCopy(&copy, &v), S_OK);
        EXPECT_EQ(sink->refCount(), 3u);
        EXPECT_EQ(VariantClear(&copy), S_OK);
        EXPECT_EQ(copy.vt, VT_EMPTY);
        EXPECT_EQ(sink->refCount(), 2u);
        VARIANT moved = std::move(v);
        EXPECT_EQ(v.vt, VT_EMPTY);
        EXPECT_EQ(sink->refCount(), 2u);
    }
    EXPECT_EQ(sink->refCount(), 1u);
}

TEST(Variant, StringVariantKeepsNullDistinctFromEmpty)
{
    VARIANT null = VariantFromString(BSTR());
    VARIANT empty = VariantFromString(std::u16string_view{});
    EXPECT_EQ(null.vt, VT_BSTR);
    EXPECT_TRUE(null.bstrVal.isNull());
    EXPECT_FALSE(empty.bstrVal.isNull());
    VARIANT copy = null;
    EXPECT_TRUE(copy.bstrVal.isNull());
}

struct Coercion {
    VARIANT from;
    VARTYPE to;
    HRESULT hr;
    double number;  // expected numeric value for numeric targets
    const char16_t* text;
};

TEST(Variant, ChangeTypeCoercesTheCommonTypes)
{
    const Coercion cases[] = {
        {VariantFromInt32(0xFF00FF), VT_I4, S_OK, 0xFF00FF, nullptr},
        {VariantFromBool(true), VT_I4, S_OK, -1, nullptr},
        {VariantFromInt32(7), VT_BOOL, S_OK, -1, nullptr},
        {VariantFromInt32(0), VT_BOOL, S_OK, 0, nullptr},
        {VariantFromString(u" 42 "), VT_I4, S_OK, 42, nullptr},
        {VariantFromString(u"true"), VT_BOOL, S_OK, -1, nullptr},
        {VariantFromString(u"4x"), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
        {VariantFromDouble(2.5), VT_I4, S_OK, 2, nullptr},  // half to even
        {VariantFromDouble(3.5), VT_I4, S_OK, 4, nullptr},
        {VariantFromDouble(1e12), VT_I4, DISP_E_OVERFLOW, 0, nullptr},
        {VariantFromInt32(70000), VT_I2, DISP_E_OVERFLOW, 0, nullptr},
        {VariantFromInt32(-12), VT_BSTR, S_OK, 0, u"-12"},
        {VariantFromBool(true), VT_BSTR, S_OK, 0, u"-1"},
        {VARIANT(), VT_BSTR, S_OK, 0, u""},
        {VARIANT(), VT_I4, S_OK, 0, nullptr},
    };
    for (const auto& c : cases) {
        VARIANT out;
        HRESULT hr = VariantChangeType(&out, &c.from, 0, c.to);
        EXPECT_EQ(hr, c.hr) << "from " << c.from.vt << " to " << c.to;
        if (FAILED(hr))
            continue;
        EXPECT_EQ(out.vt, c.to);
        if (c.to == VT_I4)
            EXPECT_EQ(out.lVal, int32_t(c.number));
        if (c.to == VT_BOOL)
            EXPECT_EQ(out.boolVal, int16_t(c.number));
        if (c.to == VT_BSTR) {
            EXPECT_FALSE(out.bstrVal.isNull());
            EXPECT_EQ(out.bstrVal.str(), c.text);
        }
    }
    VARIANT t = VariantFromBool(false);
    VARIANT s;
    EXPECT_EQ(VariantChangeType(&s, &t, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
    EXPECT_EQ(s.bstrVal.str(), u"False");
}

TEST(Variant, ChangeTypeReadsThroughReferencesAndInPlace)
{
    int32_t value = 99;
    VARIANT ref;
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &value;
    VARIANT out;
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
    EXPECT_EQ(out.bstrVal.str(), u"99");
    VARIANT same = VariantFromString(u"5");
    ASSERT_EQ(VariantChangeType(&same, &same, 0, VT_I4), S_OK);
    EXPECT_EQ(same.vt, VT_I4);
    EXPECT_EQ(same.lVal, 5);
    VARIANT dangling;
    dangling.vt = VT_BYREF | VT_I4;
    EXPECT_EQ(VariantChangeType(&out, &dangling, 0, VT_I4), DISP_E_TYPEMISMATCH);
}

TEST(Dispatch, ArgumentsTravelLastFirstAndPutsAreNamed)
{
    auto target = MakeCom<RecordingDispatch>();
    EXPECT_EQ(DispInvokeMethod(target.get(), 150, {VariantFromString(u"cmd"), VariantFromString(u"args")}), S_OK);
    ASSERT_EQ(target->calls.size(), 1u);
    EXPECT_EQ(target->calls[0].flags, DISPATCH_METHOD);
    ASSERT_EQ(target->calls[0].args.size(), 2u);
    EXPECT_EQ(target->calls[0].args[0].bstrVal.str(), u"cmd");
    EXPECT_EQ(target->calls[0].args[1].bstrVal.str(), u"args");

    EXPECT_EQ(DispPutProperty(target.get(), 106, VariantFromBool(false)), S_OK);
    EXPECT_EQ(target->calls[1].flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(target->calls[1].named, std::vector<DISPID>{DISPID_PROPERTYPUT});
    EXPECT_EQ(DispPutProperty(target.get(), 1, VariantFromDispatch(target.get())), S_OK);
    EXPECT_EQ(target->calls[2].flags, DISPATCH_PROPERTYPUTREF);

    target->answer = VariantFromInt32(12);
    VARIANT result = VariantFromString(u"stale");
    EXPECT_EQ(DispGetProperty(target.get(), 124, &result), S_OK);
    EXPECT_EQ(target->calls[3].flags, DISPATCH_PROPERTYGET);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 12);

    DISPPARAMS none;
    EXPECT_EQ(DispArg(&none, 0), nullptr);
    target->calls.clear();  // the recorded interface variant refers to the target itself
}
