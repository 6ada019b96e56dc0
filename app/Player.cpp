#include "app/Player.h"

#include <QFile>
#include <QSettings>
#include <QTimer>
#include <string>

#include "app/PlektoDoc.h"
#include "audio/LivePlayback.h"
#include "audio/SoundFont.h"
#include "model/Score.h"
#include "perform/Performance.h"

namespace
{
const QString SoundFontKey = QStringLiteral("Player/SoundFont");
const QString DriverKey = QStringLiteral("Player/AudioDriver");
}  // namespace

CPlayer::CPlayer(CPlektoDoc& doc, QSettings& store, QObject* parent)
    : QObject(parent), Doc(doc), Store(store), Ticker(new QTimer(this))
{
    Ticker->setTimerType(Qt::PreciseTimer);
    Ticker->setInterval(FrameMs);
    connect(Ticker, &QTimer::timeout, this, &CPlayer::Frame);
}

CPlayer::~CPlayer()
{
    // The driver's thread ends before the members it reads go.
    if (Live)
        Live->Stop();
}

std::optional<CCursorPosition> CPlayer::Position() const
{
    if (!Cursor)
        return std::nullopt;
    return Now == State::Paused ? Cursor->At(PausedAt) : Cursor->Now();
}

double CPlayer::StartLatency() const
{
    const double first = Mute || !Live ? -1.0 : Live->FirstCallbackSince(Command);
    return first < 0.0 ? -1.0 : first + CLivePlayback::BufferSeconds();
}

double CPlayer::Seconds() const
{
    if (Now == State::Paused)
        return PausedAt;
    if (!Mute && Live)
        return Live->Seconds();
    return WallBase + static_cast<double>(Wall.nsecsElapsed()) * 1e-9;
}

void CPlayer::SetState(State state)
{
    if (state == Now)
        return;
    Now = state;
    emit StateChanged(state);
}

void CPlayer::PlayPause()
{
    Command = std::chrono::steady_clock::now();
    switch (Now) {
    case State::Playing:
        PausedAt = Seconds();
        if (Live)
            Live->Stop();
        Ticker->stop();
        SetState(State::Paused);
        emit CursorMoved(Position());
        break;
    case State::Paused:
        Begin(PausedAt);
        break;
    case State::Stopped:
        if (!Doc.Score)
            return;
        Performance = std::make_unique<CPerformance>(PerformScore(*Doc.Score));
        Cursor = std::make_unique<CPlaybackCursor>(*Performance, Doc.Score->Geometry);
        Cursor->SetClock([this] { return Seconds(); });
        Marked = false;
        const std::optional<std::size_t> played = StartItem ? Cursor->StartFor(*StartItem) : std::nullopt;
        Begin(played ? Cursor->StartSeconds(*played) : 0.0);
        break;
    }
}

void CPlayer::PlayFromTop()
{
    Close();
    PlayPause();
}

void CPlayer::ChooseStart(std::size_t item)
{
    StartItem = item;
    if (Now == State::Stopped) {
        const std::optional<CCursorPosition> mark = Doc.Score ? ItemCursor(Doc.Score->Geometry, item) : std::nullopt;
        Marked = mark.has_value();
        emit CursorMoved(mark);
        return;
    }
    Stop();
    PlayPause();
}

std::optional<std::string> CPlayer::FindSoundFont(std::string& error) const
{
    const QString stored = Store.value(SoundFontKey).toString();
    return ::FindSoundFont(
        SoundFontPlaces(stored.isEmpty() ? std::nullopt : std::optional<std::string>(QFile::encodeName(stored).toStdString())),
        error);
}

void CPlayer::Prepare()
{
    if (!Doc.Score || Doc.Score->UnitItems.empty() || Now != State::Stopped)
        return;
    std::string error;
    const std::optional<std::string> soundFont = FindSoundFont(error);
    if (!soundFont)
        return;  // said when play is asked for
    if (!Live)
        Live = std::make_unique<CLivePlayback>();
    Live->Prepare(*soundFont, Doc.Score->Settings.Playing.Program, Doc.Score->Settings.Strings);
}

void CPlayer::Begin(double seconds)
{
    std::string error;
    const std::optional<std::string> soundFont = FindSoundFont(error);
    Mute = true;
    if (!soundFont) {
        emit Problem(tr("音を出せません: %1 (音なしで再生位置だけを進めます)").arg(QString::fromLocal8Bit(error.c_str())));
    } else {
        if (!Live)
            Live = std::make_unique<CLivePlayback>();
        const std::string driver = Store.value(DriverKey).toString().toStdString();
        if (Live->Start(*Performance, seconds, *soundFont, driver, error))
            Mute = false;
        else
            emit Problem(tr("音声出力を開けません: %1 (音なしで再生位置だけを進めます)")
                             .arg(QString::fromLocal8Bit(error.c_str())));
    }
    WallBase = seconds;
    Wall.start();
    SetState(State::Playing);
    Ticker->start();
    Frame();
}

void CPlayer::Frame()
{
    if (Now != State::Playing || !Cursor)
        return;
    const std::optional<CCursorPosition> position = Cursor->Now();
    // Done when the sound has died away, or silently when the music's time is over.
    const bool done = !position || (Mute ? position->Finished : Live->Finished());
    if (done) {
        Stop();
        return;
    }
    emit CursorMoved(position);
}

void CPlayer::Stop()
{
    if (Now == State::Stopped)
        StartItem.reset();
    if (Live)
        Live->Stop();
    Ticker->stop();
    Cursor.reset();
    Performance.reset();
    PausedAt = 0.0;
    Mute = false;
    const bool shown = Now != State::Stopped || Marked;
    SetState(State::Stopped);
    const std::optional<CCursorPosition> mark =
        StartItem && Doc.Score ? ItemCursor(Doc.Score->Geometry, *StartItem) : std::nullopt;
    Marked = mark.has_value();
    if (shown || Marked)
        emit CursorMoved(mark);
}

void CPlayer::Close()
{
    StartItem.reset();
    Stop();
}
