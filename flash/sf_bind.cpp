// The bind service: the control asks the host for a moniker of each URL it fetches and
// binds it; the host decides where the bytes come from (a file, an embedded resource,
// a movie-list entry, a stream of the caller, or the platform's fetch) and serves them
// through the control's bind-status callback.
#include "Stream.h"
#include "WideString.h"
#include "sf_flash.h"
#include "sf_flashlist.h"
#include "sf_resources.h"
#include "sf_utils.h"

using namespace sf_utils;

namespace {

const char* const kKnownExtensions[] = {".swf", ".flv", ".xml", ".jpg", ".png", ".mp3", ".ogg", ".txt"};

bool hasKnownExtension(const std::string& text)
{
    for (const char* ext : kKnownExtensions)
        if (Contains(text, ext))
            return true;
    return false;
}

// Hands all the data to the callback at once: start, progress, one data notification
// that is both first and last, stop.
void serve(IBindStatusCallback* callback, std::vector<uint8_t> bytes)
{
    ComPtr<IStream> stream = SHCreateMemStream(bytes.data(), bytes.size());
    STGMEDIUM medium;
    medium.tymed = TYMED_ISTREAM;
    medium.pstm = stream.get();
    callback->OnStartBinding(0, nullptr);
    callback->OnProgress(100, 100, BINDSTATUS_ENDDOWNLOADDATA, u"");
    callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION, static_cast<DWORD>(bytes.size()),
                              nullptr, &medium);
    callback->OnStopBinding(S_OK, u"");
}

std::vector<uint8_t> readAll(TStream& stream)
{
    stream.SetPosition(0);
    std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

} // namespace

HRESULT TsfFlashPlayer::CreateMoniker(LPOLESTR szName, IBindCtx*, IMoniker** ppmk, DWORD)
{
    if (!ppmk)
        return E_POINTER;
    *ppmk = static_cast<IMoniker*>(this);
    AddRef();
    std::string text = szName ? WideToUtf8(szName) : std::string();
    if (StartsWith(text, "./"))
        text = text.substr(2);
    if (text == "file://")
        return S_OK;
    if (!hasKnownExtension(text)) {
        Release();
        *ppmk = nullptr;
        return E_NOTIMPL;
    }
    const std::string prefix = WideToUtf8(HostUrlPrefix);
    const std::string exe = ExeFolder();
    std::string pending;
    bool set = false;
    if (m_flashList && m_flashList->FindFlash(UrlFileName(text))) {
        pending = "<list>" + UrlFileName(text);
        set = true;
    } else if (sf_resources::Find(StripExtension(text))) {
        pending = "<res>" + text;
        set = true;
    } else if (StartsWith(text, prefix) && LocalFileExists(exe + text.substr(prefix.size()))) {
        pending = exe + text.substr(prefix.size());
        set = true;
    } else if (LocalFileExists(exe + text)) {
        pending = exe + text;
        set = true;
    } else if (StartsWith(text, prefix)) {
        std::string t = text.substr(prefix.size());
        if (StartsWith(t, "./"))
            t = t.substr(2);
        // An absolute path that names no existing file leaves the pending source as it
        // was. Paths here start with "/" (or a drive letter, as the program's own
        // stored paths may).
        bool absolute = (t.size() > 2 && t[1] == ':') || StartsWith(t, "/");
        if (!absolute || LocalFileExists(t)) {
            pending = t;
            set = true;
        }
    } else if (!StartsWith(text, "file://") || LocalFileExists(text)) {
        pending = text;
        set = true;
    }
    if (set)
        PendingSource = Utf8ToWide(ReplaceAll(pending, "\\", "/"));
    return S_OK;
}

HRESULT TsfOleControl::BindToStorage(IBindCtx* pbc, IMoniker*, REFIID, void**)
{
    if (!pbc)
        return E_FAIL;
    ComPtr<IUnknown> holder;
    if (FAILED(pbc->GetObjectParam(kBindStatusCallbackKey, holder.put())) || !holder)
        return E_FAIL;
    auto callback = QueryAs<IBindStatusCallback>(holder.get());
    if (!callback)
        return E_FAIL;
    std::string source = WideToUtf8(PendingSource);
    if (StartsWith(source, "<res>")) {
        const std::vector<uint8_t>* bytes = sf_resources::Find(StripExtension(source.substr(5)));
        PendingSource.clear();
        if (!bytes)
            return E_FAIL;
        serve(callback.get(), *bytes);
        return S_OK;
    }
    if (StartsWith(source, "<list>")) {
        TsfFlashStream* item = m_flashList ? m_flashList->FindFlash(source.substr(6)) : nullptr;
        if (!item)
            return E_FAIL;
        PendingSource.clear();
        serve(callback.get(), readAll(item->Stream()));
        return S_OK;
    }
    if (StartsWith(source, "<stream>")) {
        // Only tokens this host issued name streams: a movie may ask for any URL.
        TStream* stream = TokenStream(source.substr(8, 8));
        if (!stream)
            return E_FAIL;
        PendingSource.clear();
        serve(callback.get(), readAll(*stream));
        return S_OK;
    }
    PendingSource.clear();
    return SUCCEEDED(URLOpenPullStreamA(nullptr, source.c_str(), 0, callback.get())) ? S_OK : E_FAIL;
}
