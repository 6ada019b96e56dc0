#include "audio/AudioRender.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "audio/Synthesizer.h"
#include "perform/MidiFile.h"
#include "perform/Performance.h"

namespace
{
constexpr std::size_t BlockFrames = 4096;
// The tail is judged in slices of 10 ms; one with no sample above about -66 dB ends it.
constexpr std::size_t SliceFrames = CSynthesizer::SampleRate / 100;
constexpr int SilentPeak = 16;

int64_t FramesOf(double seconds)
{
    const double frames = std::round(seconds * CSynthesizer::SampleRate);
    constexpr double most = static_cast<double>(int64_t{1} << 50);
    return frames >= 0.0 ? static_cast<int64_t>(std::min(frames, most)) : 0;  // NaN: 0
}

// Fills whole blocks of synthesized sound and hands each to the sink when full.
class CBlockWriter
{
public:
    CBlockWriter(CSynthesizer& synth, const CAudioSink& sink)
        : Synth(synth), Sink(sink), Samples(BlockFrames * CSynthesizer::Channels)
    {
    }
    int64_t Frame() const { return Written + static_cast<int64_t>(Filled); }

    // Renders up to the frame; false when the sink failed.
    bool RenderTo(int64_t frame)
    {
        while (Frame() < frame) {
            const std::size_t n = static_cast<std::size_t>(
                std::min<int64_t>(frame - Frame(), static_cast<int64_t>(BlockFrames - Filled)));
            Synth.Render(Samples.data() + Filled * CSynthesizer::Channels, n);
            Filled += n;
            if (Filled == BlockFrames && !Flush())
                return false;
        }
        return true;
    }

    // Renders one slice of at most SliceFrames; true when it is silent, and then it is
    // taken back, so that the sound ends where the silence begins.
    bool RenderSilentSlice(bool& sinkFailed)
    {
        const std::size_t n = std::min(SliceFrames, BlockFrames - Filled);
        int16_t* slice = Samples.data() + Filled * CSynthesizer::Channels;
        Synth.Render(slice, n);
        const bool silent = std::all_of(slice, slice + n * CSynthesizer::Channels,
                                        [](int16_t s) { return s >= -SilentPeak && s <= SilentPeak; });
        if (!silent) {
            Filled += n;
            if (Filled == BlockFrames && !Flush())
                sinkFailed = true;
        }
        return silent;
    }

    bool Flush()
    {
        if (Filled == 0)
            return true;
        const bool taken = Sink(Samples.data(), Filled);
        Written += static_cast<int64_t>(Filled);
        Filled = 0;
        return taken;
    }

private:
    CSynthesizer& Synth;
    const CAudioSink& Sink;
    std::vector<int16_t> Samples;
    std::size_t Filled = 0;
    int64_t Written = 0;
};
}  // namespace

int64_t AudioFrameAt(const CPerformance& performance, int64_t tick)
{
    return FramesOf(SecondsAt(performance, tick));
}

bool RenderPerformance(const CPerformance& performance, CSynthesizer& synth, const CAudioSink& sink,
                       std::string& error)
{
    const std::vector<CMidiMessage> messages = MidiMessages(performance);
    const int64_t end = messages.empty() ? 0 : AudioFrameAt(performance, messages.back().Tick);
    if (end > FramesOf(MaxAudioSeconds)) {
        error = "the score plays for " + std::to_string(end / CSynthesizer::SampleRate) +
                " seconds, longer than an audio file may last (" +
                std::to_string(static_cast<int64_t>(MaxAudioSeconds)) + " seconds)";
        return false;
    }
    CBlockWriter writer(synth, sink);
    for (const CMidiMessage& message : messages) {
        if (!writer.RenderTo(AudioFrameAt(performance, message.Tick)))
            return false;
        synth.Send(message);
    }
    const int64_t last = writer.Frame() + FramesOf(AudioTailSeconds);
    bool sinkFailed = false;
    while (writer.Frame() < last && !writer.RenderSilentSlice(sinkFailed))
        if (sinkFailed)
            return false;
    return writer.Flush();
}

bool WriteAudioFile(int fd, AudioFileType type, const CPerformance& performance, const std::string& soundFont,
                    std::string& error)
{
    CSynthesizer synth;
    if (!synth.Load(soundFont, error))
        return false;
    SF_INFO info = {};
    info.samplerate = CSynthesizer::SampleRate;
    info.channels = CSynthesizer::Channels;
    info.format = (type == AudioFileType::Flac ? SF_FORMAT_FLAC : SF_FORMAT_WAV) | SF_FORMAT_PCM_16;
    if (!sf_format_check(&info)) {
        error = "libsndfile cannot write this format";
        return false;
    }
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (!file) {
        error = sf_strerror(nullptr);
        return false;
    }
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> closer(file, &sf_close);
    const bool rendered = RenderPerformance(
        performance, synth,
        [&](const int16_t* samples, std::size_t frames) {
            if (sf_writef_short(file, samples, static_cast<sf_count_t>(frames)) == static_cast<sf_count_t>(frames))
                return true;
            error = sf_strerror(file);
            return false;
        },
        error);
    if (!rendered)
        return false;
    // Closing writes the header's lengths (WAV) or the last frame (FLAC): checked too.
    if (const int code = sf_close(closer.release()); code != 0) {
        error = sf_error_number(code);
        return false;
    }
    return true;
}
