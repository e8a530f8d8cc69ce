// Creating, initialising, activating, persisting and destroying the hosted control.
#include "ClassRegistry.h"
#include "ConnectionPoint.h"
#include "Exceptions.h"
#include "Persist.h"
#include "WindowMessages.h"
#include "sf_olesite_parts.h"
#include "sf_utils.h"

namespace {

constexpr int kPixelsPerInch = 96;

DWORD connect(IUnknown* object, const IID& iid, IUnknown* sink)
{
    auto container = QueryAs<IConnectionPointContainer>(object);
    if (!container)
        return 0;
    ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(iid, point.put())) || !point)
        return 0;
    DWORD cookie = 0;
    if (FAILED(point->Advise(sink, &cookie)))
        return 0;
    return cookie;
}

void unadvise(IUnknown* object, const IID& iid, DWORD& cookie)
{
    if (cookie == 0)
        return;
    if (auto container = QueryAs<IConnectionPointContainer>(object)) {
        ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(container->FindConnectionPoint(iid, point.put())) && point)
            point->Unadvise(cookie);
    }
    cookie = 0;
}

} // namespace

TsfOleControl::TsfOleControl()
    : m_eventSink(std::make_unique<EventDispatch>(*this)), m_frame(std::make_unique<FrameWindow>(*this)),
      m_plainSite(std::make_unique<PlainSite>(*this))
{
    SetColor(clWindow);
}

void TsfOleControl::Initialize()
{
    InitControlData(m_data);
    ComPtr<IOleObject> object;
    HRESULT hr = CoCreateInstance(m_data.ClassID, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IOleObject::kIid, object.putVoid());
    if (FAILED(hr) || !object) {
        m_createFailed = true;
        return;
    }
    m_oleObject = object;
    OleCheck(m_oleObject->GetMiscStatus(DVASPECT_CONTENT, &m_miscStatus));
    if (m_miscStatus & OLEMISC_SETCLIENTSITEFIRST)
        OleCheck(m_oleObject->SetClientSite(this));
    m_persistStream = QueryAs<IPersistStreamInit>(m_oleObject.get());
    if (!m_persistStream)
        OleCheck(E_NOINTERFACE);
    if (m_miscStatus & OLEMISC_INVISIBLEATRUNTIME)
        SetVisible(false);
    OleCheck(RequestNewObjectLayout());
}

HRESULT TsfOleControl::RequestNewObjectLayout()
{
    if (!m_oleObject)
        return E_FAIL;
    SIZEL extent;
    HRESULT hr = m_oleObject->GetExtent(DVASPECT_CONTENT, &extent);
    if (SUCCEEDED(hr)) {
        int w = MulDiv(extent.cx, kPixelsPerInch, 2540);
        int h = MulDiv(extent.cy, kPixelsPerInch, 2540);
        if ((m_miscStatus & OLEMISC_INVISIBLEATRUNTIME) && !m_oleControl) {
            w = std::min(w, 32);
            h = std::min(h, 32);
        }
        SetBounds(Left(), Top(), w, h);
    }
    return hr;
}

void TsfOleControl::CreateControl()
{
    if (!m_oleObject || m_oleControl)
        return;
    try {
        ComPtr<IOleClientSite> site;
        HRESULT hr = m_oleObject->GetClientSite(site.put());
        if (FAILED(hr) || !site)
            OleCheck(m_oleObject->SetClientSite(this));
        if (m_hasObjectData) {
            ComPtr<IStream> stream = SHCreateMemStream(m_objectData.data(), m_objectData.size());
            OleCheck(m_persistStream->Load(stream.get()));
            m_objectData.clear();
            m_hasObjectData = false;
        } else {
            OleCheck(m_persistStream->InitNew());
        }
        m_oleControl = QueryAs<IOleControl>(m_oleObject.get());
        if (!m_oleControl)
            OleCheck(E_NOINTERFACE);
        m_controlDispatch = QueryAs<IDispatch>(m_oleObject.get());
        if (!m_controlDispatch)
            OleCheck(E_NOINTERFACE);
        m_propertyBrowsing = QueryAs<IPerPropertyBrowsing>(m_oleObject.get());
        m_propertyCookie = connect(m_oleObject.get(), IPropertyNotifySink::kIid, static_cast<IPropertyNotifySink*>(this));
        m_eventCookie = connect(m_oleObject.get(), m_data.EventIID, m_eventSink.get());
        const std::pair<DWORD, DISPID> stock[] = {{1, -501}, {8, -514}, {4, -512}, {2, -513}};
        for (const auto& [flag, id] : stock)
            if (m_data.Flags & flag)
                PropertyChanged(id);
        m_oleControl->OnAmbientPropertyChange(DISPID_UNKNOWN);
        RequestNewObjectLayout();
    } catch (...) {
        disconnect();
        throw;
    }
}

