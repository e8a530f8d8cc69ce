// Fetching data through the host: the service provider that hands out the host's bind
// host, monikers and bind contexts, and the bind-status callback through which the
// bytes arrive.
#pragma once

#include "Bstr.h"
#include "Persist.h"

#include <string>

struct IBindCtx;
struct IEnumMoniker;
struct IRunningObjectTable;
struct IEnumString;
struct IBinding;

struct IServiceProvider : IUnknown {
    static constexpr IID kIid = MakeGuid("6D5140C1-7436-11CE-8034-00AA006009FA");
    using Base = IUnknown;
    virtual HRESULT QueryService(REFGUID guidService, REFIID riid, void** ppvObject) = 0;
};
inline constexpr const IID& IID_IServiceProvider = IServiceProvider::kIid;

struct IMoniker : IPersistStream {
    static constexpr IID kIid = MakeGuid("0000000F-0000-0000-C000-000000000046");
    using Base = IPersistStream;
    virtual HRESULT BindToObject(IBindCtx* pbc, IMoniker* pmkToLeft, REFIID riidResult, void** ppvResult) = 0;
    virtual HRESULT BindToStorage(IBindCtx* pbc, IMoniker* pmkToLeft, REFIID riid, void** ppvObj) = 0;
    virtual HRESULT Reduce(IBindCtx* pbc, DWORD dwReduceHowFar, IMoniker** ppmkToLeft, IMoniker** ppmkReduced) = 0;
    virtual HRESULT ComposeWith(IMoniker* pmkRight, BOOL fOnlyIfNotGeneric, IMoniker** ppmkComposite) = 0;
    virtual HRESULT Enum(BOOL fForward, IEnumMoniker** ppenumMoniker) = 0;
    virtual HRESULT IsEqual(IMoniker* pmkOtherMoniker) = 0;
    virtual HRESULT Hash(DWORD* pdwHash) = 0;
    virtual HRESULT IsRunning(IBindCtx* pbc, IMoniker* pmkToLeft, IMoniker* pmkNewlyRunning) = 0;
    virtual HRESULT GetTimeOfLastChange(IBindCtx* pbc, IMoniker* pmkToLeft, FILETIME* pFileTime) = 0;
    virtual HRESULT Inverse(IMoniker** ppmk) = 0;
    virtual HRESULT CommonPrefixWith(IMoniker* pmkOther, IMoniker** ppmkPrefix) = 0;
    virtual HRESULT RelativePathTo(IMoniker* pmkOther, IMoniker** ppmkRelPath) = 0;
    // The name comes back as a BSTR rather than a task-memory string.
    virtual HRESULT GetDisplayName(IBindCtx* pbc, IMoniker* pmkToLeft, BSTR* ppszDisplayName) = 0;
    virtual HRESULT ParseDisplayName(IBindCtx* pbc, IMoniker* pmkToLeft, LPOLESTR pszDisplayName, ULONG* pchEaten,
        IMoniker** ppmkOut) = 0;
    virtual HRESULT IsSystemMoniker(DWORD* pdwMksys) = 0;
};
inline constexpr const IID& IID_IMoniker = IMoniker::kIid;

struct IParseDisplayName : IUnknown {
    static constexpr IID kIid = MakeGuid("0000011A-0000-0000-C000-000000000046");
    using Base = IUnknown;
    virtual HRESULT ParseDisplayName(IBindCtx* pbc, LPOLESTR pszDisplayName, ULONG* pchEaten, IMoniker** ppmkOut) = 0;
};

struct BIND_OPTS {
    DWORD cbStruct = sizeof(BIND_OPTS);
    DWORD grfFlags = 0;
    DWORD grfMode = 0;
    DWORD dwTickCountDeadline = 0;
};

struct IBindCtx : IUnknown {
    static constexpr IID kIid = MakeGuid("0000000E-0000-0000-C000-000000000046");
    using Base = IUnknown;
    virtual HRESULT RegisterObjectBound(IUnknown* punk) = 0;
    virtual HRESULT RevokeObjectBound(IUnknown* punk) = 0;
    virtual HRESULT ReleaseBoundObjects() = 0;
    virtual HRESULT SetBindOptions(BIND_OPTS* pbindopts) = 0;
    virtual HRESULT GetBindOptions(BIND_OPTS* pbindopts) = 0;
    virtual HRESULT GetRunningObjectTable(IRunningObjectTable** pprot) = 0;
    virtual HRESULT RegisterObjectParam(LPCOLESTR pszKey, IUnknown* punk) = 0;
    virtual HRESULT GetObjectParam(LPCOLESTR pszKey, IUnknown** ppunk) = 0;
    virtual HRESULT EnumObjectParam(IEnumString** ppenum) = 0;
    virtual HRESULT RevokeObjectParam(LPCOLESTR pszKey) = 0;
};

struct IBindHost : IUnknown {
    static constexpr IID kIid = MakeGuid("FC4801A1-2BA9-11CF-A229-00AA003D7352");
    using Base = IUnknown;
    virtual HRESULT CreateMoniker(LPOLESTR szName, IBindCtx* pBC, IMoniker** ppmk, DWORD dwReserved) = 0;
    virtual HRESULT MonikerBindToStorage(IMoniker* pMk, IBindCtx* pBC, struct IBindStatusCallback* pBSC, REFIID riid,
        void** ppvObj) = 0;
    virtual HRESULT MonikerBindToObject(IMoniker* pMk, IBindCtx* pBC, struct IBindStatusCallback* pBSC, REFIID riid,
        void** ppvObj) = 0;
};
inline constexpr const IID& IID_IBindHost = IBindHost::kIid;
// The service under which a site offers its bind host is the interface's own id.
inline constexpr const GUID& SID_IBindHost = IBindHost::kIid;
inline constexpr const GUID& SID_SBindHost = IBindHost::kIid;

