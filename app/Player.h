// Playback in the viewer: the score's performance played through the audio device, and
// the cursor's position read from the audio clock about sixty times a second. Without a
// device or a SoundFont the cursor still runs, on the wall clock, and a message says why
// there is no sound. Stopping always deletes the audio driver first, so no callback
// outlives what it plays.
#pragma once

#include <QElapsedTimer>
#include <chrono>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "perform/PlaybackCursor.h"

class CLivePlayback;
class CPlektoDoc;
class QSettings;
class QTimer;
struct CPerformance;

class CPlayer : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Stopped,
        Playing,
        Paused,
    };

    // The store names the SoundFont (Player/SoundFont) and the audio driver
    // (Player/AudioDriver, FluidSynth's name; empty or absent: its default).
    CPlayer(CPlektoDoc& doc, QSettings& store, QObject* parent = nullptr);
    ~CPlayer() override;

    State GetState() const { return Now; }
    // Playing without sound (no device or no SoundFont).
    bool Silent() const { return Mute; }
    // Where the cursor stands (nullopt while stopped).
    std::optional<CCursorPosition> Position() const;
    // From the last play command to the first block the driver asked for, plus the
    // driver's buffer: when the first sound is heard, in seconds (negative while
    // silent or before the first block).
    double StartLatency() const;

    // The interval of the cursor's frames.
    static constexpr int FrameMs = 16;

public slots:
    // Loads the SoundFont for the score shown, in the background, so that play starts at
    // once; the caller calls it when the score changes.
    void Prepare();
    // Stopped: plays from the chosen item (or the top); playing: pauses; paused: goes on.
    void PlayPause();
    // Stops; the chosen start stays (the bar marks it). Stopped already: forgets it.
    void Stop();
    // Stops and forgets the chosen start: the score is about to change.
    void Close();
    void PlayFromTop();
    // A click on an item: play starts there (at once when playing; while stopped the bar
    // marks it).
    void ChooseStart(std::size_t item);

signals:
    void StateChanged(CPlayer::State state);
    // Every frame while playing, and nullopt once stopped.
    void CursorMoved(const std::optional<CCursorPosition>& position);
    // Why there is no sound, for the status bar.
    void Problem(const QString& text);

private:
    void Begin(double seconds);
    void Frame();
    double Seconds() const;
    void SetState(State state);
    std::optional<std::string> FindSoundFont(std::string& error) const;

    CPlektoDoc& Doc;
    QSettings& Store;
    std::unique_ptr<CLivePlayback> Live;
    // The performance and the cursor over it and the score's geometry: made at a stopped
    // start, gone at Stop (before the score may change).
    std::unique_ptr<CPerformance> Performance;
    std::unique_ptr<CPlaybackCursor> Cursor;
    QTimer* Ticker = nullptr;
    QElapsedTimer Wall;
    std::chrono::steady_clock::time_point Command;  // the last play command
    double WallBase = 0.0;     // played seconds when the wall clock started
    double PausedAt = 0.0;
    std::optional<std::size_t> StartItem;
    State Now = State::Stopped;
    bool Mute = false;
    bool Marked = false;  // the bar shows the chosen start while stopped
};
