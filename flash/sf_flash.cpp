#include "sf_flash.h"

#include "Scheduler.h"
#include "Stream.h"
#include "WideString.h"
#include "sf_flashlist.h"
#include "sf_utils.h"

#include <algorithm>
#include <set>

const std::u16string HostUrlPrefix = u"http://tovrane-host.invalid/";

namespace {

std::set<const TsfFlashPlayer*>& livePlayers()
{
    static std::set<const TsfFlashPlayer*> players;
    return players;
}

bool contains(const std::u16string& s, const std::u16string& part) { return s.find(part) != std::u16string::npos; }

std::u16string slashes(std::u16string s)
{
    for (char16_t& c : s)
        if (c == u'\\')
            c = u'/';
    return s;
}

const char16_t* skinFile(TsfFLVSkins skin)
{
    switch (skin) {
    case flvclearskin: return u"clearoverall.swf";
    case flvsteelskin: return u"steel.swf";
    case flvmojaveskin: return u"mojave.swf";
    default: return nullptr;
    }
}

} // namespace

TsfFlashPlayer::TsfFlashPlayer(TWinControl* parent)
{
    livePlayers().insert(this);
    Initialize();
    if (parent)
        SetParent(parent);
    m_flvMode = false;
    m_volume = 100;
    m_volumeControl = false;
    FLVPlaybackSkin = flvclearskin;
    m_flashIndex = -1;
    SetProperty(flashdispid::WMode, std::u16string(u"Transparent"));
    EventHandlers = {
        [this](const DISPPARAMS& p) { if (OnReadyStateChange) OnReadyStateChange(this, sf_utils::DispArgInt(p, 0)); },
        [this](const DISPPARAMS& p) { if (OnProgress) OnProgress(this, sf_utils::DispArgInt(p, 0)); },
        [this](const DISPPARAMS& p) { fsCommandRelay(sf_utils::DispArgString(p, 0), sf_utils::DispArgString(p, 1)); },
        [this](const DISPPARAMS& p) { if (OnFlashCall) OnFlashCall(this, sf_utils::DispArgString(p, 0)); },
    };
    ActivateControl();
}

TsfFlashPlayer::~TsfFlashPlayer()
{
    livePlayers().erase(this);
    m_flash.reset();
}

bool TsfFlashPlayer::IsLive(const TsfFlashPlayer* player) { return livePlayers().count(player) != 0; }

void TsfFlashPlayer::InitControlData(TControlData& data)
{
    data.ClassID = CLSID_ShockwaveFlash;
    data.EventIID = DIID_ShockwaveFlashEvents;
    data.EventDispIDs = {flashdispid::OnReadyStateChange, flashdispid::OnProgress, flashdispid::FSCommand,
                         flashdispid::FlashCall};
    data.Flags = 0;
}

HRESULT TsfFlashPlayer::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv && riid == IBindHost::kIid) {
        *ppv = static_cast<IBindHost*>(this);
        AddRef();
        return S_OK;
    }
    return TsfOleControl::QueryInterface(riid, ppv);
}

IShockwaveFlash* TsfFlashPlayer::FlashInterface()
{
    if (!m_flash) {
        CreateControl();
        if (ControlDispatch())
            m_flash = QueryAs<IShockwaveFlash>(ControlDispatch());
        if (!m_flash)
            OleCheck(E_NOINTERFACE);
    }
    return m_flash.get();
}

void TsfFlashPlayer::Play()
{
    if (CreateFailed())
        return;
    OleCheck(FlashInterface()->Play());
    if (m_flvMode)
        CallFunction(u"<invoke name=\"playflv\" returntype=\"xml\"><arguments></arguments></invoke>");
}

void TsfFlashPlayer::Stop()
{
    if (CreateFailed())
        return;
    OleCheck(FlashInterface()->Stop());
    if (m_flvMode)
        CallFunction(u"<invoke name=\"stopflv\" returntype=\"xml\"><arguments></arguments></invoke>");
}

void TsfFlashPlayer::Rewind()
{
    if (!CreateFailed())
        OleCheck(FlashInterface()->Rewind());
}

void TsfFlashPlayer::StopPlay()
{
    if (!CreateFailed())
        OleCheck(FlashInterface()->StopPlay());
}

void TsfFlashPlayer::GotoFrame(int frame)
{
    if (!CreateFailed())
        OleCheck(FlashInterface()->GotoFrame(frame));
}

int TsfFlashPlayer::CurrentFrame()
{
    if (CreateFailed())
        return 0;
    LONG frame = 0;
    OleCheck(FlashInterface()->CurrentFrame(&frame));
    return frame;
}

int TsfFlashPlayer::TotalFrames() { return GetPropertyInt(flashdispid::TotalFrames); }