void TsfOleControl::ActivateControl()
{
    if (m_createFailed)
        return;
    CreateControl();
    if (m_miscStatus & OLEMISC_INVISIBLEATRUNTIME)
        return;
    RECT bounds{Left(), Top(), Left() + Width(), Top() + Height()};
    m_oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, nullptr, &bounds);
    if (!m_inPlaceObject)
        throw Exception("OLE control activation failed");
    if (m_windowlessObject) {
        LRESULT result = 0;
        m_windowlessObject->OnWindowMessage(WM_SETFOCUS, 0, 0, &result);
    }
}

void TsfOleControl::disconnect()
{
    if (!m_oleObject)
        return;
    if (!(m_miscStatus & OLEMISC_INVISIBLEATRUNTIME))
        m_oleObject->Close(OLECLOSE_NOSAVE);
    unadvise(m_oleObject.get(), m_data.EventIID, m_eventCookie);
    unadvise(m_oleObject.get(), IPropertyNotifySink::kIid, m_propertyCookie);
    m_propertyBrowsing.reset();
    m_controlDispatch.reset();
    m_oleControl.reset();
}

TsfOleControl::~TsfOleControl()
{
    if (m_oleObject)
        m_oleObject->Close(OLECLOSE_NOSAVE);
    disconnect();
    m_objectData.clear();
    m_persistStream.reset();
    OnInPlaceDeactivate();
    m_inPlaceActiveObject.reset();
    if (m_oleObject)
        m_oleObject->SetClientSite(nullptr);
    m_oleObject.reset();
    m_backgroundBuffer.reset();
    m_workBuffer.reset();
    m_backBuffer.reset();
}

std::vector<uint8_t> TsfOleControl::WriteControlData()
{
    if (m_hasObjectData)
        return m_objectData;
    if (!m_persistStream)
        return {};
    ComPtr<IStream> stream = SHCreateMemStream(nullptr, 0);
    OleCheck(m_persistStream->Save(stream.get(), 1));
    ULARGE_INTEGER end = 0;
    stream->Seek(0, STREAM_SEEK_END, &end);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(static_cast<size_t>(end));
    ULONG read = 0;
    if (!bytes.empty())
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    return bytes;
}

void TsfOleControl::ReadControlData(const std::vector<uint8_t>& bytes)
{
    m_objectData = bytes;
    m_hasObjectData = true;
}

void TsfOleControl::SetParent(TWinControl* parent)
{
    TGraphicControl::SetParent(parent);
    if (m_createFailed || !parent || !m_oleObject)
        return;
    ComPtr<IOleClientSite> site;
    HRESULT hr = m_oleObject->GetClientSite(site.put());
    if (FAILED(hr) || !site)
        OleCheck(m_oleObject->SetClientSite(this));
    if (m_oleControl)
        m_oleControl->OnAmbientPropertyChange(DISPID_UNKNOWN);
}

void TsfOleControl::SetName(const std::string& name)
{
    TGraphicControl::SetName(name);
    if (m_oleControl)
        m_oleControl->OnAmbientPropertyChange(DISPID_AMBIENT_DISPLAYNAME);
}

void TsfOleControl::Loaded()
{
    TGraphicControl::Loaded();
    m_backgroundStale = true;
}

HRESULT TsfOleControl::QueryService(REFGUID, REFIID riid, void** ppvObject) { return QueryInterface(riid, ppvObject); }

HRESULT TsfOleControl::GetClassID(CLSID* pClassID)
{
    if (pClassID)
        *pClassID = CLSID{};
    return E_NOTIMPL;
}

namespace {
template <class T>
HRESULT notImplemented(T** out)
{
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}
} // namespace

HRESULT TsfOleControl::BindToObject(IBindCtx*, IMoniker*, REFIID, void** ppvResult) { return notImplemented(ppvResult); }
HRESULT TsfOleControl::Reduce(IBindCtx*, DWORD, IMoniker** ppmkToLeft, IMoniker** ppmkReduced)
{
    notImplemented(ppmkToLeft);
    return notImplemented(ppmkReduced);
}
HRESULT TsfOleControl::ComposeWith(IMoniker*, BOOL, IMoniker** ppmkComposite) { return notImplemented(ppmkComposite); }
HRESULT TsfOleControl::Enum(BOOL, IEnumMoniker** ppenumMoniker) { return notImplemented(ppenumMoniker); }
HRESULT TsfOleControl::Inverse(IMoniker** ppmk) { return notImplemented(ppmk); }
HRESULT TsfOleControl::CommonPrefixWith(IMoniker*, IMoniker** ppmkPrefix) { return notImplemented(ppmkPrefix); }
HRESULT TsfOleControl::RelativePathTo(IMoniker*, IMoniker** ppmkRelPath) { return notImplemented(ppmkRelPath); }
HRESULT TsfOleControl::ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker** ppmkOut)
{
    return notImplemented(ppmkOut);
}
HRESULT TsfOleControl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker** ppmkOut) { return notImplemented(ppmkOut); }

void TsfOleControl::SetFlashList(TsfFlashList* list)
{
    m_flashList = list;
    if (!list)
        m_flashIndex = -1;
}
