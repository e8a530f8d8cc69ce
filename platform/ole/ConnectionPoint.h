// Connection points: how a control's events and property notifications reach the
// host's sinks. ConnectionPoint is the reusable implementation a source object embeds
// (one per outgoing interface); it shares its owner's reference count.
#pragma once

#include "Dispatch.h"

#include <initializer_list>
#include <map>
#include <vector>

struct IConnectionPointContainer;

struct CONNECTDATA {
    IUnknown* pUnk = nullptr;
    DWORD dwCookie = 0;
};

struct IEnumConnections : IUnknown {
    static constexpr IID kIid = MakeGuid("B196B287-BAB4-101A-B69C-00AA00341D07");
    using Base = IUnknown;
    virtual HRESULT Next(ULONG cConnections, CONNECTDATA* rgcd, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cConnections) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnections** ppEnum) = 0;
};

struct IConnectionPoint : IUnknown {
    static constexpr IID kIid = MakeGuid("B196B286-BAB4-101A-B69C-00AA00341D07");
    using Base = IUnknown;
    virtual HRESULT GetConnectionInterface(IID* pIID) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
    virtual HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
    virtual HRESULT Unadvise(DWORD dwCookie) = 0;
    virtual HRESULT EnumConnections(IEnumConnections** ppEnum) = 0;
};

struct IEnumConnectionPoints : IUnknown {
    static constexpr IID kIid = MakeGuid("B196B285-BAB4-101A-B69C-00AA00341D07");
    using Base = IUnknown;
    virtual HRESULT Next(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cConnections) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnectionPoints** ppEnum) = 0;
};

struct IConnectionPointContainer : IUnknown {
    static constexpr IID kIid = MakeGuid("B196B284-BAB4-101A-B69C-00AA00341D07");
    using Base = IUnknown;
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;
};

// One outgoing interface of a source object. Advise accepts a sink only when it
// answers the outgoing interface id (CONNECT_E_CANNOTCONNECT otherwise) and keeps that
// interface; cookies count from 1 and are never reused. AddRef and Release go to the
// owner, so the point lives exactly as long as the object that embeds it.
class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IUnknown& owner, IConnectionPointContainer& container, const IID& iid);
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return m_owner.AddRef(); }
    ULONG Release() override { return m_owner.Release(); }
    HRESULT GetConnectionInterface(IID* pIID) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    HRESULT Unadvise(DWORD dwCookie) override;
    // Connections are not enumerable here: no caller of this program walks them.
    HRESULT EnumConnections(IEnumConnections** ppEnum) override;

    const IID& iid() const { return m_iid; }
    size_t connectionCount() const { return m_sinks.size(); }
    // A snapshot of the sinks, so that a sink may unadvise while being called.
    std::vector<ComPtr<IUnknown>> sinks() const;
    // For dispatch interfaces: calls Invoke(id, method) on every sink with the
    // arguments in declared order. The sinks' answers are not examined.
    void fireDispatch(DISPID id, std::initializer_list<VARIANT> args) const;
    // Drops every connection (the owner is going away).
    void clear();

private:
    IUnknown& m_owner;
    IConnectionPointContainer& m_container;
    IID m_iid;
    DWORD m_nextCookie = 1;
    std::map<DWORD, ComPtr<IUnknown>> m_sinks;
};
