#include "WavFile.h"

#include "LittleEndian.h"
#include "RiffWriter.h"
#include "SaveFile.h"
#include "Exceptions.h"

#include <limits>

std::vector<uint8_t> PcmFormatBlock(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample)
{
    uint16_t blockAlign = static_cast<uint16_t>(channels * ((bitsPerSample + 7) / 8));
    LittleEndianBytes out;
    // wFormatTag WAVE_FORMAT_PCM, nChannels, nSamplesPerSec, nAvgBytesPerSec,
    // nBlockAlign, wBitsPerSample, cbSize
    out.U16(1);
    out.U16(channels);
    out.U32(samplesPerSec);
    out.U32(samplesPerSec * blockAlign);
    out.U16(blockAlign);
    out.U16(bitsPerSample);
    out.U16(0);
    return out.Take();
}

void WriteWavFile(const std::string& path, const std::vector<uint8_t>& formatBlock, const void* data, size_t bytes)
{
    if (bytes > std::numeric_limits<uint32_t>::max() - 64 - formatBlock.size())
        throw EWriteError("sound too long for a WAV file");
    SaveFile file(path);
    RiffWriter out(file.Stream());
    {
        RiffChunk riff(out, "RIFF", "WAVE");
        out.Chunk("fmt ", formatBlock.data(), static_cast<uint32_t>(formatBlock.size()));
        out.Chunk("data", data, static_cast<uint32_t>(bytes));
    }
    out.Flush();
    if (out.Failed())
        throw EWriteError(toolkit_messages::WriteError);
    file.Commit();
}
