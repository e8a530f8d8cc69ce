// The movie's sound as the video writer takes it: interleaved 16-bit stereo samples at
// 44,100 Hz (left, right, left, ...).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kSoundRate = 44100;
inline constexpr int kSoundChannels = 2;

// Decodes a sound file (a WAV, or anything FFmpeg reads) into that layout. Raises
// Exception naming the file when it cannot be read or holds no sound.
std::vector<int16_t> DecodeSoundFile(const std::string& path);