TColor TsfFlashPlayer::BackdropColor()
{
    // A person watching sees the stage colour where the movie paints nothing: the
    // movie's own, or the one the player was given in its place. The control draws
    // without it (window mode "Transparent"), so the frame is composed over it here.
    if (!CreateFailed() && ControlDispatch()) {
        try {
            const int stage = BackgroundColor();
            if (stage >= 0)
                return TColor(stage & 0xFFFFFF);
        } catch (const std::exception&) {
        }
    }
    return Color();
}

namespace {

VARIANT getProperty(TsfFlashPlayer& player, DISPID id)
{
    VARIANT result;
    if (player.CreateFailed())
        return result;
    player.CreateControl();
    EXCEPINFO excep;
    HRESULT hr = DispGetProperty(player.ControlDispatch(), id, &result, &excep);
    OleCheck(hr, hr == DISP_E_EXCEPTION ? excep.bstrDescription.toUtf8() : std::string());
    return result;
}

void putProperty(TsfFlashPlayer& player, DISPID id, const VARIANT& value)
{
    if (player.CreateFailed())
        return;
    player.CreateControl();
    EXCEPINFO excep;
    HRESULT hr = DispPutProperty(player.ControlDispatch(), id, value, &excep);
    OleCheck(hr, hr == DISP_E_EXCEPTION ? excep.bstrDescription.toUtf8() : std::string());
}

} // namespace

int TsfFlashPlayer::GetPropertyInt(DISPID id) { return getProperty(*this, id).lVal; }

bool TsfFlashPlayer::GetPropertyBool(DISPID id) { return getProperty(*this, id).boolVal != 0; }

std::u16string TsfFlashPlayer::GetPropertyString(DISPID id)
{
    VARIANT v = getProperty(*this, id);
    return v.vt == VT_BSTR ? v.bstrVal.str() : std::u16string();
}

void TsfFlashPlayer::SetProperty(DISPID id, int value) { putProperty(*this, id, VariantFromInt32(value)); }

void TsfFlashPlayer::SetProperty(DISPID id, bool value) { putProperty(*this, id, VariantFromBool(value)); }

void TsfFlashPlayer::SetProperty(DISPID id, const std::u16string& value)
{
    // An empty string travels as a null string.
    putProperty(*this, id, value.empty() ? VariantFromString(BSTR()) : VariantFromString(value));
}

int TsfFlashPlayer::MajorVersion()
{
    LONG version = 0;
    OleCheck(FlashInterface()->FlashVersion(&version));
    return static_cast<int>((static_cast<uint32_t>(version) >> 16) & 0xFFFF);
}

void TsfFlashPlayer::setFlvVariables(const std::u16string& contentPath)
{
    SetVariable(u"flv.contentPath", contentPath);
    const char16_t* skin = skinFile(FLVPlaybackSkin);
    if (!CreateFailed())
        OleCheck(FlashInterface()->SetVariable(BSTR(u"flv.skin"), skin ? BSTR(skin) : BSTR()));
    SetVariable(u"flv.volume", Utf8ToWide(std::to_string(m_volume)));
}

void TsfFlashPlayer::LoadMovie(int layer, const std::u16string& url)
{
    if (CreateFailed())
        return;
    int major = MajorVersion();
    if (contains(url, u".flv")) {
        std::u16string path = slashes(url);
        OleCheck(FlashInterface()->LoadMovie(layer, BSTR(u"flvplayback.swf")));
        bool direct = contains(path, u":/") && major < 10;
        setFlvVariables(direct ? path : HostUrlPrefix + path);
        m_movie = path;
        m_flvMode = true;
    } else {
        bool direct = contains(url, u":/") && major < 10;
        OleCheck(FlashInterface()->LoadMovie(layer, BSTR(direct ? url : HostUrlPrefix + url)));
        m_movie = url;
        m_flvMode = false;
    }
    applyBounds();
}

void TsfFlashPlayer::SetMovie(const std::u16string& value)
{
    if (value == m_movie)
        return;
    m_flashIndex = -1;
    m_movie = value;
    if (Loading())
        return;
    LoadMovie(0, m_movie);
}

std::string TsfFlashPlayer::issueToken(TStream& stream)
{
    char token[9];
    std::snprintf(token, sizeof token, "%08X", m_nextToken++);
    m_streams[token] = &stream;
    return token;
}

TStream* TsfFlashPlayer::TokenStream(const std::string& token)
{
    auto it = m_streams.find(token);
    return it == m_streams.end() ? nullptr : it->second;
}

