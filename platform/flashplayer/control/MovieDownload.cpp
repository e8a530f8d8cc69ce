#include "MovieDownload.h"

#include "FlashControl.h"

#include <algorithm>

namespace flashcontrol {

MovieDownload::MovieDownload(FlashControl* owner, int layer, std::u16string url)
    : m_owner(owner), m_layer(layer), m_url(std::move(url))
{
}

void MovieDownload::fail()
{
    finish(false);
}

void MovieDownload::finish(bool ok)
{
    if (m_finished)
        return;
    m_finished = true;
    m_succeeded = ok;
    ComPtr<IBindStatusCallback> keepAlive(this);
    if (m_collecting) {
        if (!ok)
            m_bytes.clear();
        return;   // the caller takes the bytes
    }
    if (m_owner)
        m_owner->downloadFinished(this, ok, m_bytes);
    m_bytes.clear();
    m_bytes.shrink_to_fit();
}

HRESULT MovieDownload::OnStartBinding(DWORD, IBinding*)
{
    return S_OK;
}

HRESULT MovieDownload::GetPriority(LONG* priority)
{
    if (!priority)
        return E_POINTER;
    *priority = 0;
    return S_OK;
}

HRESULT MovieDownload::OnLowResource(DWORD)
{
    return S_OK;
}

HRESULT MovieDownload::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCOLESTR)
{
    if (progressMax > 0)
        m_expected = progressMax;
    if (m_owner && !m_finished && progressMax > 0)
        m_owner->downloadProgress(this, progress, progressMax);
    return S_OK;
}

HRESULT MovieDownload::OnStopBinding(HRESULT result, LPCOLESTR)
{
    finish(SUCCEEDED(result));
    return S_OK;
}

HRESULT MovieDownload::GetBindInfo(DWORD* bindf, BINDINFO* info)
{
    if (bindf)
        *bindf = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION;
    if (info) {
        info->dwBindVerb = BINDVERB_GET;
        info->grfBindInfoF = 0;
    }
    return S_OK;
}

HRESULT MovieDownload::OnDataAvailable(DWORD flags, DWORD size, FORMATETC*, STGMEDIUM* medium)
{
    if (m_finished)
        return S_OK;
    if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm) {
        finish(false);
        return E_INVALIDARG;
    }
    // Read what the stream holds now; a later notification continues from there.
    std::vector<uint8_t> chunk;
    uint64_t room = kMaxMovieBytes - m_bytes.size();
    if (!ReadAllFromStream(medium->pstm, chunk, room)) {
        finish(false);
        return E_ABORT;
    }
    m_bytes.insert(m_bytes.end(), chunk.begin(), chunk.end());
    if (m_owner)
        m_owner->downloadProgress(this, m_bytes.size(), std::max<uint64_t>({m_expected, size, m_bytes.size()}));
    if (flags & BSCF_LASTDATANOTIFICATION)
        finish(true);
    return S_OK;
}

HRESULT MovieDownload::OnObjectAvailable(REFIID, IUnknown*)
{
    return S_OK;
}

}  // namespace flashcontrol
