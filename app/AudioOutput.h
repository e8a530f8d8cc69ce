// What the window's Flash players play, heard through the system's audio output. The
// engines mix on the player's clock; this only takes their live feed every few
// milliseconds, adds the players together and writes the result to a Qt audio sink.
// Without an audio device (or one that refuses 44.1 kHz stereo 16-bit) it stays
// silent and says nothing: the program works the same without sound.
#pragma once

#include "Timer.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QAudioSink;
class QIODevice;
class TsfFlashPlayer;

class MovieAudioOutput {
public:
    using PlayerList = std::function<std::vector<TsfFlashPlayer*>()>;
    explicit MovieAudioOutput(PlayerList players);
    ~MovieAudioOutput();
    MovieAudioOutput(const MovieAudioOutput&) = delete;
    MovieAudioOutput& operator=(const MovieAudioOutput&) = delete;

    bool active() const { return m_device != nullptr; }

private:
    void pull();

    PlayerList m_players;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_device = nullptr;
    TTimer m_timer;
    std::vector<TsfFlashPlayer*> m_listening;
    std::vector<int16_t> m_mix;
    std::vector<int16_t> m_part;
};
