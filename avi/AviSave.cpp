#include "AviSave.h"

#include "AviMessages.h"
#include "Exceptions.h"
#include "FrameCanvas.h"
#include "FrameFormat.h"
#include "RiffWriter.h"
#include "SaveFile.h"
#include "WavFile.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace {

using namespace avi_messages;

uint32_t clampU32(uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v); }

FrameLayout checkedLayout(const AviSaveJob& job)
{
    if (job.width <= 0 || job.height <= 0)
        throw Exception(InvalidBitmap);
    int bits = BitsForDepth(job.depth);
    if (bits == 0)
        throw Exception(InvalidPixelFormat);
    // The stream header keeps the frame rectangle in 16-bit fields.
    uint64_t bytes = RowBytesFor(job.width, bits) * uint64_t(job.height);
    uint64_t canvasBytes = RowBytesFor(job.width, 24) * uint64_t(job.height);
    if (job.width > 0x7FFF || job.height > 0x7FFF || canvasBytes > kMaxFrameBytes || bytes > job.limits.segmentBytes / 4)
        throw Exception(BitmapInfo);
    return LayoutFor(job.width, job.height, bits);
}

const char* audioOpenMessage(WavError error)
{
    switch (error) {
    case WavError::NotWave: return AudioNoHandler;
    case WavError::BadFormat: return AudioBadFormat;
    case WavError::TooLarge: return AudioMemory;
    case WavError::FileRead: return AudioFileRead;
    case WavError::FileOpen: return AudioFileOpen;
    case WavError::NoData: return AudioStream;
    case WavError::UnusableFormat: return AudioEditStream;
    default: return AudioUnknown;
    }
}

// The sound stream's source: a WAV file, or PCM sound held in memory.
struct SoundTrack {
    WavFormat format;
    std::vector<uint8_t> formatBlock;
    uint64_t dataBytes = 0;
    std::function<bool(void*, size_t)> read;
};

SoundTrack TrackOf(WavReader& wav)
{
    return {wav.Format(), wav.FormatBlock(), wav.DataBytes(), [&wav](void* b, size_t n) { return wav.ReadData(b, n); }};
}

SoundTrack TrackOf(const std::vector<int16_t>& pcm)
{
    SoundTrack t;
    t.format = {1, 2, 44100, 44100 * 4, 4, 16};
    t.formatBlock = PcmFormatBlock(2, 44100, 16);
    t.dataBytes = pcm.size() / 2 * 4;
    auto at = std::make_shared<size_t>(0);
    t.read = [&pcm, at](void* buffer, size_t count) {
        uint8_t* out = static_cast<uint8_t*>(buffer);
        for (size_t i = 0; i < count / 2; ++i, ++*at) {
            const uint16_t v = uint16_t(pcm[*at]);
            out[2 * i] = uint8_t(v);
            out[2 * i + 1] = uint8_t(v >> 8);
        }
        return true;
    };
    return t;
}

// About one second of sound, in whole blocks, and never more than 1 MiB at a time
// whatever byte rate the file claims.
uint64_t audioChunkBytes(const WavFormat& f)
{
    uint64_t align = f.nBlockAlign;
    uint64_t second = std::min<uint64_t>(f.nAvgBytesPerSec, uint64_t(1) << 20);
    return std::max<uint64_t>(second / align * align, align);
}

// Feeds the sound in chunks of about one second, keeping it one chunk ahead of the
// pictures, so a player never waits for sound it has to find far away in the file.
class AudioFeed {
public:
    AudioFeed(const SoundTrack& wav, AviMuxer& mux) : m_wav(wav), m_mux(mux), m_total(wav.dataBytes)
    {
        m_chunkBytes = audioChunkBytes(wav.format);
        m_buffer.resize(static_cast<size_t>(m_chunkBytes));
    }

    // Before the picture shown at atMs: once the sound written so far ends at or
    // before that moment, the next chunk goes in.
    void WriteFor(uint64_t atMs)
    {
        unsigned __int128 at = static_cast<unsigned __int128>(atMs) * m_wav.format.nAvgBytesPerSec;
        while (m_written < m_total && static_cast<unsigned __int128>(m_written) * 1000 <= at)
            writeChunk();
    }
    void WriteRest()
    {
        while (m_written < m_total)
            writeChunk();
    }

private:
    void writeChunk()
    {
        size_t n = static_cast<size_t>(std::min(m_chunkBytes, m_total - m_written));
        if (!m_wav.read(m_buffer.data(), n))
            throw Exception(AudioFileRead);
        m_mux.WriteChunk(1, m_buffer.data(), static_cast<uint32_t>(n));
        m_written += n;
    }

    const SoundTrack& m_wav;
    AviMuxer& m_mux;
    uint64_t m_total;
    uint64_t m_chunkBytes;
    uint64_t m_written = 0;
    std::vector<uint8_t> m_buffer;
};

