// A performance played live through FluidSynth's own audio driver. The driver's thread
// calls back for each block; the callback sends the messages due within it at their
// sample frames and renders the synthesizer between them, so played time is exactly the
// frames rendered. The synthesizer (and its SoundFont) is loaded ahead on a thread of its
// own and stays loaded between plays, so a start costs only opening the device.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fluidsynth/types.h>

#include "perform/MidiFile.h"

class CSynthesizer;
struct CPerformance;

class CLivePlayback
{
public:
    // The driver's buffer: PeriodFrames x Periods frames, about 23 ms at 44.1 kHz.
    static constexpr int PeriodFrames = 256;
    static constexpr int Periods = 4;

    CLivePlayback();
    // Stops first: no callback runs once the destructor has begun freeing anything.
    ~CLivePlayback();
    CLivePlayback(const CLivePlayback&) = delete;
    CLivePlayback& operator=(const CLivePlayback&) = delete;

    // Loads the SoundFont and chooses the program on the channels of the strings on a
    // thread of its own; Start waits for it. Ignored while playing or while an earlier
    // preparation still runs (the caller's thread never waits here).
    void Prepare(const std::string& soundFont, int32_t program, int32_t strings);
    // Plays the performance from a moment of played time (seconds): the set-up messages
    // before it (program, bend range) at once, its notes from there on. driver names
    // FluidSynth's audio driver ("alsa", "pulseaudio", "jack"...; empty: its default). False
    // with the reason when the SoundFont cannot be loaded or no audio device opens.
    bool Start(const CPerformance& performance, double startSeconds, const std::string& soundFont,
               const std::string& driver, std::string& error);
    // Deletes the driver, which waits for its thread: afterwards no callback runs.
    void Stop();
    bool Playing() const { return Driver != nullptr; }

    // Seconds of played time now heard: frames rendered less the driver's buffer.
    double Seconds() const;
    // The sound has died away after the last message.
    bool Finished() const { return Done.load(std::memory_order_acquire); }
    // The driver's buffer in seconds, and the time from `since` (e.g. the play command)
    // to the first callback of the last Start (negative until it came).
    static double BufferSeconds();
    double FirstCallbackSince(std::chrono::steady_clock::time_point since) const;

private:
    static int Callback(void* data, int len, int nfx, float* fx[], int nout, float* out[]);
    void Render(int frames, float* left, float* right);
    // The synthesizer with the SoundFont loaded (after joining any preparation).
    bool LoadSynth(const std::string& soundFont, std::string& error);
    void PrepareSynth(const std::string& soundFont, int32_t program, int32_t strings);

    // Synth and LoadedSoundFont belong to this thread while it runs.
    std::thread Preparing;
    std::atomic<bool> Prepared{true};  // the preparing thread has finished

    std::unique_ptr<CSynthesizer> Synth;
    std::string LoadedSoundFont;
    fluid_settings_t* Settings = nullptr;
    fluid_audio_driver_t* Driver = nullptr;
    // Written before the driver starts, read only by its thread while it runs.
    std::vector<CMidiMessage> Messages;
    std::vector<int64_t> Frames;  // per message
    std::size_t Next = 0;
    int64_t Frame = 0;            // the next frame the callback renders
    int64_t EndFrame = 0;         // the tail's end
    int64_t StartFrame = 0;
    std::atomic<int64_t> Rendered{0};
    std::atomic<int64_t> FirstCallbackNs{-1};  // steady clock, since its epoch
    std::atomic<bool> Done{false};
};
