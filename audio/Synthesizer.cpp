#include "audio/Synthesizer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>

#include "audio/Libraries.h"
#include "perform/MidiFile.h"

namespace
{
// Loud enough for a six-string chord at full velocity without clipping (FluidSynth's
// default, 0.2, leaves a single string very quiet).
constexpr double Gain = 0.5;

int16_t ToSample(float value)
{
    const float scaled = std::round(value * 32767.0f);
    return scaled >= 32767.0f ? int16_t{32767} : scaled <= -32768.0f ? int16_t{-32768} : static_cast<int16_t>(scaled);
}
}  // namespace

CSynthesizer::CSynthesizer(bool live)
{
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    Settings = new_fluid_settings();
    if (!Settings)
        return;
    fluid_settings_setnum(Settings, "synth.sample-rate", SampleRate);
    fluid_settings_setnum(Settings, "synth.gain", Gain);
    // One thread and no locking: rendering is offline and the order of work fixed.
    fluid_settings_setint(Settings, "synth.cpu-cores", 1);
    fluid_settings_setint(Settings, "synth.threadsafe-api", 0);
    if (live)
        fluid_settings_setint(Settings, "synth.dynamic-sample-loading", 1);
    Synth = new_fluid_synth(Settings);
}

CSynthesizer::~CSynthesizer()
{
    if (Synth)
        delete_fluid_synth(Synth);
    if (Settings)
        delete_fluid_settings(Settings);
}

bool CSynthesizer::Load(const std::string& soundFont, std::string& error)
{
    if (!Synth) {
        const std::string problem = AudioLibraryProblem();
        error = problem.empty() ? std::string("FluidSynth could not start a synthesizer") : problem;
        return false;
    }
    if (fluid_synth_sfload(Synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        error = soundFont + ": FluidSynth cannot load this SoundFont";
        return false;
    }
    return true;
}

void CSynthesizer::Send(const CMidiMessage& message)
{
    if (!Synth || message.Size < 2)
        return;
    const int channel = message.Data[0] & 0x0F;
    const int a = message.Data[1] & 0x7F;
    const int b = message.Size > 2 ? message.Data[2] & 0x7F : 0;
    switch (message.Data[0] & 0xF0) {
    case 0x80: fluid_synth_noteoff(Synth, channel, a); break;
    case 0x90: b == 0 ? fluid_synth_noteoff(Synth, channel, a) : fluid_synth_noteon(Synth, channel, a, b); break;
    case 0xB0: fluid_synth_cc(Synth, channel, a, b); break;
    case 0xC0: fluid_synth_program_change(Synth, channel, a); break;
    case 0xE0: fluid_synth_pitch_bend(Synth, channel, a | b << 7); break;
    default: break;
    }
}

void CSynthesizer::Render(int16_t* out, std::size_t frames)
{
    while (frames > 0) {
        const std::size_t n = std::min(frames, std::size(Left));
        if (!Synth || fluid_synth_write_float(Synth, static_cast<int>(n), Left, 0, 1, Right, 0, 1) != FLUID_OK) {
            std::fill_n(Left, n, 0.0f);
            std::fill_n(Right, n, 0.0f);
        }
        for (std::size_t i = 0; i < n; ++i) {
            *out++ = ToSample(Left[i]);
            *out++ = ToSample(Right[i]);
        }
        frames -= n;
    }
}

void CSynthesizer::Render(float* left, float* right, std::size_t frames)
{
    while (frames > 0) {
        const std::size_t n = std::min(frames, std::size(Left));
        if (!Synth || fluid_synth_write_float(Synth, static_cast<int>(n), left, 0, 1, right, 0, 1) != FLUID_OK) {
            std::fill_n(left, n, 0.0f);
            std::fill_n(right, n, 0.0f);
        }
        left += n;
        right += n;
        frames -= n;
    }
}

void CSynthesizer::Silence()
{
    if (!Synth)
        return;
    fluid_synth_all_sounds_off(Synth, -1);
    for (int channel = 0; channel < 16; ++channel)
        fluid_synth_pitch_bend(Synth, channel, 8192);
}
