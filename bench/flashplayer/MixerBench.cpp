// The mixer's cost per second of sound: one benchmark iteration mixes one second
// (44,100 frames) with N voices playing, with settings on an owner, its parent and
// the global object, and a stream; the silent case shows what an idle player costs.
#include "sound/Mixer.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

std::shared_ptr<const sound::PcmSound> longTone()
{
    auto s = std::make_shared<sound::PcmSound>();
    s->samples.resize(size_t(sound::kMixRate) * 2 * 60);
    for (size_t i = 0; i < s->samples.size(); ++i)
        s->samples[i] = int16_t(std::lround(std::sin(double(i / 2) * 0.142) * 12000));
    return s;
}

void MixOneSecond(benchmark::State& state)
{
    const auto tone = longTone();
    const int voices = int(state.range(0));
    const bool envelope = state.range(1) != 0;
    int64_t now = 0;
    sound::Mixer mix(now);
    mix.setCapture(true);
    mix.settings("").volume = 80;
    mix.settings("_level0").volume = 90;
    mix.settings("_level0.clip").ll = 60;
    for (int v = 0; v < voices; ++v) {
        sound::VoiceStart start;
        start.sound = tone;
        start.owner = "_level0.clip";
        start.loops = 1000;
        if (envelope)
            start.envelope = {{0, 32768, 0}, {441000, 0, 32768}, {882000, 32768, 32768}};
        mix.start(start);
    }
    for (auto _ : state) {
        now += 1000;
        mix.advanceTo(now);
        benchmark::DoNotOptimize(mix.takeCapture());
    }
    state.SetLabel(std::to_string(voices) + " voices" + (envelope ? ", envelopes" : ""));
}
BENCHMARK(MixOneSecond)->Args({0, 0})->Args({1, 0})->Args({4, 0})->Args({8, 0})->Args({32, 0})->Args({8, 1})
    ->Unit(benchmark::kMicrosecond);

// A player with no sound, no capture and no audio output: advancing costs nothing.
void IdleSecond(benchmark::State& state)
{
    int64_t now = 0;
    sound::Mixer mix(now);
    for (auto _ : state) {
        now += 1000;
        mix.advanceTo(now);
    }
}
BENCHMARK(IdleSecond)->Unit(benchmark::kNanosecond);

} // namespace
BENCHMARK_MAIN();
