// libavformat's output written into one of our streams (the temporary file of a save),
// so the encoders never create or name files themselves.
#pragma once

#include <cstdint>
#include <vector>

struct AVIOContext;
class TStream;

class StreamOutput {
public:
    explicit StreamOutput(TStream& stream);
    ~StreamOutput();
    StreamOutput(const StreamOutput&) = delete;
    StreamOutput& operator=(const StreamOutput&) = delete;

    AVIOContext* Context() const { return m_context; }
    // True once a write fell short (a full disk): the save must fail.
    bool Failed() const { return m_failed; }

private:
    static int write(void* opaque, uint8_t* data, int size);  // non-const in this FFmpeg
    static int64_t seek(void* opaque, int64_t offset, int whence);

    TStream& m_stream;
    AVIOContext* m_context = nullptr;
    bool m_failed = false;
};
