// The control object: what a host creates under CLSID_ShockwaveFlash. It offers the
// automation interface, the embedding interfaces of a windowless in-place control, a
// view object that draws into device contexts, persistence of its properties, and
// connection points for its events and property notifications. The movie itself is
// played by a ControlEngine.
#pragma once

#include "ConnectionPoint.h"
#include "ControlEngine.h"
#include "ControlState.h"
#include "Embedding.h"
#include "FlashSound.h"
#include "ShockwaveFlash.h"

#include <memory>
#include <string>
#include <vector>

namespace flashcontrol {

class MovieDownload;

class FlashControl final
    : public ComObject<IShockwaveFlash, IOleObject, IOleControl, IOleInPlaceObjectWindowless, IOleInPlaceActiveObject,
          IViewObject2, IPersistStreamInit, IConnectionPointContainer, IFlashSound> {
public:
    explicit FlashControl(std::unique_ptr<ControlEngine> engine);
    ~FlashControl() override;

    // --- IDispatch ---
    HRESULT GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
        EXCEPINFO* excep, UINT* argErr) override;

    // --- IFlashSound (FlashControlSound.cpp) ---
    HRESULT SetSoundCapture(VARIANT_BOOL on) override;
    HRESULT ReadCapturedSound(SHORT* frames, ULONG maxFrames, ULONG* read) override;
    HRESULT SetLiveSound(VARIANT_BOOL on) override;
    HRESULT ReadLiveSound(SHORT* frames, ULONG maxFrames, ULONG* read) override;
    HRESULT put_SoundVolume(LONG percent) override;
    HRESULT get_SoundVolume(LONG* percent) override;

