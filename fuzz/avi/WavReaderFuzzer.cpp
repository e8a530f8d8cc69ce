// Reads arbitrary bytes as a WAV file and pulls all of its sound: the chunk scan, the
// format record and the data reads must stay inside the file whatever it claims.
#include "WavFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The reader takes a path: an anonymous in-memory file gives it one.
    const int fd = memfd_create("wav", 0);
    if (fd < 0)
        return 0;
    if (size > 0 && write(fd, data, size) != ssize_t(size)) {
        close(fd);
        return 0;
    }
    WavLimits limits;
    limits.maxChunks = 64;
    WavReader reader;
    if (reader.Open("/proc/self/fd/" + std::to_string(fd), limits) == WavError::None) {
        std::vector<uint8_t> chunk(4096);
        for (uint64_t left = reader.DataBytes(); left > 0;) {
            const size_t n = size_t(std::min<uint64_t>(left, chunk.size()));
            if (!reader.ReadData(chunk.data(), n))
                break;
            left -= n;
        }
    }
    close(fd);
    return 0;
}
