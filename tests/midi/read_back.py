"""MIDI export read back by other programs: a small score whose notes are worked out by hand
from the notation, and every example, rendered with the built plekto, read with mido and
played through FluidSynth into a WAV file that must not be silent.

Usage: read_back.py PLEKTO EXAMPLES_DIR. Missing mido or FluidSynth is a failure, not a skip."""
import array
import glob
import os
import sys
import tempfile
import wave

from common import read_notes, render, run, timed

# Standard tuning, strings 1..6 (E4 B3 G3 D3 A2 E2); channels 0..5 for strings 1..6.
# 3/4 at 90 quarters a minute (666,667 microseconds a quarter). Bar 2 sits between repeat
# bars, so it plays twice; its tie on string 6 joins two quarters into one note. The
# vibrato on string 1 covers the two notes of bar 3.
SMALL_SCORE = b"""tm\x8b\xc8 Read back
$Tempo:90
-3,4/n4nn0/n8cn.1/fs8/n8cn..2/fe/n4nn.....3/|:/n4nn.....0/_s6/n4nn.....0/_e/n4nn....2/|:e
n2nn0.0/vbs1/n4nn2/vbe/|
"""
# (onset, channel, pitch, duration) in ticks of 480 to a quarter.
SMALL_NOTES = sorted([
    (0, 0, 64, 480), (480, 1, 60, 240), (720, 2, 57, 240), (960, 5, 43, 480),
    (1440, 5, 40, 960), (2400, 4, 47, 480),
    (2880, 5, 40, 960), (3840, 4, 47, 480),
    (4320, 0, 64, 960), (4320, 1, 59, 960), (5280, 0, 66, 480),
])
SMALL_TEMPO = 666667
SMALL_TITLE = "\u66f2 Read back"  # the title's code page 932 bytes as UTF-8
SMALL_VIBRATO = (0, 4320, 5760)  # channel, from, to

SOUND_FONTS = ["/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/default-GM.sf2"]

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def read(path):
    """Notes (onset, channel, pitch, duration), bends (tick, channel, value), tempos, metres, title."""
    midi, notes = read_notes(path, failures)
    check(midi.type == 1 and midi.ticks_per_beat == 480, f"{path}: type {midi.type}, {midi.ticks_per_beat} ticks")
    bends, tempos, metres = [], [], []
    for tick, msg in timed(midi):
        if msg.type == "set_tempo":
            tempos.append(msg.tempo)
        elif msg.type == "time_signature":
            metres.append((tick, msg.numerator, msg.denominator))
        elif msg.type == "pitchwheel":
            bends.append((tick, msg.channel, msg.pitch))
    return [note[:4] for note in notes], bends, tempos, metres, midi.tracks[0].name


def play(path, wav, sound_font):
    result = run(["fluidsynth", "-ni", "-F", wav, sound_font, path])
    lines = [line for line in (result.stdout + result.stderr).splitlines() if "error" in line.lower()]
    if not check(result.returncode == 0 and not lines, f"fluidsynth {path}: status {result.returncode}: {lines}"):
        return
    with wave.open(wav) as w:
        samples = array.array("h", w.readframes(w.getnframes()))
    check(samples and max(abs(s) for s in samples) > 300, f"{wav}: silent")


def main():
    plekto, examples = sys.argv[1], sys.argv[2]
    sound_font = next((f for f in SOUND_FONTS if os.path.exists(f)), None)
    check(sound_font is not None, f"no General MIDI sound font: {SOUND_FONTS}")
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, XDG_CONFIG_HOME=tmp, QT_QPA_PLATFORM="offscreen")
        small = os.path.join(tmp, "small.tab")
        with open(small, "wb") as f:
            f.write(SMALL_SCORE)
        scores = [small] + sorted(glob.glob(os.path.join(examples, "*.tab")))
        check(len(scores) > 1, f"no examples in {examples}")
        for score in scores:
            out = os.path.join(tmp, os.path.basename(score)[:-4] + ".mid")
            if not check(not (problem := render(plekto, score, out, env, "--defaults", quiet=True)), problem):
                continue
            notes, bends, tempos, metres, title = read(out)
            check(notes, f"{out}: no notes")
            check(all(channel != 9 for _, channel, _, _ in notes), f"{out}: the drum channel is used")
            if score == small:
                check(notes == SMALL_NOTES, f"small score: notes {notes}, expected {SMALL_NOTES}")
                check(tempos == [SMALL_TEMPO], f"small score: tempos {tempos}")
                check(title == SMALL_TITLE, f"small score: title {title!r}")
                check(metres == [(0, 3, 4)], f"small score: time signatures {metres}")
                channel, start, end = SMALL_VIBRATO
                check(bends and all(b[1] == channel and start <= b[0] <= end for b in bends),
                      f"small score: bends outside the vibrato: {bends}")
                check(bends and bends[-1] == (end, channel, 0), f"small score: the bend does not end at the centre")
            if sound_font:
                play(out, out[:-4] + ".wav", sound_font)
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
