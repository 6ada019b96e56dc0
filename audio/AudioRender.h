// A performance played through the synthesizer, block by block, into a sink or a WAV or
// FLAC file (16-bit stereo at 44.1 kHz): the sequencer's messages at their sample frames,
// then the sound until it has died away. Memory stays a few blocks whatever the length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CSynthesizer;
struct CPerformance;

// Release tails longer than this after the last note-off are cut.
inline constexpr double AudioTailSeconds = 5.0;
// Longer performances are refused: a WAV file cannot hold much more.
inline constexpr double MaxAudioSeconds = 6.0 * 3600.0;

// Takes interleaved stereo frames; false stops the rendering.
using CAudioSink = std::function<bool(const int16_t* samples, std::size_t frames)>;

// The sample frame where a tick of played time sounds (saturated at both ends).
int64_t AudioFrameAt(const CPerformance& performance, int64_t tick);

// Plays the performance on synth (a SoundFont loaded) into sink: every message at its
// frame, then blocks until one is silent, at most AudioTailSeconds past the last
// message. False when the sink refused a block, or with error set when the
// performance is too long.
bool RenderPerformance(const CPerformance& performance, CSynthesizer& synth, const CAudioSink& sink,
                       std::string& error);

enum class AudioFileType
{
    Wav,
    Flac,
};

// Writes the performance played with the SoundFont as a file on fd (a regular file at
// its start, left open). False with the reason (libsndfile's or FluidSynth's) on failure.
bool WriteAudioFile(int fd, AudioFileType type, const CPerformance& performance, const std::string& soundFont,
                    std::string& error);
