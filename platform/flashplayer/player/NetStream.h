// What a NetStream plays: an FLV's video frames shown by their times on the player's
// clock. The stream exists from play() on; its file arrives a frame later (or never).
// Videos attached to it draw its current picture.
#pragma once

#include "VideoObject.h"

#include "swf/Flv.h"
#include "sound/SoundDecoder.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace flash {

class NetStreamPlayback {
public:
    enum class State { Idle, Waiting, Playing, Failed, Closed };

    State state() const { return m_state; }
    const std::string& url() const { return m_url; }
    // play(url): waits for the file.
    void request(std::string url);
    // The file arrived: playing starts at `nowMs`. False (and Failed) when it holds
    // no FLV.
    bool start(const std::vector<uint8_t>& bytes, int64_t nowMs);
    void fail() { m_state = State::Failed; }
    void close();
    // pause(): toggles; pause(true/false) sets.
    void pause(std::optional<bool> paused, int64_t nowMs);
    void seek(double seconds, int64_t nowMs);

    // Moves the current frame to the clock's time. True once when the last frame's
    // time has passed (the stream stops there).
    bool update(int64_t nowMs);
    double timeSeconds(int64_t nowMs) const;
    double bytes() const { return m_bytes; }
    const swf::FlvFile& file() const { return m_flv; }
    // The picture of the current frame, or null (nothing shown yet, undecodable).
    const video::VideoImage* picture();
    int frameIndex() const { return m_frame; }
    // The sound of the audio tags whose time comes before nowMs + aheadMs and was not
    // given yet, in the mix format. `restart` is set when the stream jumped (a seek,
    // a new file) and what is queued of it must go.
    void takeAudio(int64_t nowMs, double aheadMs, std::vector<int16_t>& out, bool& restart);

private:
    double positionMs(int64_t nowMs) const;
    double endMs() const;

    State m_state = State::Idle;
    std::string m_url;
    swf::FlvFile m_flv;
    swf::VideoStream m_stream;
    std::vector<uint32_t> m_times;
    std::unique_ptr<VideoObject> m_video;   // decodes m_stream
    double m_bytes = 0;
    double m_baseMs = 0;        // stream position when the clock was last read
    int64_t m_startedAt = 0;    // clock time of m_baseMs
    bool m_paused = false;
    bool m_stopped = false;
    int m_frame = -1;           // index into m_stream.frames shown now
    std::unique_ptr<sound::StreamDecoder> m_audio;
    size_t m_nextAudio = 0;     // the audio tag given next
    double m_audioUntilMs = -1; // stream time the audio given so far reaches; <0: jumped
};

}  // namespace flash
