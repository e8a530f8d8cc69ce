#include "ConnectionPoint.h"

#include <utility>

ConnectionPoint::ConnectionPoint(IUnknown& owner, IConnectionPointContainer& container, const IID& iid)
    : m_owner(owner), m_container(container), m_iid(iid)
{
}

ConnectionPoint::~ConnectionPoint() = default;

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IConnectionPoint::kIid) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* pIID)
{
    if (!pIID)
        return E_POINTER;
    *pIID = m_iid;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC)
{
    if (!ppCPC)
        return E_POINTER;
    *ppCPC = &m_container;
    m_container.AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
{
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink)
        return E_POINTER;
    ComPtr<IUnknown> sink;
    if (FAILED(pUnkSink->QueryInterface(m_iid, sink.putVoid())) || !sink)
        return CONNECT_E_CANNOTCONNECT;
    DWORD cookie = m_nextCookie++;
    m_sinks.emplace(cookie, std::move(sink));
    *pdwCookie = cookie;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD dwCookie)
{
    auto it = m_sinks.find(dwCookie);
    if (it == m_sinks.end())
        return CONNECT_E_NOCONNECTION;
    // Release after erasing: the sink's destruction may call back into us.
    ComPtr<IUnknown> released = std::move(it->second);
    m_sinks.erase(it);
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::sinks() const
{
    std::vector<ComPtr<IUnknown>> out;
    out.reserve(m_sinks.size());
    for (const auto& [cookie, sink] : m_sinks)
        out.push_back(sink);
    return out;
}

void ConnectionPoint::fireDispatch(DISPID id, std::initializer_list<VARIANT> args) const
{
    for (const auto& sink : sinks()) {
        // Advise stored the outgoing interface itself; for a dispatch interface that
        // is an IDispatch.
        auto* dispatch = static_cast<IDispatch*>(static_cast<IUnknown*>(sink.get()));
        DispInvokeMethod(dispatch, id, args);
    }
}

void ConnectionPoint::clear()
{
    auto old = std::move(m_sinks);
    m_sinks.clear();
}
