// IFlashSound: the engine's mix handed to the host.
#include "FlashControl.h"

#include <algorithm>

namespace flashcontrol {

HRESULT FlashControl::SetSoundCapture(VARIANT_BOOL on)
{
    if (!on) {
        // What was kept waits for the host; reading it empties it.
        std::vector<int16_t> more = m_engine->takeCapturedSound();
        m_capturedSound.insert(m_capturedSound.end(), more.begin(), more.end());
    } else {
        m_capturedSound.clear();
        m_capturedRead = 0;
    }
    m_engine->setSoundCapture(on != 0);
    return S_OK;
}

HRESULT FlashControl::ReadCapturedSound(SHORT* frames, ULONG maxFrames, ULONG* read)
{
    if (!read || (!frames && maxFrames))
        return E_POINTER;
    const size_t left = (m_capturedSound.size() - m_capturedRead) / 2;
    const size_t n = std::min<size_t>(left, maxFrames);
    std::copy_n(m_capturedSound.begin() + std::ptrdiff_t(m_capturedRead), n * 2, frames);
    m_capturedRead += n * 2;
    if (m_capturedRead >= m_capturedSound.size()) {
        m_capturedSound = {};
        m_capturedRead = 0;
    }
    *read = ULONG(n);
    return S_OK;
}

HRESULT FlashControl::SetLiveSound(VARIANT_BOOL on)
{
    m_engine->setLiveSound(on != 0);
    return S_OK;
}

HRESULT FlashControl::ReadLiveSound(SHORT* frames, ULONG maxFrames, ULONG* read)
{
    if (!read || (!frames && maxFrames))
        return E_POINTER;
    *read = ULONG(m_engine->readLiveSound(frames, maxFrames));
    return S_OK;
}

HRESULT FlashControl::put_SoundVolume(LONG percent)
{
    if (percent < 0 || percent > 100)
        return E_INVALIDARG;
    m_engine->setSoundVolume(int(percent));
    return S_OK;
}

HRESULT FlashControl::get_SoundVolume(LONG* percent)
{
    if (!percent)
        return E_POINTER;
    *percent = m_engine->soundVolume();
    return S_OK;
}

}  // namespace flashcontrol
