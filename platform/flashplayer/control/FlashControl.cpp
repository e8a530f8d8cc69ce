// The control's object life, its IOleObject and IOleControl faces, persistence and
// its connection points.
#include "FlashControl.h"

#include "MovieDownload.h"
#include "PropertyText.h"

#include <utility>

namespace flashcontrol {
namespace {
// The authoring tool's default stage, 550 x 400 pixels, in HIMETRIC at 96 pixels per
// inch: the size a host gives the control before it has a movie.
constexpr LONG kDefaultExtentX = 14552;
constexpr LONG kDefaultExtentY = 10583;
// Stored state larger than this is not ours.
constexpr uint64_t kMaxStoredState = 8u << 20;
}

FlashControl::FlashControl(std::unique_ptr<ControlEngine> engine)
    : m_engine(std::move(engine)),
      m_events(*identity(), *this, DIID_ShockwaveFlashEvents),
      m_propertyNotify(*identity(), *this, IID_IPropertyNotifySink),
      m_extent{kDefaultExtentX, kDefaultExtentY}
{
    EngineCallbacks callbacks;
    callbacks.repaint = [this] { requestRepaint(); };
    callbacks.fsCommand = [this](const std::string& command, const std::string& args) {
        fireEvent(flashdispid::FSCommand, {VariantFromString(BSTR::FromUtf8(command)), VariantFromString(BSTR::FromUtf8(args))});
    };
    callbacks.getUrl = [this](const std::string& url, const std::string& target) { openUrl(url, target); };
    callbacks.fetch = [this](const std::string& url, size_t maxBytes) { return fetchMedia(url, maxBytes); };
    m_engine->setCallbacks(std::move(callbacks));
    applyStateToEngine();
}

FlashControl::~FlashControl()
{
    // Downloads may outlive us inside the host's bind service: cut them loose.
    for (auto& download : m_downloads)
        download->detach();
    m_events.clear();
    m_propertyNotify.clear();
    m_engine->setCallbacks({});
}

ComPtr<IUnknown> CreateFlashControl(std::unique_ptr<ControlEngine> engine)
{
    if (!engine)
        return nullptr;
    auto control = MakeCom<FlashControl>(std::move(engine));
    return control.as<IUnknown>();
}

void FlashControl::fireEvent(DISPID id, std::initializer_list<VARIANT> args)
{
    // Frozen events are dropped, not queued, as containers expect.
    if (m_freezeCount > 0)
        return;
    ComPtr<IUnknown> keepAlive(identity());
    m_events.fireDispatch(id, args);
}

void FlashControl::propertyChanged(DISPID id)
{
    m_dirty = true;
    if (m_freezeCount > 0)
        return;
    for (const auto& sink : m_propertyNotify.sinks())
        static_cast<IPropertyNotifySink*>(sink.get())->OnChanged(id);
}

// --- IOleObject ------------------------------------------------------------------------

HRESULT FlashControl::SetClientSite(IOleClientSite* site)
{
    if (!site && m_inPlaceActive)
        InPlaceDeactivate();
    m_clientSite = site;
    return S_OK;
}

HRESULT FlashControl::GetClientSite(IOleClientSite** site)
{
    if (!site)
        return E_POINTER;
    return m_clientSite.copyTo(site);
}

HRESULT FlashControl::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

HRESULT FlashControl::Close(DWORD saveOption)
{
    InPlaceDeactivate();
    if (saveOption == OLECLOSE_SAVEIFDIRTY && m_dirty && m_clientSite)
        m_clientSite->SaveObject();
    return S_OK;
}

HRESULT FlashControl::SetMoniker(DWORD, IMoniker*)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::GetMoniker(DWORD, DWORD, IMoniker** mk)
{
    if (mk)
        *mk = nullptr;
    return E_NOTIMPL;
}

HRESULT FlashControl::InitFromData(IDataObject*, BOOL, DWORD)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::GetClipboardData(DWORD, IDataObject** data)
{
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT FlashControl::EnumVerbs(IEnumOLEVERB** verbs)
{
    if (verbs)
        *verbs = nullptr;
    return OLE_S_USEREG;
}

HRESULT FlashControl::Update()
{
    return S_OK;
}

HRESULT FlashControl::IsUpToDate()
{
    return S_OK;
}

HRESULT FlashControl::GetUserClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_ShockwaveFlash;
    return S_OK;
}

HRESULT FlashControl::GetUserType(DWORD form, BSTR* type)
{
    if (!type)
        return E_POINTER;
    *type = BSTR(form == USERCLASSTYPE_SHORT ? u"Flash" : u"Shockwave Flash Object");
    return S_OK;
}

HRESULT FlashControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size || size->cx < 0 || size->cy < 0)
        return E_INVALIDARG;
    m_extent = *size;
    m_dirty = true;
    return S_OK;
}

