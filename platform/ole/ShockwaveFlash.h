// The contract between the Flash host and the Flash control lives here, below both.
// The control's automation contract: its class id, its dual interface IShockwaveFlash
// (methods in their slot order: three IUnknown and four IDispatch slots come first,
// so Play is slot 28 and CallFunction slot 93), the dispatch ids of its properties and
// methods, and its event interface.
#pragma once

#include "Dispatch.h"

inline constexpr CLSID CLSID_ShockwaveFlash = MakeGuid("{D27CDB6E-AE6D-11CF-96B8-444553540000}");
inline constexpr IID DIID_ShockwaveFlashEvents = MakeGuid("{D27CDB6D-AE6D-11CF-96B8-444553540000}");

// Major version in the high 16 bits, as FlashVersion reports it.
constexpr LONG kFlashVersion = (10 << 16) | 0;

namespace flashdispid {
// Properties.
constexpr DISPID ReadyState = -525;
constexpr DISPID Movie = 102;
constexpr DISPID Quality = 105;
constexpr DISPID Loop = 106;
constexpr DISPID FrameNum = 107;
constexpr DISPID ScaleMode = 120;
constexpr DISPID AlignMode = 121;
constexpr DISPID BackgroundColor = 123;
constexpr DISPID TotalFrames = 124;
constexpr DISPID Playing = 125;
constexpr DISPID WMode = 133;
constexpr DISPID SAlign = 134;
constexpr DISPID Menu = 135;
constexpr DISPID Base = 136;
constexpr DISPID Scale = 137;
constexpr DISPID DeviceFont = 138;
constexpr DISPID EmbedMovie = 139;
constexpr DISPID BGColor = 140;
constexpr DISPID Quality2 = 141;
constexpr DISPID SWRemote = 159;
constexpr DISPID FlashVars = 170;
constexpr DISPID AllowScriptAccess = 171;
constexpr DISPID MovieData = 190;
constexpr DISPID SeamlessTabbing = 192;
// Methods.
constexpr DISPID SetZoomRect = 109;
constexpr DISPID Play = 112;
constexpr DISPID Stop = 113;
constexpr DISPID Back = 114;
constexpr DISPID Forward = 115;
constexpr DISPID Rewind = 116;
constexpr DISPID StopPlay = 117;
constexpr DISPID Zoom = 118;
constexpr DISPID Pan = 119;
constexpr DISPID GotoFrame = 127;
constexpr DISPID CurrentFrame = 128;
constexpr DISPID IsPlaying = 129;
constexpr DISPID PercentLoaded = 130;
constexpr DISPID FrameLoaded = 131;
constexpr DISPID FlashVersion = 132;
constexpr DISPID LoadMovie = 142;
constexpr DISPID SetVariable = 151;
constexpr DISPID GetVariable = 152;
constexpr DISPID CallFunction = 198;
constexpr DISPID SetReturnValue = 199;
// Events.
constexpr DISPID OnReadyStateChange = -609;
constexpr DISPID OnProgress = 1958;
constexpr DISPID FSCommand = 150;
constexpr DISPID FlashCall = 197;
}

struct IShockwaveFlash : IDispatch {
    static constexpr IID kIid = MakeGuid("{D27CDB6C-AE6D-11CF-96B8-444553540000}");
    using Base = IDispatch;