    // --- IShockwaveFlash ---
    HRESULT get_ReadyState(LONG* state) override;
    HRESULT get_TotalFrames(LONG* frames) override;
    HRESULT get_Playing(VARIANT_BOOL* playing) override;
    HRESULT put_Playing(VARIANT_BOOL playing) override;
    HRESULT get_Quality(INT* quality) override;
    HRESULT put_Quality(INT quality) override;
    HRESULT get_ScaleMode(INT* mode) override;
    HRESULT put_ScaleMode(INT mode) override;
    HRESULT get_AlignMode(INT* mode) override;
    HRESULT put_AlignMode(INT mode) override;
    HRESULT get_BackgroundColor(LONG* colour) override;
    HRESULT put_BackgroundColor(LONG colour) override;
    HRESULT get_Loop(VARIANT_BOOL* loop) override;
    HRESULT put_Loop(VARIANT_BOOL loop) override;
    HRESULT get_Movie(BSTR* movie) override;
    HRESULT put_Movie(BSTR movie) override;
    HRESULT get_FrameNum(LONG* frame) override;
    HRESULT put_FrameNum(LONG frame) override;
    HRESULT SetZoomRect(LONG left, LONG top, LONG right, LONG bottom) override;
    HRESULT Zoom(INT factor) override;
    HRESULT Pan(LONG x, LONG y, INT mode) override;
    HRESULT Play() override;
    HRESULT Stop() override;
    HRESULT Back() override;
    HRESULT Forward() override;
    HRESULT Rewind() override;
    HRESULT StopPlay() override;
    HRESULT GotoFrame(LONG frame) override;
    HRESULT CurrentFrame(LONG* frame) override;
    HRESULT IsPlaying(VARIANT_BOOL* playing) override;
    HRESULT PercentLoaded(LONG* percent) override;
    HRESULT FrameLoaded(LONG frame, VARIANT_BOOL* loaded) override;
    HRESULT FlashVersion(LONG* version) override;
    HRESULT get_WMode(BSTR* mode) override;
    HRESULT put_WMode(BSTR mode) override;
    HRESULT get_SAlign(BSTR* align) override;
    HRESULT put_SAlign(BSTR align) override;
    HRESULT get_Menu(VARIANT_BOOL* menu) override;
    HRESULT put_Menu(VARIANT_BOOL menu) override;
    HRESULT get_Base(BSTR* base) override;
    HRESULT put_Base(BSTR base) override;
    HRESULT get_Scale(BSTR* scale) override;
    HRESULT put_Scale(BSTR scale) override;
    HRESULT get_DeviceFont(VARIANT_BOOL* deviceFont) override;
    HRESULT put_DeviceFont(VARIANT_BOOL deviceFont) override;
    HRESULT get_EmbedMovie(VARIANT_BOOL* embed) override;
    HRESULT put_EmbedMovie(VARIANT_BOOL embed) override;
    HRESULT get_BGColor(BSTR* colour) override;
    HRESULT put_BGColor(BSTR colour) override;
    HRESULT get_Quality2(BSTR* quality) override;
    HRESULT put_Quality2(BSTR quality) override;
    HRESULT LoadMovie(INT layer, BSTR url) override;
    HRESULT TGotoFrame(BSTR target, LONG frame) override;
    HRESULT TGotoLabel(BSTR target, BSTR label) override;
    HRESULT TCurrentFrame(BSTR target, LONG* frame) override;
    HRESULT TCurrentLabel(BSTR target, BSTR* label) override;
    HRESULT TPlay(BSTR target) override;
    HRESULT TStopPlay(BSTR target) override;
    HRESULT SetVariable(BSTR name, BSTR value) override;
    HRESULT GetVariable(BSTR name, BSTR* value) override;
    HRESULT TSetProperty(BSTR target, INT property, BSTR value) override;
    HRESULT TGetProperty(BSTR target, INT property, BSTR* value) override;
    HRESULT TCallFrame(BSTR target, INT frame) override;
    HRESULT TCallLabel(BSTR target, BSTR label) override;
    HRESULT TSetPropertyNum(BSTR target, INT property, double value) override;
    HRESULT TGetPropertyNum(BSTR target, INT property, double* value) override;
    HRESULT TGetPropertyAsNumber(BSTR target, INT property, double* value) override;
    HRESULT get_SWRemote(BSTR* remote) override;
    HRESULT put_SWRemote(BSTR remote) override;
    HRESULT get_FlashVars(BSTR* vars) override;
    HRESULT put_FlashVars(BSTR vars) override;
    HRESULT get_AllowScriptAccess(BSTR* access) override;
    HRESULT put_AllowScriptAccess(BSTR access) override;
    HRESULT get_MovieData(BSTR* data) override;
    HRESULT put_MovieData(BSTR data) override;
    HRESULT get_InlineData(IUnknown** data) override;
    HRESULT put_InlineData(IUnknown* data) override;
    HRESULT get_SeamlessTabbing(VARIANT_BOOL* seamless) override;
    HRESULT put_SeamlessTabbing(VARIANT_BOOL seamless) override;
    HRESULT EnforceLocalSecurity() override;
    HRESULT get_Profile(VARIANT_BOOL* profile) override;
    HRESULT put_Profile(VARIANT_BOOL profile) override;
    HRESULT get_ProfileAddress(BSTR* address) override;
    HRESULT put_ProfileAddress(BSTR address) override;
    HRESULT get_ProfilePort(LONG* port) override;
    HRESULT put_ProfilePort(LONG port) override;
    HRESULT CallFunction(BSTR request, BSTR* response) override;
    HRESULT SetReturnValue(BSTR value) override;
    HRESULT DisableLocalSecurity() override;

    // --- IOleObject ---
    HRESULT SetClientSite(IOleClientSite* site) override;
    HRESULT GetClientSite(IOleClientSite** site) override;
    HRESULT SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
    HRESULT Close(DWORD saveOption) override;
    HRESULT SetMoniker(DWORD which, IMoniker* mk) override;
    HRESULT GetMoniker(DWORD assign, DWORD which, IMoniker** mk) override;
    HRESULT InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    HRESULT GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT DoVerb(LONG verb, MSG* msg, IOleClientSite* activeSite, LONG lindex, HWND parent,
        const RECT* posRect) override;
    HRESULT EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT Update() override;
    HRESULT IsUpToDate() override;
    HRESULT GetUserClassID(CLSID* clsid) override;
    HRESULT GetUserType(DWORD form, BSTR* type) override;
    HRESULT SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT Unadvise(DWORD connection) override;
    HRESULT EnumAdvise(IEnumSTATDATA** e) override;
    HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT SetColorScheme(LOGPALETTE* palette) override;

    // --- IOleControl ---
    HRESULT GetControlInfo(CONTROLINFO* info) override;
    HRESULT OnMnemonic(MSG* msg) override;
    HRESULT OnAmbientPropertyChange(DISPID id) override;
    HRESULT FreezeEvents(BOOL freeze) override;

