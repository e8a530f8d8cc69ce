// TAviWriter: turns a list of bitmaps into an uncompressed AVI video, one key frame
// per bitmap, every frame shown FrameTime milliseconds, with the sound of a WAV file
// as a second stream when WavFileName is set. The file is written through a
// temporary file beside FileName and renamed into place only when complete, so a
// failed write leaves neither a partial file nor a damaged earlier one.
#pragma once

#include "AviMuxer.h"
#include "Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TBitmap;

// The frames: references to bitmaps the caller owns and keeps alive.
class TBitmapList {
public:
    void Add(TBitmap* bitmap) { m_items.push_back(bitmap); }
    // Drops the null entries.
    void Pack();
    void Clear() { m_items.clear(); }
    int Count() const { return static_cast<int>(m_items.size()); }
    TBitmap* operator[](int index) const { return m_items.at(static_cast<size_t>(index)); }
    const std::vector<TBitmap*>& Items() const { return m_items; }

private:
    std::vector<TBitmap*> m_items;
};

class TAviWriter {
public:
    // The default frame size is a tenth of the screen's, in whole pixels.
    explicit TAviWriter(int screenWidth = 1024, int screenHeight = 768);
    TAviWriter(const TAviWriter&) = delete;
    TAviWriter& operator=(const TAviWriter&) = delete;

    // Published properties.
    TPixelFormat Depth() const { return m_depth; }
    void SetDepth(TPixelFormat value) { m_depth = value; }
    int Height() const { return m_height; }
    void SetHeight(int value) { m_height = value; }
    int Width() const { return m_width; }
    void SetWidth(int value) { m_width = value; }
    int FrameTime() const { return m_frameTime; }
    void SetFrameTime(int value) { m_frameTime = value; }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value) { m_stretch = value; }
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& value) { m_fileName = value; }
    const std::string& WavFileName() const { return m_wavFileName; }
    // Accepts only names ending in ".wav" (any case); a name equal to the stored one
    // but for ASCII case changes nothing. Raises and keeps the old name otherwise.
    void SetWavFileName(const std::string& value);

    // The movie's own sound, recorded with the frames (44,100 Hz stereo 16-bit,
    // interleaved): the second stream when no WAV file is named. Empty: none.
    std::vector<int16_t>& MovieSound() { return m_movieSound; }

    TBitmapList& Bitmaps() { return m_bitmaps; }
    const TBitmapList& Bitmaps() const { return m_bitmaps; }

    // Where the file splits into RIFF segments (OpenDML beyond the first).
    AviMuxLimits& MuxLimits() { return m_muxLimits; }

    // Writes FileName, or raises Exception with one of the writer's messages.
    // Bitmaps is left as it was.
    void WriteAvi();

private:
    int m_height;
    int m_width;
    bool m_stretch = true;
    int m_frameTime = 1000;
    std::string m_fileName;
    std::string m_wavFileName;
    TPixelFormat m_depth = pfDevice;
    TBitmapList m_bitmaps;
    AviMuxLimits m_muxLimits;
    std::vector<int16_t> m_movieSound;
};