    virtual HRESULT get_ReadyState(LONG* state) = 0;            // 7
    virtual HRESULT get_TotalFrames(LONG* frames) = 0;          // 8
    virtual HRESULT get_Playing(VARIANT_BOOL* playing) = 0;     // 9
    virtual HRESULT put_Playing(VARIANT_BOOL playing) = 0;      // 10
    virtual HRESULT get_Quality(INT* quality) = 0;              // 11
    virtual HRESULT put_Quality(INT quality) = 0;               // 12
    virtual HRESULT get_ScaleMode(INT* mode) = 0;               // 13
    virtual HRESULT put_ScaleMode(INT mode) = 0;                // 14
    virtual HRESULT get_AlignMode(INT* mode) = 0;               // 15
    virtual HRESULT put_AlignMode(INT mode) = 0;                // 16
    virtual HRESULT get_BackgroundColor(LONG* colour) = 0;      // 17
    virtual HRESULT put_BackgroundColor(LONG colour) = 0;       // 18
    virtual HRESULT get_Loop(VARIANT_BOOL* loop) = 0;           // 19
    virtual HRESULT put_Loop(VARIANT_BOOL loop) = 0;            // 20
    virtual HRESULT get_Movie(BSTR* movie) = 0;                 // 21
    virtual HRESULT put_Movie(BSTR movie) = 0;                  // 22
    virtual HRESULT get_FrameNum(LONG* frame) = 0;              // 23
    virtual HRESULT put_FrameNum(LONG frame) = 0;               // 24
    virtual HRESULT SetZoomRect(LONG left, LONG top, LONG right, LONG bottom) = 0;  // 25
    virtual HRESULT Zoom(INT factor) = 0;                       // 26
    virtual HRESULT Pan(LONG x, LONG y, INT mode) = 0;          // 27
    virtual HRESULT Play() = 0;                                 // 28
    virtual HRESULT Stop() = 0;                                 // 29
    virtual HRESULT Back() = 0;                                 // 30
    virtual HRESULT Forward() = 0;                              // 31
    virtual HRESULT Rewind() = 0;                               // 32
    virtual HRESULT StopPlay() = 0;                             // 33
    virtual HRESULT GotoFrame(LONG frame) = 0;                  // 34
    virtual HRESULT CurrentFrame(LONG* frame) = 0;              // 35
    virtual HRESULT IsPlaying(VARIANT_BOOL* playing) = 0;       // 36
    virtual HRESULT PercentLoaded(LONG* percent) = 0;           // 37
    virtual HRESULT FrameLoaded(LONG frame, VARIANT_BOOL* loaded) = 0;  // 38
    virtual HRESULT FlashVersion(LONG* version) = 0;            // 39
    virtual HRESULT get_WMode(BSTR* mode) = 0;                  // 40
    virtual HRESULT put_WMode(BSTR mode) = 0;                   // 41
    virtual HRESULT get_SAlign(BSTR* align) = 0;                // 42
    virtual HRESULT put_SAlign(BSTR align) = 0;                 // 43
    virtual HRESULT get_Menu(VARIANT_BOOL* menu) = 0;           // 44
    virtual HRESULT put_Menu(VARIANT_BOOL menu) = 0;            // 45
    virtual HRESULT get_Base(BSTR* base) = 0;                   // 46
    virtual HRESULT put_Base(BSTR base) = 0;                    // 47
    virtual HRESULT get_Scale(BSTR* scale) = 0;                 // 48
    virtual HRESULT put_Scale(BSTR scale) = 0;                  // 49
    virtual HRESULT get_DeviceFont(VARIANT_BOOL* deviceFont) = 0;   // 50
    virtual HRESULT put_DeviceFont(VARIANT_BOOL deviceFont) = 0;    // 51
    virtual HRESULT get_EmbedMovie(VARIANT_BOOL* embed) = 0;    // 52
    virtual HRESULT put_EmbedMovie(VARIANT_BOOL embed) = 0;     // 53
    virtual HRESULT get_BGColor(BSTR* colour) = 0;              // 54
    virtual HRESULT put_BGColor(BSTR colour) = 0;               // 55
    virtual HRESULT get_Quality2(BSTR* quality) = 0;            // 56
    virtual HRESULT put_Quality2(BSTR quality) = 0;             // 57
    virtual HRESULT LoadMovie(INT layer, BSTR url) = 0;         // 58
    virtual HRESULT TGotoFrame(BSTR target, LONG frame) = 0;    // 59
    virtual HRESULT TGotoLabel(BSTR target, BSTR label) = 0;    // 60
    virtual HRESULT TCurrentFrame(BSTR target, LONG* frame) = 0;    // 61
    virtual HRESULT TCurrentLabel(BSTR target, BSTR* label) = 0;    // 62
    virtual HRESULT TPlay(BSTR target) = 0;                     // 63
    virtual HRESULT TStopPlay(BSTR target) = 0;                 // 64
    virtual HRESULT SetVariable(BSTR name, BSTR value) = 0;     // 65
    virtual HRESULT GetVariable(BSTR name, BSTR* value) = 0;    // 66
    virtual HRESULT TSetProperty(BSTR target, INT property, BSTR value) = 0;    // 67
    virtual HRESULT TGetProperty(BSTR target, INT property, BSTR* value) = 0;   // 68
    virtual HRESULT TCallFrame(BSTR target, INT frame) = 0;     // 69
    virtual HRESULT TCallLabel(BSTR target, BSTR label) = 0;    // 70
    virtual HRESULT TSetPropertyNum(BSTR target, INT property, double value) = 0;   // 71
    virtual HRESULT TGetPropertyNum(BSTR target, INT property, double* value) = 0;  // 72
    virtual HRESULT TGetPropertyAsNumber(BSTR target, INT property, double* value) = 0;  // 73
    virtual HRESULT get_SWRemote(BSTR* remote) = 0;             // 74
    virtual HRESULT put_SWRemote(BSTR remote) = 0;              // 75
    virtual HRESULT get_FlashVars(BSTR* vars) = 0;              // 76
    virtual HRESULT put_FlashVars(BSTR vars) = 0;               // 77
    virtual HRESULT get_AllowScriptAccess(BSTR* access) = 0;    // 78
    virtual HRESULT put_AllowScriptAccess(BSTR access) = 0;     // 79
    virtual HRESULT get_MovieData(BSTR* data) = 0;              // 80
    virtual HRESULT put_MovieData(BSTR data) = 0;               // 81
    virtual HRESULT get_InlineData(IUnknown** data) = 0;        // 82
    virtual HRESULT put_InlineData(IUnknown* data) = 0;         // 83
    virtual HRESULT get_SeamlessTabbing(VARIANT_BOOL* seamless) = 0;    // 84
    virtual HRESULT put_SeamlessTabbing(VARIANT_BOOL seamless) = 0;     // 85
    virtual HRESULT EnforceLocalSecurity() = 0;                 // 86
    virtual HRESULT get_Profile(VARIANT_BOOL* profile) = 0;     // 87
    virtual HRESULT put_Profile(VARIANT_BOOL profile) = 0;      // 88
    virtual HRESULT get_ProfileAddress(BSTR* address) = 0;      // 89
    virtual HRESULT put_ProfileAddress(BSTR address) = 0;       // 90
    virtual HRESULT get_ProfilePort(LONG* port) = 0;            // 91
    virtual HRESULT put_ProfilePort(LONG port) = 0;             // 92
    virtual HRESULT CallFunction(BSTR request, BSTR* response) = 0;     // 93
    virtual HRESULT SetReturnValue(BSTR value) = 0;             // 94
    virtual HRESULT DisableLocalSecurity() = 0;                 // 95
};
inline constexpr const IID& IID_IShockwaveFlash = IShockwaveFlash::kIid;