void TsfFlashPlayer::LoadMovieFromStream(int layer, TStream& stream)
{
    if (CreateFailed())
        return;
    uint8_t head[3] = {0, 0, 0};
    stream.SetPosition(0);
    size_t got = stream.Read(head, 3);
    stream.SetPosition(0);
    std::u16string token = Utf8ToWide(issueToken(stream));
    if (got == 3 && head[0] == 'F' && head[1] == 'L' && head[2] == 'V') {
        OleCheck(FlashInterface()->LoadMovie(layer, BSTR(u"flvplayback.swf")));
        setFlvVariables(HostUrlPrefix + u"<stream>" + token + u".flv");
        m_flvMode = true;
    } else {
        OleCheck(FlashInterface()->LoadMovie(layer, BSTR(HostUrlPrefix + u"<stream>" + token + u".swf")));
        m_flvMode = false;
    }
    m_movie.clear();
}

void TsfFlashPlayer::SetFlashIndex(int value)
{
    m_flashIndex = value;
    if (!m_flashList || m_flashList->Flashs().Count() == 0 || m_flashIndex < 0)
        return;
    int count = m_flashList->Flashs().Count();
    if (m_flashIndex >= count - 1)
        m_flashIndex = count - 1;
    LoadMovieFromStream(0, m_flashList->Flashs().Items(m_flashIndex)->Stream());
}

void TsfFlashPlayer::SetVariable(const std::u16string& name, const std::u16string& value)
{
    if (!CreateFailed())
        OleCheck(FlashInterface()->SetVariable(BSTR(name), BSTR(value)));
}

std::u16string TsfFlashPlayer::CallFunction(const std::u16string& request)
{
    if (CreateFailed() || MajorVersion() < 8)
        return {};
    BSTR response;
    OleCheck(FlashInterface()->CallFunction(BSTR(request), &response));
    return response.str();
}

void TsfFlashPlayer::SetVolume(int value)
{
    if (value < 0 || value > 100 || value == m_volume)
        return;
    m_volume = value;
    ApplyVolume(value);
}

void TsfFlashPlayer::SetVolumeControl(bool value)
{
    m_volumeControl = value;
    if (value && !Loading())
        ApplyVolume(m_volume);
}

// The volume governs the global Sound object of the movie, which every sound of the
// control answers to: the playback movie hears it by its variable.
void TsfFlashPlayer::ApplyVolume(int value)
{
    if (CreateFailed())
        return;
    if (m_flvMode) {
        SetVariable(u"flv.volume", Utf8ToWide(std::to_string(m_volume)));
        return;
    }
    if (IFlashSound* sound = soundInterface())
        sound->put_SoundVolume(value);
}

IFlashSound* TsfFlashPlayer::soundInterface()
{
    if (!m_soundAsked && !CreateFailed()) {
        m_soundAsked = true;
        if (ControlDispatch())
            m_sound = QueryAs<IFlashSound>(ControlDispatch());
    }
    return m_sound.get();
}

bool TsfFlashPlayer::HasSound() { return soundInterface() != nullptr; }

void TsfFlashPlayer::SetSoundCapture(bool on)
{
    if (IFlashSound* sound = soundInterface())
        sound->SetSoundCapture(on ? VARIANT_TRUE : VARIANT_FALSE);
}

std::vector<int16_t> TsfFlashPlayer::TakeCapturedSound()
{
    std::vector<int16_t> out;
    IFlashSound* sound = soundInterface();
    if (!sound)
        return out;
    std::vector<int16_t> chunk(2 * 65536);
    ULONG read = 0;
    while (sound->ReadCapturedSound(chunk.data(), 65536, &read) == S_OK && read > 0)
        out.insert(out.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(read) * 2);
    return out;
}

void TsfFlashPlayer::SetLiveSound(bool on)
{
    if (IFlashSound* sound = soundInterface())
        sound->SetLiveSound(on ? VARIANT_TRUE : VARIANT_FALSE);
}

size_t TsfFlashPlayer::ReadLiveSound(int16_t* frames, size_t maxFrames)
{
    IFlashSound* sound = soundInterface();
    ULONG read = 0;
    if (!sound || sound->ReadLiveSound(frames, ULONG(std::min<size_t>(maxFrames, 1u << 20)), &read) != S_OK)
        return 0;
    return read;
}

void TsfFlashPlayer::fsCommandRelay(const std::u16string& command, const std::u16string& args)
{
    PendingCommand = command;
    PendingArgs = args;
    TsfCommandHandler::Post(this);
}

void TsfCommandHandler::Post(TsfFlashPlayer* player)
{
    // The message carries only the player; what is pending when it is handled is
    // what gets delivered.
    Scheduler::Current().Post([player] {
        if (!TsfFlashPlayer::IsLive(player))
            return;
        std::u16string command = player->PendingCommand, args = player->PendingArgs;
        player->PendingCommand.clear();
        player->PendingArgs.clear();
        if (player->OnHandleFSCommand)
            player->OnHandleFSCommand(player, command, args);
    });
}
