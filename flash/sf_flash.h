// TsfFlashPlayer: the component through which the program plays Flash movies. It hosts
// the Flash control windowlessly (TsfOleControl), loads movies through its own bind
// service, drives playback, reads and writes the control's properties by dispatch id,
// relays its events and renders frames as pictures.
#pragma once

#include "FlashSound.h"
#include "ShockwaveFlash.h"
#include "sf_olecontrol.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TStream;
class TsfPngImage;

enum TsfFLVSkins { flvclearskin, flvsteelskin, flvmojaveskin, flvnoneskin };

// The pseudo-URL prefix by which the player routes the control's fetches back to its
// own bind service. The host name is reserved and never resolves.
extern const std::u16string HostUrlPrefix;
constexpr uint32_t FSCommandMessage = 0x0400 + 1220;

class TsfFlashPlayer;
using TsfFlashPlayerOnReadyStateChange = std::function<void(TsfFlashPlayer* ASender, int newState)>;
using TsfFlashPlayerOnProgress = std::function<void(TsfFlashPlayer* ASender, int percentDone)>;
using TsfFlashPlayerFSCommand =
    std::function<void(TsfFlashPlayer* ASender, const std::u16string& command, const std::u16string& args)>;
using TsfFlashFlashCall = std::function<void(TsfFlashPlayer* ASender, const std::u16string& request)>;

class TsfFlashPlayer : public TsfOleControl, public IBindHost {
public:
    // Creates and activates the control; raises "OLE control activation failed" when
    // it does not activate. Without a registered control the player is inert.
    explicit TsfFlashPlayer(TWinControl* parent = nullptr);
    ~TsfFlashPlayer() override;

    // Playback (each does nothing on an inert player).
    void Play();
    void Stop();
    void Rewind();
    void StopPlay();
    void GotoFrame(int frame);
    int CurrentFrame();
    int TotalFrames();

    // Properties by dispatch id.
    int GetPropertyInt(DISPID id);
    bool GetPropertyBool(DISPID id);
    std::u16string GetPropertyString(DISPID id);
    void SetProperty(DISPID id, int value);
    void SetProperty(DISPID id, bool value);
    void SetProperty(DISPID id, const std::u16string& value);

    bool Playing() { return GetPropertyBool(flashdispid::Playing); }
    void SetPlaying(bool v) { SetProperty(flashdispid::Playing, v); }
    bool Loop() { return GetPropertyBool(flashdispid::Loop); }
    void SetLoop(bool v) { SetProperty(flashdispid::Loop, v); }
    int BackgroundColor() { return GetPropertyInt(flashdispid::BackgroundColor); }
    void SetBackgroundColor(int v) { SetProperty(flashdispid::BackgroundColor, v); }
    int Quality() { return GetPropertyInt(flashdispid::Quality); }
    void SetQuality(int v) { SetProperty(flashdispid::Quality, v); }
    int ScaleMode() { return GetPropertyInt(flashdispid::ScaleMode); }
    void SetScaleMode(int v) { SetProperty(flashdispid::ScaleMode, v); }
    int FrameNum() { return GetPropertyInt(flashdispid::FrameNum); }
    void SetFrameNum(int v) { SetProperty(flashdispid::FrameNum, v); }

    // Loading.
    void LoadMovie(int layer, const std::u16string& url);
    const std::u16string& Movie() const { return m_movie; }
    void SetMovie(const std::u16string& value);
    void LoadMovieFromStream(int layer, TStream& stream);
    void SetFlashIndex(int value);
    bool FlvMode() const { return m_flvMode; }

    // Scripting.
    void SetVariable(const std::u16string& name, const std::u16string& value);
    std::u16string CallFunction(const std::u16string& request);
    // The high 16 bits of FlashVersion.
    int MajorVersion();

    // Sound and skin.
    int Volume() const { return m_volume; }
    void SetVolume(int value);
    bool VolumeControl() const { return m_volumeControl; }
    void SetVolumeControl(bool value);
    TsfFLVSkins FLVPlaybackSkin = flvclearskin;
    void ApplyVolume(int value);

    // The movie's own sound, 44,100 Hz stereo 16-bit, left and right interleaved. A
    // control that mixes no sound gives none; an inert player none either.
    bool HasSound();
    // On: keep every frame mixed from now on. Off: stop keeping; TakeCapturedSound
    // then gives what was kept.
    void SetSoundCapture(bool on);
    std::vector<int16_t> TakeCapturedSound();
    // The live feed of an audio output: what was mixed since the last read.
    void SetLiveSound(bool on);
    size_t ReadLiveSound(int16_t* frames, size_t maxFrames);

    // Frames as pictures. With TransparentSnapshots cleared, SnapshotBitmap32 and
    // SnapshotPNG are opaque, as the frame shows over its background.
    bool TransparentSnapshots = true;
    std::unique_ptr<TBitmap> SnapshotBitmap();
    std::unique_ptr<TsfBitmap> SnapshotBitmap32();
    std::unique_ptr<TsfPngImage> SnapshotPNG();
    std::unique_ptr<TJPEGImage> SnapshotJPEG();

    TsfFlashPlayerOnReadyStateChange OnReadyStateChange;
    TsfFlashPlayerOnProgress OnProgress;
    TsfFlashPlayerFSCommand OnHandleFSCommand;
    TsfFlashFlashCall OnFlashCall;
    std::u16string PendingCommand;
    std::u16string PendingArgs;

    // The control's main interface, fetched on first use and kept.
    IShockwaveFlash* FlashInterface();

    // --- IUnknown: the site's interfaces and IBindHost
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return TsfOleControl::AddRef(); }
    ULONG Release() override { return TsfOleControl::Release(); }
    // --- IBindHost
    HRESULT CreateMoniker(LPOLESTR szName, IBindCtx* pBC, IMoniker** ppmk, DWORD dwReserved) override;
    HRESULT MonikerBindToStorage(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID, void**) override { return S_OK; }
    HRESULT MonikerBindToObject(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID, void**) override { return S_OK; }

    // True while the player exists (the command handler checks before delivering).
    static bool IsLive(const TsfFlashPlayer* player);
    // The streams handed to LoadMovieFromStream, by token.
    TStream* TokenStream(const std::string& token) override;

protected:
    void InitControlData(TControlData& data) override;
    TColor BackdropColor() override;

private:
    void fsCommandRelay(const std::u16string& command, const std::u16string& args);
    void setFlvVariables(const std::u16string& contentPath);
    void applyBounds() { SetBounds(Left(), Top(), Width(), Height()); }
    std::string issueToken(TStream& stream);

    IFlashSound* soundInterface();

    ComPtr<IShockwaveFlash> m_flash;
    ComPtr<IFlashSound> m_sound;
    bool m_soundAsked = false;
    std::u16string m_movie;
    bool m_flvMode = false;
    int m_volume = 100;
    bool m_volumeControl = false;
    std::map<std::string, TStream*> m_streams;
    uint32_t m_nextToken = 0x1000;
};

// Delivers posted FSCommands from the message loop to live players.
class TsfCommandHandler {
public:
    static void Post(TsfFlashPlayer* player);
};
