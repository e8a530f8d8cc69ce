// Every IShockwaveFlash method answering E_NOTIMPL, for test controls that override
// only what a test needs.
#pragma once

#include "ShockwaveFlash.h"

struct ShockwaveFlashStub : IShockwaveFlash {
    HRESULT get_ReadyState(LONG* state) override { return E_NOTIMPL; }
    HRESULT get_TotalFrames(LONG* frames) override { return E_NOTIMPL; }
    HRESULT get_Playing(VARIANT_BOOL* playing) override { return E_NOTIMPL; }
    HRESULT put_Playing(VARIANT_BOOL playing) override { return E_NOTIMPL; }
    HRESULT get_Quality(INT* quality) override { return E_NOTIMPL; }
    HRESULT put_Quality(INT quality) override { return E_NOTIMPL; }
    HRESULT get_ScaleMode(INT* mode) override { return E_NOTIMPL; }
    HRESULT put_ScaleMode(INT mode) override { return E_NOTIMPL; }
    HRESULT get_AlignMode(INT* mode) override { return E_NOTIMPL; }
    HRESULT put_AlignMode(INT mode) override { return E_NOTIMPL; }
    HRESULT get_BackgroundColor(LONG* colour) override { return E_NOTIMPL; }
    HRESULT put_BackgroundColor(LONG colour) override { return E_NOTIMPL; }
    HRESULT get_Loop(VARIANT_BOOL* loop) override { return E_NOTIMPL; }
    HRESULT put_Loop(VARIANT_BOOL loop) override { return E_NOTIMPL; }
    HRESULT get_Movie(BSTR* movie) override { return E_NOTIMPL; }
    HRESULT put_Movie(BSTR movie) override { return E_NOTIMPL; }
    HRESULT get_FrameNum(LONG* frame) override { return E_NOTIMPL; }
    HRESULT put_FrameNum(LONG frame) override { return E_NOTIMPL; }
    HRESULT SetZoomRect(LONG left, LONG top, LONG right, LONG bottom) override { return E_NOTIMPL; }
    HRESULT Zoom(INT factor) override { return E_NOTIMPL; }
    HRESULT Pan(LONG x, LONG y, INT mode) override { return E_NOTIMPL; }
    HRESULT Play() override { return E_NOTIMPL; }
    HRESULT Stop() override { return E_NOTIMPL; }
    HRESULT Back() override { return E_NOTIMPL; }
    HRESULT Forward() override { return E_NOTIMPL; }
    HRESULT Rewind() override { return E_NOTIMPL; }
    HRESULT StopPlay() override { return E_NOTIMPL; }
    HRESULT GotoFrame(LONG frame) override { return E_NOTIMPL; }
    HRESULT CurrentFrame(LONG* frame) override { return E_NOTIMPL; }
    HRESULT IsPlaying(VARIANT_BOOL* playing) override { return E_NOTIMPL; }
    HRESULT PercentLoaded(LONG* percent) override { return E_NOTIMPL; }
    HRESULT FrameLoaded(LONG frame, VARIANT_BOOL* loaded) override { return E_NOTIMPL; }
    HRESULT FlashVersion(LONG* version) override { return E_NOTIMPL; }
    HRESULT get_WMode(BSTR* mode) override { return E_NOTIMPL; }
    HRESULT put_WMode(BSTR mode) override { return E_NOTIMPL; }
    HRESULT get_SAlign(BSTR* align) override { return E_NOTIMPL; }
    HRESULT put_SAlign(BSTR align) override { return E_NOTIMPL; }
    HRESULT get_Menu(VARIANT_BOOL* menu) override { return E_NOTIMPL; }
    HRESULT put_Menu(VARIANT_BOOL menu) override { return E_NOTIMPL; }
    HRESULT get_Base(BSTR* base) override { return E_NOTIMPL; }
    HRESULT put_Base(BSTR base) override { return E_NOTIMPL; }
    HRESULT get_Scale(BSTR* scale) override { return E_NOTIMPL; }
    HRESULT put_Scale(BSTR scale) override { return E_NOTIMPL; }
    HRESULT get_DeviceFont(VARIANT_BOOL* deviceFont) override { return E_NOTIMPL; }
    HRESULT put_DeviceFont(VARIANT_BOOL deviceFont) override { return E_NOTIMPL; }
    HRESULT get_EmbedMovie(VARIANT_BOOL* embed) override { return E_NOTIMPL; }
    HRESULT put_EmbedMovie(VARIANT_BOOL embed) override { return E_NOTIMPL; }
    HRESULT get_BGColor(BSTR* colour) override { return E_NOTIMPL; }
    HRESULT put_BGColor(BSTR colour) override { return E_NOTIMPL; }
    HRESULT get_Quality2(BSTR* quality) override { return E_NOTIMPL; }
    HRESULT put_Quality2(BSTR quality) override { return E_NOTIMPL; }
    HRESULT LoadMovie(INT layer, BSTR url) override { return E_NOTIMPL; }
    HRESULT TGotoFrame(BSTR target, LONG frame) override { return E_NOTIMPL; }
    HRESULT TGotoLabel(BSTR target, BSTR label) override { return E_NOTIMPL; }
    HRESULT TCurrentFrame(BSTR target, LONG* frame) override { return E_NOTIMPL; }
    HRESULT TCurrentLabel(BSTR target, BSTR* label) override { return E_NOTIMPL; }
    HRESULT TPlay(BSTR target) override { return E_NOTIMPL; }
    HRESULT TStopPlay(BSTR target) override { return E_NOTIMPL; }
    HRESULT SetVariable(BSTR name, BSTR value) override { return E_NOTIMPL; }
    HRESULT GetVariable(BSTR name, BSTR* value) override { return E_NOTIMPL; }
    HRESULT TSetProperty(BSTR target, INT property, BSTR value) override { return E_NOTIMPL; }
    HRESULT TGetProperty(BSTR target, INT property, BSTR* value) override { return E_NOTIMPL; }
    HRESULT TCallFrame(BSTR target, INT frame) override { return E_NOTIMPL; }
    HRESULT TCallLabel(BSTR target, BSTR label) override { return E_NOTIMPL; }
    HRESULT TSetPropertyNum(BSTR target, INT property, double value) override { return E_NOTIMPL; }
    HRESULT TGetPropertyNum(BSTR target, INT property, double* value) override { return E_NOTIMPL; }
    HRESULT TGetPropertyAsNumber(BSTR target, INT property, double* value) override { return E_NOTIMPL; }
    HRESULT get_SWRemote(BSTR* remote) override { return E_NOTIMPL; }
    HRESULT put_SWRemote(BSTR remote) override { return E_NOTIMPL; }
    HRESULT get_FlashVars(BSTR* vars) override { return E_NOTIMPL; }
    HRESULT put_FlashVars(BSTR vars) override { return E_NOTIMPL; }
    HRESULT get_AllowScriptAccess(BSTR* access) override { return E_NOTIMPL; }
    HRESULT put_AllowScriptAccess(BSTR access) override { return E_NOTIMPL; }
    HRESULT get_MovieData(BSTR* data) override { return E_NOTIMPL; }
    HRESULT put_MovieData(BSTR data) override { return E_NOTIMPL; }
    HRESULT get_InlineData(IUnknown** data) override { return E_NOTIMPL; }
    HRESULT put_InlineData(IUnknown* data) override { return E_NOTIMPL; }
    HRESULT get_SeamlessTabbing(VARIANT_BOOL* seamless) override { return E_NOTIMPL; }
    HRESULT put_SeamlessTabbing(VARIANT_BOOL seamless) override { return E_NOTIMPL; }
    HRESULT EnforceLocalSecurity() override { return E_NOTIMPL; }
    HRESULT get_Profile(VARIANT_BOOL* profile) override { return E_NOTIMPL; }
    HRESULT put_Profile(VARIANT_BOOL profile) override { return E_NOTIMPL; }
    HRESULT get_ProfileAddress(BSTR* address) override { return E_NOTIMPL; }
    HRESULT put_ProfileAddress(BSTR address) override { return E_NOTIMPL; }
    HRESULT get_ProfilePort(LONG* port) override { return E_NOTIMPL; }
    HRESULT put_ProfilePort(LONG port) override { return E_NOTIMPL; }
    HRESULT CallFunction(BSTR request, BSTR* response) override { return E_NOTIMPL; }
    HRESULT SetReturnValue(BSTR value) override { return E_NOTIMPL; }
    HRESULT DisableLocalSecurity() override { return E_NOTIMPL; }
};