// Storage media and formats, as far as a data notification carries them.
constexpr DWORD TYMED_NULL = 0;
constexpr DWORD TYMED_HGLOBAL = 1;
constexpr DWORD TYMED_FILE = 2;
constexpr DWORD TYMED_ISTREAM = 4;

struct DVTARGETDEVICE;

struct FORMATETC {
    WORD cfFormat = 0;
    DVTARGETDEVICE* ptd = nullptr;
    DWORD dwAspect = 1;
    LONG lindex = -1;
    DWORD tymed = TYMED_NULL;
};

// A medium owns its stream (ReleaseStgMedium releases it), but the medium handed to
// OnDataAvailable stays the caller's: a callee AddRefs the stream it keeps.
struct STGMEDIUM {
    DWORD tymed = TYMED_NULL;
    IStream* pstm = nullptr;
    HGLOBAL hGlobal = nullptr;
    IUnknown* pUnkForRelease = nullptr;
};

constexpr DWORD BINDF_ASYNCHRONOUS = 0x1;
constexpr DWORD BINDF_ASYNCSTORAGE = 0x2;
constexpr DWORD BINDF_NOPROGRESSIVERENDERING = 0x4;
constexpr DWORD BINDF_GETNEWESTVERSION = 0x10;
constexpr DWORD BINDF_NOWRITECACHE = 0x20;
constexpr DWORD BINDF_PULLDATA = 0x80;

constexpr DWORD BINDVERB_GET = 0;

struct BINDINFO {
    ULONG cbSize = sizeof(BINDINFO);
    BSTR szExtraInfo;
    STGMEDIUM stgmedData;
    DWORD grfBindInfoF = 0;
    DWORD dwBindVerb = BINDVERB_GET;
    BSTR szCustomVerb;
    DWORD cbstgmedData = 0;
    DWORD dwOptions = 0;
    DWORD dwOptionsFlags = 0;
    DWORD dwCodePage = 0;
};

constexpr ULONG BINDSTATUS_FINDINGRESOURCE = 1;
constexpr ULONG BINDSTATUS_CONNECTING = 2;
constexpr ULONG BINDSTATUS_REDIRECTING = 3;
constexpr ULONG BINDSTATUS_BEGINDOWNLOADDATA = 4;
constexpr ULONG BINDSTATUS_DOWNLOADINGDATA = 5;
constexpr ULONG BINDSTATUS_ENDDOWNLOADDATA = 6;

constexpr DWORD BSCF_FIRSTDATANOTIFICATION = 0x1;
constexpr DWORD BSCF_INTERMEDIATEDATANOTIFICATION = 0x2;
constexpr DWORD BSCF_LASTDATANOTIFICATION = 0x4;
constexpr DWORD BSCF_DATAFULLYAVAILABLE = 0x8;

struct IBindStatusCallback : IUnknown {
    static constexpr IID kIid = MakeGuid("79EAC9C1-BAF9-11CE-8C82-00AA004BA90B");
    using Base = IUnknown;
    virtual HRESULT OnStartBinding(DWORD dwReserved, IBinding* pib) = 0;
    virtual HRESULT GetPriority(LONG* pnPriority) = 0;
    virtual HRESULT OnLowResource(DWORD reserved) = 0;
    virtual HRESULT OnProgress(ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode, LPCOLESTR szStatusText) = 0;
    virtual HRESULT OnStopBinding(HRESULT hresult, LPCOLESTR szError) = 0;
    virtual HRESULT GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) = 0;
    virtual HRESULT OnDataAvailable(DWORD grfBSCF, DWORD dwSize, FORMATETC* pformatetc, STGMEDIUM* pstgmed) = 0;
    virtual HRESULT OnObjectAvailable(REFIID riid, IUnknown* punk) = 0;
};
inline constexpr const IID& IID_IBindStatusCallback = IBindStatusCallback::kIid;

// The key under which a bind context carries the callback of the bind in progress.
inline constexpr const char16_t* kBindStatusCallbackKey = u"_BSCB_Holder_";

HRESULT CreateBindCtx(DWORD reserved, IBindCtx** ppbc);
// Registers the callback in the bind context under "_BSCB_Holder_"; the previous
// one, when asked for, is handed back.
HRESULT RegisterBindStatusCallback(IBindCtx* pbc, IBindStatusCallback* pbsc, IBindStatusCallback** ppbscPrevious,
    DWORD reserved);
HRESULT RevokeBindStatusCallback(IBindCtx* pbc, IBindStatusCallback* pbsc);
void ReleaseStgMedium(STGMEDIUM* medium);

// The platform's URL fetch: reads a local path or a file URL and feeds the callback
// (start, progress, all the data in one notification, stop) before it returns. There
// is no network here: any other URL fails with INET_E_RESOURCE_NOT_FOUND after the
// callback has been told so. Files larger than the stream limit are refused.
HRESULT URLOpenPullStreamA(IUnknown* caller, const char* url, DWORD reserved, IBindStatusCallback* callback);
// The file a URL names, when it names one on this machine ("file://" URLs, plain
// absolute or relative paths); empty otherwise.
std::string LocalPathFromUrl(const std::string& url);
