#include "audio/LivePlayback.h"

#include <fluidsynth.h>

#include <algorithm>
#include <mutex>

#include "audio/AudioRender.h"
#include "audio/Libraries.h"
#include "audio/Synthesizer.h"
#include "perform/Performance.h"

namespace
{
// FluidSynth says why a driver failed only through its log: the last error is caught
// while the driver is made, the log silenced again afterwards.
std::mutex LogMutex;
std::string LastLogError;

void CatchError(int, const char* message, void*)
{
    const std::lock_guard lock(LogMutex);
    LastLogError = message ? message : "";
}

int64_t SecondsToFrames(double seconds)
{
    const double frames = seconds * CSynthesizer::SampleRate;
    return frames >= 0.0 ? static_cast<int64_t>(std::min(frames, 1e15)) : 0;  // NaN: 0
}
}  // namespace

CLivePlayback::CLivePlayback() = default;

CLivePlayback::~CLivePlayback()
{
    Stop();
    if (Preparing.joinable())
        Preparing.join();
    if (Settings)
        delete_fluid_settings(Settings);
}

double CLivePlayback::BufferSeconds()
{
    return static_cast<double>(PeriodFrames) * Periods / CSynthesizer::SampleRate;
}

bool CLivePlayback::LoadSynth(const std::string& soundFont, std::string& error)
{
    if (Synth && LoadedSoundFont == soundFont)
        return true;
    Synth = std::make_unique<CSynthesizer>(true);
    LoadedSoundFont.clear();
    if (!Synth->Load(soundFont, error))
        return false;
    LoadedSoundFont = soundFont;
    return true;
}

void CLivePlayback::Prepare(const std::string& soundFont, int32_t program, int32_t strings)
{
    if (Driver || !Prepared.load(std::memory_order_acquire))
        return;
    if (Preparing.joinable())
        Preparing.join();
    Prepared.store(false, std::memory_order_release);
    Preparing = std::thread([this, soundFont, program, strings] {
        PrepareSynth(soundFont, program, strings);
        Prepared.store(true, std::memory_order_release);
    });
}

void CLivePlayback::PrepareSynth(const std::string& soundFont, int32_t program, int32_t strings)
{
    std::string error;
    if (!LoadSynth(soundFont, error))
        return;  // Start tries again and reports
    // Choosing the program loads its samples, which takes a while per channel.
    for (int32_t string = 1; string <= std::clamp(strings, 0, 16); ++string) {
        CMidiMessage change;
        change.Size = 2;
        change.Data = {static_cast<uint8_t>(0xC0 | MidiChannelOfString(string)), static_cast<uint8_t>(program & 0x7F), 0};
        Synth->Send(change);
    }
}

bool CLivePlayback::Start(const CPerformance& performance, double startSeconds, const std::string& soundFont,
                          const std::string& driver, std::string& error)
{
    Stop();
    if (Preparing.joinable())
        Preparing.join();
    if (!LoadSynth(soundFont, error))
        return false;
    Synth->Silence();
    Messages = MidiMessages(performance);
    Frames.clear();
    Frames.reserve(Messages.size());
    for (const CMidiMessage& m : Messages)
        Frames.push_back(AudioFrameAt(performance, m.Tick));
    StartFrame = SecondsToFrames(startSeconds);
    // Set-up before the start is sent at once; notes before it are not played.
    Next = 0;
    while (Next < Messages.size() && Frames[Next] < StartFrame) {
        const uint8_t kind = Messages[Next].Data[0] & 0xF0;
        if (kind != 0x80 && kind != 0x90)
            Synth->Send(Messages[Next]);
        ++Next;
    }
    Frame = StartFrame;
    EndFrame = std::max(Frames.empty() ? 0 : Frames.back(), StartFrame) + SecondsToFrames(AudioTailSeconds);
    Rendered.store(0);
    FirstCallbackNs.store(-1);
    Done.store(false);

    if (!Settings && !(Settings = new_fluid_settings())) {
        const std::string problem = AudioLibraryProblem();
        error = problem.empty() ? std::string("FluidSynth cannot make its settings") : problem;
        return false;
    }
    fluid_settings_setnum(Settings, "synth.sample-rate", CSynthesizer::SampleRate);
    fluid_settings_setint(Settings, "audio.period-size", PeriodFrames);
    fluid_settings_setint(Settings, "audio.periods", Periods);
    if (!driver.empty() && fluid_settings_setstr(Settings, "audio.driver", driver.c_str()) != FLUID_OK) {
        error = "FluidSynth has no audio driver \"";
        (error += driver) += '"';
        return false;
    }
    {
        const std::lock_guard lock(LogMutex);
        LastLogError.clear();
    }
    fluid_set_log_function(FLUID_ERR, CatchError, nullptr);
    fluid_set_log_function(FLUID_PANIC, CatchError, nullptr);
    Driver = new_fluid_audio_driver2(Settings, &CLivePlayback::Callback, this);
    fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
    fluid_set_log_function(FLUID_PANIC, nullptr, nullptr);
    if (!Driver) {
        const std::lock_guard lock(LogMutex);
        const std::string problem = AudioLibraryProblem();
        error = !LastLogError.empty() ? LastLogError
                : !problem.empty()     ? problem
                                       : std::string("FluidSynth found no audio device");
        return false;
    }
    return true;
}

void CLivePlayback::Stop()
{
    if (Driver) {
        delete_fluid_audio_driver(Driver);
        Driver = nullptr;
    }
}

double CLivePlayback::Seconds() const
{
    const int64_t heard = std::max<int64_t>(Rendered.load(std::memory_order_acquire) -
                                                int64_t{PeriodFrames} * Periods, 0);
    return static_cast<double>(StartFrame + heard) / CSynthesizer::SampleRate;
}

double CLivePlayback::FirstCallbackSince(std::chrono::steady_clock::time_point since) const
{
    const int64_t ns = FirstCallbackNs.load(std::memory_order_acquire);
    if (ns < 0)
        return -1.0;
    const auto sinceNs = std::chrono::duration_cast<std::chrono::nanoseconds>(since.time_since_epoch()).count();
    return static_cast<double>(ns - sinceNs) * 1e-9;
}

int CLivePlayback::Callback(void* data, int len, int, float*[], int nout, float* out[])
{
    auto* self = static_cast<CLivePlayback*>(data);
    if (self->FirstCallbackNs.load(std::memory_order_relaxed) < 0) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        self->FirstCallbackNs.store(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(),
                                    std::memory_order_release);
    }
    // The driver zeroes the buffers: without two of them the block stays silent.
    if (nout >= 2 && len > 0)
        self->Render(len, out[0], out[1]);
    self->Rendered.fetch_add(len, std::memory_order_release);
    return FLUID_OK;
}

void CLivePlayback::Render(int frames, float* left, float* right)
{
    if (Frame >= EndFrame) {
        Done.store(true, std::memory_order_release);
        return;
    }
    int done = 0;
    while (done < frames) {
        // The messages due at this frame, then sound up to the next one or the block's end.
        while (Next < Messages.size() && Frames[Next] <= Frame)
            Synth->Send(Messages[Next++]);
        const int64_t until = Next < Messages.size() ? std::min(Frames[Next], Frame + (frames - done))
                                                     : Frame + (frames - done);
        const int n = static_cast<int>(until - Frame);
        Synth->Render(left + done, right + done, static_cast<std::size_t>(n));
        done += n;
        Frame += n;
    }
}
