#include "ClassRegistry.h"
#include "RecordingDispatch.h"

#include <gtest/gtest.h>

namespace {
constexpr CLSID kClass = MakeGuid("{D27CDB6E-AE6D-11CF-96B8-444553540000}");
constexpr CLSID kOther = MakeGuid("{00000000-1111-2222-3333-444444444444}");

ComPtr<IUnknown> newRecorder(int* made, int tag)
{
    ++*made;
    auto d = MakeCom<RecordingDispatch>();
    d->answer = VariantFromInt32(tag);
    return d.as<IUnknown>();
}

int tagOf(IDispatch* d)
{
    VARIANT v;
    DispGetProperty(d, 0, &v);
    return v.lVal;
}
}

TEST(ClassRegistry, UnregisteredClassFailsWithClassNotRegistered)
{
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(kOther, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch, &out),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
}

TEST(ClassRegistry, CreatesThroughTheFactoryAndRevokes)
{
    int made = 0;
    {
        ScopedClassRegistration reg(kClass, [&] { return newRecorder(&made, 1); });
        ComPtr<IDispatch> a, b;
        ASSERT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, a.putVoid()), S_OK);
        ASSERT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, b.putVoid()), S_OK);
        EXPECT_NE(a.get(), b.get());
        EXPECT_EQ(made, 2);
        EXPECT_EQ(static_cast<RecordingDispatch*>(a.get())->refCount(), 1u);
        // An interface the object lacks fails, and the object made for it is freed.
        void* out = nullptr;
        EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IClassFactory, &out), E_NOINTERFACE);
        // Aggregation is refused.
        EXPECT_EQ(CoCreateInstance(kClass, a.get(), CLSCTX_INPROC_SERVER, IID_IDispatch, &out), CLASS_E_NOAGGREGATION);
    }
    void* out = nullptr;
    EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &out), REGDB_E_CLASSNOTREG);
}

TEST(ClassRegistry, LaterRegistrationWinsUntilRevoked)
{
    int made = 0;
    ScopedClassRegistration first(kClass, [&] { return newRecorder(&made, 1); });
    ComPtr<IDispatch> d;
    {
        ScopedClassRegistration second(kClass, [&] { return newRecorder(&made, 2); });
        ASSERT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IDispatch, d.putVoid()), S_OK);
        EXPECT_EQ(tagOf(d.get()), 2);
    }
    ASSERT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IDispatch, d.putVoid()), S_OK);
    EXPECT_EQ(tagOf(d.get()), 1);
    EXPECT_EQ(CoRevokeClassObject(12345), E_INVALIDARG);
}