std::vector<AviStreamSetup> streamSetups(const AviSaveJob& job, const FrameLayout& layout, const SoundTrack* wav)
{
    std::vector<AviStreamSetup> streams(1);
    AviStreamHeader& video = streams[0].header;
    std::copy_n("vids", 4, video.fccType);
    video.dwScale = static_cast<uint32_t>(job.frameTime);
    video.dwRate = 1000;
    video.rcRight = static_cast<int16_t>(job.width);
    video.rcBottom = static_cast<int16_t>(job.height);
    streams[0].format = FrameFormatBlock(layout);
    if (wav) {
        AviStreamSetup audio;
        std::copy_n("auds", 4, audio.header.fccType);
        // One tick per block: the length counts blocks, the rate bytes per second.
        audio.header.dwScale = wav->format.nBlockAlign;
        audio.header.dwRate = wav->format.nAvgBytesPerSec;
        audio.header.dwSampleSize = wav->format.nBlockAlign;
        audio.format = wav->formatBlock;
        streams.push_back(std::move(audio));
    }
    return streams;
}

AviMainHeader mainHeader(const AviSaveJob& job, const FrameLayout& layout, const SoundTrack* wav)
{
    AviMainHeader h;
    h.dwMicroSecPerFrame = clampU32(uint64_t(job.frameTime) * 1000);
    uint64_t videoRate = (uint64_t(layout.imageBytes) + 8) * 1000 / uint64_t(job.frameTime);
    h.dwMaxBytesPerSec = clampU32(videoRate + (wav ? wav->format.nAvgBytesPerSec : 0));
    h.dwFlags = AVIF_HASINDEX | (wav ? AVIF_ISINTERLEAVED : 0);
    h.dwWidth = static_cast<uint32_t>(job.width);
    h.dwHeight = static_cast<uint32_t>(job.height);
    return h;
}

std::string frameError(unsigned code)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08X", code);
    return std::string(AddFrame) + digits;
}

std::unique_ptr<SaveFile> createOutput(const std::string& fileName)
{
    // An empty name would make a temporary file in the current folder.
    if (fileName.empty())
        throw Exception(WorkFile);
    try {
        return std::make_unique<SaveFile>(fileName);
    } catch (const std::exception&) {
        throw Exception(WorkFile);
    }
}

// The open WAV file, or null without one.
WavReader* openSound(const std::string& wavFileName, WavReader& reader)
{
    if (wavFileName.empty())
        return nullptr;
    WavError error = reader.Open(wavFileName);
    if (error != WavError::None)
        throw Exception(audioOpenMessage(error));
    return &reader;
}

// Room for the super indexes, from the sizes known before anything is written.
uint32_t superIndexEntries(const AviSaveJob& job, const FrameLayout& layout, const SoundTrack* wav)
{
    uint64_t frames = job.bitmaps.size();
    uint64_t audioBytes = wav ? wav->dataBytes : 0;
    uint32_t audioChunk = wav ? static_cast<uint32_t>(audioChunkBytes(wav->format)) : 0;
    uint64_t payload = frames * layout.imageBytes + audioBytes;
    uint64_t chunks = frames + (audioChunk ? audioBytes / audioChunk + 1 : 0);
    return AviMuxer::SuperIndexEntriesFor(payload, chunks, std::max(layout.imageBytes, audioChunk), job.limits);
}

void writeFrames(const AviSaveJob& job, const FrameLayout& layout, AviMuxer& mux, const RiffWriter& out,
                 AudioFeed* feed)
{
    FrameCanvas canvas(job.width, job.height);
    std::vector<uint8_t> packed(layout.bits == 24 ? 0 : layout.imageBytes);
    for (size_t i = 0; i < job.bitmaps.size(); ++i) {
        if (feed)
            feed->WriteFor(uint64_t(i) * uint64_t(job.frameTime));
        const uint8_t* bits = canvas.Compose(*job.bitmaps[i], job.stretch);
        if (layout.bits != 24) {
            PackFrame(bits, layout, packed.data());
            bits = packed.data();
        }
        mux.WriteChunk(0, bits, layout.imageBytes);
        if (out.Failed())
            throw Exception(frameError(AVIERR_FILEWRITE));
    }
    if (feed)
        feed->WriteRest();
}

} // namespace

void SaveAvi(const AviSaveJob& job)
{
    std::unique_ptr<SaveFile> file = createOutput(job.fileName);
    if (job.frameTime <= 0)
        throw Exception(VideoStream);
    FrameLayout layout = checkedLayout(job);
    WavReader reader;
    std::optional<SoundTrack> track;
    if (WavReader* file = openSound(job.wavFileName, reader))
        track = TrackOf(*file);
    else if (job.movieSound && !job.movieSound->empty())
        track = TrackOf(*job.movieSound);
    const SoundTrack* wav = track ? &*track : nullptr;

    RiffWriter out(file->Stream());
    AviMuxer mux(out, mainHeader(job, layout, wav), streamSetups(job, layout, wav), superIndexEntries(job, layout, wav),
                 job.limits);
    mux.Begin();
    out.Sync();
    if (out.Failed())
        throw Exception(StreamFormat);

    std::unique_ptr<AudioFeed> feed = wav ? std::make_unique<AudioFeed>(*wav, mux) : nullptr;
    writeFrames(job, layout, mux, out, feed.get());
    mux.Finish();
    if (out.Failed())
        throw Exception(VideoEditStream);
    try {
        file->Commit();
    } catch (const std::exception&) {
        throw Exception(VideoEditStream);
    }
}
