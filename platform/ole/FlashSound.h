// Our control's sound beyond its automation contract: the host takes the mixed
// sound of a recorded span (44,100 Hz stereo 16-bit, left and right interleaved),
// feeds an audio output live, and sets the volume of the movie's global Sound
// object. A control without this interface is silent to the host.
#pragma once

#include "Unknown.h"
#include "OleTypes.h"
#include "Variant.h"

struct IFlashSound : IUnknown {
    static constexpr IID kIid = MakeGuid("{6E3A9C52-1B4D-4F07-9A2E-5C0D7B31E8A4}");
    using Base = IUnknown;

    // On: every frame mixed from now on is kept (what was kept is dropped). Off: the
    // frames kept so far wait for ReadCapturedSound, nothing more is kept.
    virtual HRESULT SetSoundCapture(VARIANT_BOOL on) = 0;
    // Moves up to maxFrames kept frames into `frames`; *read 0 once all are taken.
    virtual HRESULT ReadCapturedSound(SHORT* frames, ULONG maxFrames, ULONG* read) = 0;
    // The live feed: what was mixed since the last read, for an audio output.
    virtual HRESULT SetLiveSound(VARIANT_BOOL on) = 0;
    virtual HRESULT ReadLiveSound(SHORT* frames, ULONG maxFrames, ULONG* read) = 0;
    // The global Sound object's volume, 0..100.
    virtual HRESULT put_SoundVolume(LONG percent) = 0;
    virtual HRESULT get_SoundVolume(LONG* percent) = 0;
};