    // --- IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject ---
    HRESULT GetWindow(HWND* hwnd) override;
    HRESULT ContextSensitiveHelp(BOOL enter) override;
    HRESULT InPlaceDeactivate() override;
    HRESULT UIDeactivate() override;
    HRESULT SetObjectRects(const RECT* posRect, const RECT* clipRect) override;
    HRESULT ReactivateAndUndo() override;
    HRESULT OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    HRESULT GetDropTarget(IDropTarget** target) override;
    HRESULT TranslateAccelerator(MSG* msg) override;
    HRESULT OnFrameWindowActivate(BOOL activate) override;
    HRESULT OnDocWindowActivate(BOOL activate) override;
    HRESULT ResizeBorder(const RECT* border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    HRESULT EnableModeless(BOOL enable) override;

    // --- IViewObject2 ---
    HRESULT Draw(DWORD aspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd, HDC targetDev, HDC hdcDraw,
        const RECTL* bounds, const RECTL* wBounds, ContinueCallback cont, uintptr_t contArg) override;
    HRESULT GetColorSet(DWORD aspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd, HDC targetDev,
        LOGPALETTE** colours) override;
    HRESULT Freeze(DWORD aspect, LONG lindex, void* pvAspect, DWORD* freeze) override;
    HRESULT Unfreeze(DWORD freeze) override;
    HRESULT SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override;
    HRESULT GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override;
    HRESULT GetExtent(DWORD aspect, LONG lindex, DVTARGETDEVICE* ptd, SIZEL* size) override;

    // --- IPersistStreamInit ---
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override;
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT InitNew() override;

    // --- IConnectionPointContainer ---
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** e) override;
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // Called by a download when its bytes are complete or when it failed.
    void downloadFinished(MovieDownload* download, bool ok, const std::vector<uint8_t>& bytes);
    void downloadProgress(MovieDownload* download, uint64_t received, uint64_t total);

private:
    // Property access shared by Invoke and the typed methods.
    HRESULT getProperty(DISPID id, VARIANT& out);
    HRESULT putProperty(DISPID id, const VARIANT& value);
    HRESULT invokeMethod(DISPID id, DISPPARAMS* params, VARIANT* result, UINT* argErr);
    void propertyChanged(DISPID id);
    void applyStateToEngine();

    HRESULT activateInPlace(IOleClientSite* site, const RECT* posRect, bool uiActivate);
    void setRects(const RECT& pos, const RECT& clip);
    void requestRepaint();
    bool transparentMode() const;

    HRESULT startLoad(int layer, const std::u16string& url);
    bool bindThroughHost(const ComPtr<MovieDownload>& download, const std::u16string& url);
    std::optional<std::vector<uint8_t>> fetchMedia(const std::string& url, size_t maxBytes);
    void setReadyState(EngineReadyState state);
    void applyFlashVars();
    void openUrl(const std::string& url, const std::string& target);

    void fireEvent(DISPID id, std::initializer_list<VARIANT> args);

    std::unique_ptr<ControlEngine> m_engine;
    std::vector<int16_t> m_capturedSound;   // taken from the engine, not yet read
    size_t m_capturedRead = 0;
    ControlState m_state;
    ConnectionPoint m_events;
    ConnectionPoint m_propertyNotify;

    ComPtr<IOleClientSite> m_clientSite;
    ComPtr<IOleInPlaceSiteWindowless> m_windowlessSite;
    ComPtr<IOleInPlaceFrame> m_frame;
    ComPtr<IOleInPlaceUIWindow> m_uiWindow;
    bool m_inPlaceActive = false;
    bool m_uiActive = false;
    bool m_capture = false;
    RECT m_posRect;
    RECT m_clipRect;
    SIZEL m_extent;

    EngineReadyState m_readyState = EngineReadyState::Complete;
    int m_percentLoaded = 0;
    // Fetches in progress; the newest one into layer 0 is the one that counts.
    std::vector<ComPtr<MovieDownload>> m_downloads;
    MovieDownload* m_rootDownload = nullptr;
    int m_freezeCount = 0;
    bool m_loadingEngine = false;
    bool m_dirty = false;
};

// The object a factory makes: a new control over a new engine.
ComPtr<IUnknown> CreateFlashControl(std::unique_ptr<ControlEngine> engine);

}  // namespace flashcontrol