HRESULT FlashControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = m_extent;
    return S_OK;
}

HRESULT FlashControl::Advise(IAdviseSink*, DWORD* connection)
{
    if (connection)
        *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT FlashControl::Unadvise(DWORD)
{
    return OLE_E_NOCONNECTION;
}

HRESULT FlashControl::EnumAdvise(IEnumSTATDATA** e)
{
    if (e)
        *e = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT FlashControl::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status)
        return E_POINTER;
    // The host must hand over its site before anything else: the control reads its
    // services (the bind host) from it while it initialises and loads.
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_RECOMPOSEONRESIZE |
        OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT;
    (void)aspect;  // the same for every aspect
    return S_OK;
}

HRESULT FlashControl::SetColorScheme(LOGPALETTE*)
{
    return E_NOTIMPL;
}

// --- IOleControl -----------------------------------------------------------------------

HRESULT FlashControl::GetControlInfo(CONTROLINFO* info)
{
    if (!info)
        return E_POINTER;
    *info = CONTROLINFO{};
    return S_OK;
}

HRESULT FlashControl::OnMnemonic(MSG*)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::OnAmbientPropertyChange(DISPID)
{
    return S_OK;
}

HRESULT FlashControl::FreezeEvents(BOOL freeze)
{
    if (freeze)
        ++m_freezeCount;
    else if (m_freezeCount > 0)
        --m_freezeCount;
    return S_OK;
}

// --- IPersistStreamInit ----------------------------------------------------------------

HRESULT FlashControl::GetClassID(CLSID* clsid)
{
    return GetUserClassID(clsid);
}

HRESULT FlashControl::IsDirty()
{
    return m_dirty ? S_OK : S_FALSE;
}

HRESULT FlashControl::Load(IStream* stream)
{
    if (!stream)
        return E_POINTER;
    std::vector<uint8_t> bytes;
    if (!ReadAllFromStream(stream, bytes, kMaxStoredState))
        return STG_E_READFAULT;
    ControlState state;
    if (!LoadControlState(bytes, state))
        return E_FAIL;
    m_state = std::move(state);
    applyStateToEngine();
    m_dirty = false;
    if (!m_state.movie.empty())
        startLoad(0, m_state.movie);
    return S_OK;
}

HRESULT FlashControl::Save(IStream* stream, BOOL clearDirty)
{
    if (!stream)
        return E_POINTER;
    std::vector<uint8_t> bytes = SaveControlState(m_state);
    ULONG written = 0;
    HRESULT hr = stream->Write(bytes.data(), ULONG(bytes.size()), &written);
    if (FAILED(hr))
        return hr;
    if (written != bytes.size())
        return STG_E_MEDIUMFULL;
    if (clearDirty)
        m_dirty = false;
    return S_OK;
}

HRESULT FlashControl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size)
        return E_POINTER;
    *size = SaveControlState(m_state).size();
    return S_OK;
}

HRESULT FlashControl::InitNew()
{
    m_state = ControlState{};
    applyStateToEngine();
    m_dirty = false;
    return S_OK;
}

void FlashControl::applyStateToEngine()
{
    m_engine->setAutoPlay(m_state.playing);
    m_engine->setLoop(m_state.loop);
    m_engine->setQuality(EngineQuality(m_state.quality));
    m_engine->setScaleMode(EngineScale(m_state.scaleMode));
    m_engine->setAlign(unsigned(m_state.alignMode));
    m_engine->setBackgroundColor(m_state.backgroundColor < 0 ? -1 : int32_t(ColourRefToRgb(m_state.backgroundColor)));
    m_engine->setTransparent(transparentMode());
}

bool FlashControl::transparentMode() const
{
    return IsTransparentWMode(m_state.wmode);
}

// --- IConnectionPointContainer ---------------------------------------------------------

HRESULT FlashControl::EnumConnectionPoints(IEnumConnectionPoints** e)
{
    if (e)
        *e = nullptr;
    return E_NOTIMPL;
}

HRESULT FlashControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    *point = nullptr;
    ConnectionPoint* found = riid == DIID_ShockwaveFlashEvents ? &m_events
        : riid == IID_IPropertyNotifySink                       ? &m_propertyNotify
                                                                : nullptr;
    if (!found)
        return CONNECT_E_NOCONNECTION;
    *point = found;
    found->AddRef();
    return S_OK;
}

}  // namespace flashcontrol
