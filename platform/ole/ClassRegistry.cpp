#include "ClassRegistry.h"

#include <vector>

namespace {
struct Registration {
    DWORD cookie;
    CLSID clsid;
    DWORD context;
    ComPtr<IClassFactory> factory;
};

// Everything runs on the user-interface thread, as the apartment model has it, so the
// registry needs no lock.
std::vector<Registration>& registry()
{
    static std::vector<Registration> entries;
    return entries;
}

DWORD g_nextCookie = 1;

class FunctionFactory final : public ComObject<IClassFactory> {
public:
    explicit FunctionFactory(std::function<ComPtr<IUnknown>()> create) : m_create(std::move(create)) {}

    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        ComPtr<IUnknown> object = m_create();
        if (!object)
            return E_OUTOFMEMORY;
        return object->QueryInterface(riid, ppv);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    std::function<ComPtr<IUnknown>()> m_create;
};

const Registration* find(REFCLSID clsid, DWORD context)
{
    auto& entries = registry();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->clsid == clsid && (it->context & context))
            return &*it;
    return nullptr;
}
}

HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD, DWORD* lpdwRegister)
{
    if (!pUnk || !lpdwRegister)
        return E_INVALIDARG;
    *lpdwRegister = 0;
    auto factory = QueryAs<IClassFactory>(pUnk);
    if (!factory)
        return E_NOINTERFACE;
    DWORD cookie = g_nextCookie++;
    registry().push_back(Registration{cookie, rclsid, dwClsContext ? dwClsContext : CLSCTX_INPROC_SERVER, factory});
    *lpdwRegister = cookie;
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD dwRegister)
{
    auto& entries = registry();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->cookie == dwRegister) {
            // Release outside the list: a factory's destruction must not see it half-changed.
            ComPtr<IClassFactory> released = std::move(it->factory);
            entries.erase(it);
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void*, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    const Registration* entry = find(rclsid, dwClsContext);
    if (!entry)
        return REGDB_E_CLASSNOTREG;
    return entry->factory->QueryInterface(riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, factory.putVoid());
    if (FAILED(hr))
        return hr;
    return factory->CreateInstance(pUnkOuter, riid, ppv);
}

ComPtr<IClassFactory> MakeClassFactory(std::function<ComPtr<IUnknown>()> create)
{
    return MakeCom<FunctionFactory>(std::move(create));
}

ScopedClassRegistration::ScopedClassRegistration(REFCLSID clsid, std::function<ComPtr<IUnknown>()> create)
{
    auto factory = MakeClassFactory(std::move(create));
    CoRegisterClassObject(clsid, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
}

ScopedClassRegistration::~ScopedClassRegistration()
{
    if (m_cookie)
        CoRevokeClassObject(m_cookie);
}
