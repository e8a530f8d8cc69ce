#include "Dispatch.h"
#include "Persist.h"
#include "Stream.h"
#include "Unknown.h"

#include <gtest/gtest.h>

namespace {
// Reports its destruction so that tests can see when the last reference went.
class Probe final : public ComObject<IStream, IDispatch> {
public:
    explicit Probe(bool* destroyed) : m_destroyed(destroyed) {}
    ~Probe() override { *m_destroyed = true; }

    HRESULT Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT Revert() override { return E_NOTIMPL; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }

private:
    bool* m_destroyed;
};
}

TEST(Unknown, LastReleaseDestroysAndCountsAreReported)
{
    bool destroyed = false;
    auto* raw = new Probe(&destroyed);
    EXPECT_EQ(raw->AddRef(), 1u);
    EXPECT_EQ(raw->AddRef(), 2u);
    EXPECT_EQ(raw->Release(), 1u);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(raw->Release(), 0u);
    EXPECT_TRUE(destroyed);
}

TEST(Unknown, QueryInterfaceAnswersEveryInterfaceAndItsBases)
{
    bool destroyed = false;
    {
        ComPtr<Probe> probe = MakeCom<Probe>(&destroyed);
        EXPECT_EQ(probe->refCount(), 1u);
        auto stream = probe.as<IStream>();
        auto sequential = probe.as<ISequentialStream>();
        auto dispatch = probe.as<IDispatch>();
        ASSERT_TRUE(stream && sequential && dispatch);
        EXPECT_EQ(static_cast<ISequentialStream*>(stream.get()), sequential.get());
        EXPECT_EQ(probe->refCount(), 4u);
        // One identity whichever interface it is asked through.
        auto id1 = stream.as<IUnknown>();
        auto id2 = dispatch.as<IUnknown>();
        EXPECT_EQ(id1.get(), id2.get());
        EXPECT_EQ(probe->refCount(), 6u);
    }
    EXPECT_TRUE(destroyed);
}

TEST(Unknown, UnofferedInterfaceGivesNoInterfaceAndNull)
{
    bool destroyed = false;
    ComPtr<Probe> probe = MakeCom<Probe>(&destroyed);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(probe->QueryInterface(IPersist::kIid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(probe->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(probe->refCount(), 1u);
}

TEST(ComPtr, CopiesMovesAttachAndDetachKeepTheCountRight)
{
    bool destroyed = false;
    ComPtr<Probe> a = MakeCom<Probe>(&destroyed);
    Probe* raw = a.get();
    {
        ComPtr<Probe> b = a;
        EXPECT_EQ(raw->refCount(), 2u);
        ComPtr<Probe> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(raw->refCount(), 2u);
        ComPtr<IStream> asBase = c;  // conversion to a base interface adds a reference
        EXPECT_EQ(raw->refCount(), 3u);
    }
    EXPECT_EQ(raw->refCount(), 1u);
    Probe* detached = a.detach();
    EXPECT_FALSE(a);
    EXPECT_EQ(detached->refCount(), 1u);
    ComPtr<Probe> again;
    again.attach(detached);  // takes over the reference: no AddRef
    EXPECT_EQ(raw->refCount(), 1u);
    IStream* out = nullptr;
    EXPECT_EQ(again.copyTo(&out), S_OK);
    EXPECT_EQ(raw->refCount(), 2u);
    out->Release();
    // put() releases what is held before handing out the slot.
    *again.put() = nullptr;
    EXPECT_TRUE(destroyed);
}
