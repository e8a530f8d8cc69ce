#include "ConnectionPoint.h"
#include "RecordingDispatch.h"

#include <gtest/gtest.h>

namespace {
constexpr IID kEvents = MakeGuid("{D27CDB6D-AE6D-11CF-96B8-444553540000}");

// A source object embedding one connection point, as a control does.
class Source final : public ComObject<IConnectionPointContainer> {
public:
    ConnectionPoint events{*identity(), *this, kEvents};

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** e) override
    {
        *e = nullptr;
        return E_NOTIMPL;
    }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** out) override
    {
        *out = nullptr;
        if (riid != kEvents)
            return CONNECT_E_NOCONNECTION;
        *out = &events;
        events.AddRef();
        return S_OK;
    }
};

// A sink answering the events id with its dispatch interface, as a host's event sink does.
class EventSink final : public ComObject<IDispatch> {
public:
    std::vector<std::pair<DISPID, std::vector<VARIANT>>> received;
    std::function<void()> onInvoke;

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == kEvents) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return ComObject::QueryInterface(riid, ppv);
    }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override
    {
        std::vector<VARIANT> args;
        for (UINT i = 0; i < p->cArgs; ++i)
            args.push_back(*DispArg(p, i));
        received.emplace_back(id, std::move(args));
        if (onInvoke)
            onInvoke();
        return S_OK;
    }
};
}

TEST(ConnectionPoint, AdviseFireAndUnadvise)
{
    auto source = MakeCom<Source>();
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(source->FindConnectionPoint(kEvents, point.put()), S_OK);
    EXPECT_EQ(source->refCount(), 2u);  // the point shares the source's count
    IID iid;
    point->GetConnectionInterface(&iid);
    EXPECT_EQ(iid, kEvents);
    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(point->GetConnectionPointContainer(back.put()), S_OK);
    EXPECT_EQ(back.get(), source.get());

    auto sink = MakeCom<EventSink>();
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(sink.get(), &cookie), S_OK);
    EXPECT_EQ(cookie, 1u);
    EXPECT_EQ(sink->refCount(), 2u);

    source->events.fireDispatch(150, {VariantFromString(u"quit"), VariantFromString(u"")});
    source->events.fireDispatch(-609, {VariantFromInt32(4)});
    ASSERT_EQ(sink->received.size(), 2u);
    EXPECT_EQ(sink->received[0].first, 150);
    EXPECT_EQ(sink->received[0].second[0].bstrVal.str(), u"quit");
    EXPECT_EQ(sink->received[0].second[1].bstrVal.str(), u"");
    EXPECT_EQ(sink->received[1].second[0].lVal, 4);

    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(sink->refCount(), 1u);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    source->events.fireDispatch(197, {VariantFromString(u"<invoke/>")});
    EXPECT_EQ(sink->received.size(), 2u);
}

TEST(ConnectionPoint, RefusesSinksWithoutTheInterfaceAndNeverReusesCookies)
{
    auto source = MakeCom<Source>();
    auto plain = MakeCom<RecordingDispatch>();  // answers IDispatch but not the events id
    DWORD cookie = 5;
    EXPECT_EQ(source->events.Advise(plain.get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(source->events.Advise(nullptr, &cookie), E_POINTER);
    auto a = MakeCom<EventSink>();
    DWORD c1 = 0, c2 = 0;
    source->events.Advise(a.get(), &c1);
    source->events.Unadvise(c1);
    source->events.Advise(a.get(), &c2);
    EXPECT_NE(c1, c2);
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(source->FindConnectionPoint(IID_IDispatch, none.put()), CONNECT_E_NOCONNECTION);
    source->events.clear();
}

TEST(ConnectionPoint, ASinkMayUnadviseWhileBeingCalled)
{
    auto source = MakeCom<Source>();
    auto first = MakeCom<EventSink>();
    auto second = MakeCom<EventSink>();
    DWORD c1 = 0, c2 = 0;
    source->events.Advise(first.get(), &c1);
    source->events.Advise(second.get(), &c2);
    first->onInvoke = [&] { source->events.Unadvise(c2); };
    source->events.fireDispatch(1958, {VariantFromInt32(50)});
    // The snapshot still reaches the second sink this time, and only this time.
    EXPECT_EQ(second->received.size(), 1u);
    source->events.fireDispatch(1958, {VariantFromInt32(100)});
    EXPECT_EQ(first->received.size(), 2u);
    EXPECT_EQ(second->received.size(), 1u);
    EXPECT_EQ(source->events.connectionCount(), 1u);
    source->events.clear();
}
