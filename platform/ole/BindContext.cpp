#include "Bind.h"

#include <map>
#include <string>
#include <vector>

namespace {
// A bind context: the object parameters a bind carries (the bind-status callback
// above all) and the objects bound during it.
class BindContext final : public ComObject<IBindCtx> {
public:
    HRESULT RegisterObjectBound(IUnknown* punk) override
    {
        if (!punk)
            return E_INVALIDARG;
        m_bound.emplace_back(punk);
        return S_OK;
    }
    HRESULT RevokeObjectBound(IUnknown* punk) override
    {
        for (auto it = m_bound.begin(); it != m_bound.end(); ++it) {
            if (it->get() == punk) {
                m_bound.erase(it);
                return S_OK;
            }
        }
        return MK_E_NOTBINDABLE;
    }
    HRESULT ReleaseBoundObjects() override
    {
        auto released = std::move(m_bound);
        m_bound.clear();
        return S_OK;
    }
    HRESULT SetBindOptions(BIND_OPTS* opts) override
    {
        if (!opts)
            return E_INVALIDARG;
        m_options = *opts;
        return S_OK;
    }
    HRESULT GetBindOptions(BIND_OPTS* opts) override
    {
        if (!opts)
            return E_INVALIDARG;
        *opts = m_options;
        return S_OK;
    }
    HRESULT GetRunningObjectTable(IRunningObjectTable** table) override
    {
        if (table)
            *table = nullptr;
        return E_NOTIMPL;  // no running-object table in this process model
    }
    HRESULT RegisterObjectParam(LPCOLESTR key, IUnknown* punk) override
    {
        if (!key || !punk)
            return E_INVALIDARG;
        m_params[key] = ComPtr<IUnknown>(punk);
        return S_OK;
    }
    HRESULT GetObjectParam(LPCOLESTR key, IUnknown** punk) override
    {
        if (!punk)
            return E_POINTER;
        *punk = nullptr;
        if (!key)
            return E_INVALIDARG;
        auto it = m_params.find(key);
        if (it == m_params.end())
            return E_FAIL;
        return it->second.copyTo(punk);
    }
    HRESULT EnumObjectParam(IEnumString** e) override
    {
        if (e)
            *e = nullptr;
        return E_NOTIMPL;
    }
    HRESULT RevokeObjectParam(LPCOLESTR key) override
    {
        if (!key)
            return E_INVALIDARG;
        return m_params.erase(key) ? S_OK : S_FALSE;
    }

private:
    std::map<std::u16string, ComPtr<IUnknown>> m_params;
    std::vector<ComPtr<IUnknown>> m_bound;
    BIND_OPTS m_options;
};
}

HRESULT CreateBindCtx(DWORD, IBindCtx** ppbc)
{
    if (!ppbc)
        return E_INVALIDARG;
    return MakeCom<BindContext>().copyTo(ppbc);
}

HRESULT RegisterBindStatusCallback(IBindCtx* pbc, IBindStatusCallback* pbsc, IBindStatusCallback** ppbscPrevious,
    DWORD)
{
    if (ppbscPrevious)
        *ppbscPrevious = nullptr;
    if (!pbc || !pbsc)
        return E_INVALIDARG;
    ComPtr<IUnknown> previous;
    if (SUCCEEDED(pbc->GetObjectParam(kBindStatusCallbackKey, previous.put())) && previous && ppbscPrevious)
        previous->QueryInterface(IID_IBindStatusCallback, reinterpret_cast<void**>(ppbscPrevious));
    return pbc->RegisterObjectParam(kBindStatusCallbackKey, pbsc);
}

HRESULT RevokeBindStatusCallback(IBindCtx* pbc, IBindStatusCallback* pbsc)
{
    if (!pbc || !pbsc)
        return E_INVALIDARG;
    ComPtr<IUnknown> held;
    if (FAILED(pbc->GetObjectParam(kBindStatusCallbackKey, held.put())) || !held)
        return E_FAIL;
    auto heldCallback = held.as<IBindStatusCallback>();
    if (heldCallback.get() != pbsc)
        return E_FAIL;
    pbc->RevokeObjectParam(kBindStatusCallbackKey);
    return S_OK;
}

void ReleaseStgMedium(STGMEDIUM* medium)
{
    if (!medium)
        return;
    if (medium->pUnkForRelease)
        medium->pUnkForRelease->Release();
    else if (medium->tymed == TYMED_ISTREAM && medium->pstm)
        medium->pstm->Release();
    else if (medium->tymed == TYMED_HGLOBAL && medium->hGlobal)
        GlobalFree(medium->hGlobal);
    *medium = STGMEDIUM{};
}
