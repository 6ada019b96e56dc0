// FluidSynth played offline: MIDI channel messages in, 44.1 kHz stereo samples out, with
// no audio device. The same SoundFont and messages always give the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fluidsynth/types.h>
#include <string>

struct CMidiMessage;

class CSynthesizer
{
public:
    static constexpr int SampleRate = 44100;
    static constexpr int Channels = 2;

    // FluidSynth's own console output is silenced for the whole process: the caller
    // reports what goes wrong.
    // live: samples are loaded as presets are chosen, not all with the SoundFont, so a
    // player starts in milliseconds rather than reading the whole file first.
    explicit CSynthesizer(bool live = false);
    ~CSynthesizer();
    CSynthesizer(const CSynthesizer&) = delete;
    CSynthesizer& operator=(const CSynthesizer&) = delete;

    // Loads the SoundFont the messages play; false with the reason when it cannot.
    bool Load(const std::string& soundFont, std::string& error);
    // Note on and off, controllers, program changes and pitch bends; others are ignored.
    void Send(const CMidiMessage& message);
    // The next frames, interleaved left and right, each sample rounded and saturated.
    void Render(int16_t* out, std::size_t frames);
    // The next frames as floats, one buffer per side (silence when the synthesizer failed).
    void Render(float* left, float* right, std::size_t frames);
    // Every sounding voice cut and every pitch bend centred; the programs (and, live,
    // their loaded samples) stay.
    void Silence();

private:
    fluid_settings_t* Settings = nullptr;
    fluid_synth_t* Synth = nullptr;
    float Left[1024];
    float Right[1024];
};
