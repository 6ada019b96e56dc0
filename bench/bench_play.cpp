// Starting live playback in the viewer: from the play command (the performance made, the
// driver opened) to the first block the driver asks for, plus the driver's buffer, with
// the SoundFont loaded ahead as the viewer loads it when a score opens. Needs an audio
// device, else skipped. A null ALSA device serves: HOME=<dir> whose .asoundrc holds
// "pcm.!default { type null }", and PLEKTO_BENCH_AUDIO_DRIVER=alsa.
#include <benchmark/benchmark.h>

#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "ScoreText.h"
#include "app/Player.h"
#include "app/PlektoDoc.h"
#include "settings/SettingsStore.h"

namespace
{
void PlayCommandToSound(benchmark::State& state, std::size_t scoreBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("score.tab"));
    std::ofstream(path.toStdString()) << ScoreOfSize(scoreBytes);
    CMemorySettingsStore store;
    CPlektoDoc doc(store);
    QSettings settings(dir.filePath(QStringLiteral("Plekto.conf")), QSettings::IniFormat);
    if (const char* driver = std::getenv("PLEKTO_BENCH_AUDIO_DRIVER"))
        settings.setValue(QStringLiteral("Player/AudioDriver"), QString::fromLocal8Bit(driver));
    if (!doc.OnOpenDocument(path)) {
        state.SkipWithError("the score cannot be read");
        return;
    }
    CPlayer player(doc, settings);
    QString problem;
    QObject::connect(&player, &CPlayer::Problem, [&problem](const QString& text) { problem = text; });
    player.Prepare();
    const auto playOnce = [&] {
        player.PlayPause();
        while (!player.Silent() && player.StartLatency() < 0.0)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        const double latency = player.StartLatency();
        player.Stop();
        return latency;
    };
    if (playOnce() < 0.0) {  // also waits for the SoundFont
        state.SkipWithError(problem.toStdString().c_str());
        return;
    }
    double latency = 0.0;
    for (auto _ : state)
        latency += playOnce();
    state.counters["latency_ms"] = benchmark::Counter(latency * 1000.0, benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(PlayCommandToSound, short, 1024)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(PlayCommandToSound, long, 600 * 1024)->Unit(benchmark::kMillisecond)->Iterations(5);
}  // namespace
