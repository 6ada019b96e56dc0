"""Shared by the MIDI read-back and the MusicXML round-trip tests: rendering a score with the built
plekto, reading the notes of a MIDI file with mido, and comparing notes within MuseScore's rounding."""
import os
import subprocess
from fractions import Fraction as F

import mido

# Onsets are exact in MuseScore's 480 ticks a quarter; it ends each note a tick early.
ONSET_TOLERANCE = F(2, 480)
DURATION_TOLERANCE = F(3, 480)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=120, **kwargs)


def render(plekto, score, out, env, *options, quiet=False):
    """What went wrong rendering score into out, or None. With quiet a warning is a failure too."""
    result = run([plekto, "render", score, "-o", out, *options], env=env)
    if result.returncode != 0 or (quiet and result.stderr) or not (os.path.isfile(out) and os.path.getsize(out)):
        return f"plekto render {score} -o {out}: status {result.returncode}: {result.stderr.strip()}"
    return None


def timed(midi):
    """(tick, message) of every track, ticks counted from the track's start."""
    for track in midi.tracks:
        tick = 0
        for message in track:
            tick += message.time
            yield tick, message


def read_notes(path, faults=None):
    """The file and its notes as (onset, channel, pitch, duration, velocity) in ticks, sorted. With
    faults, a note struck while it sounds, one ended that never began and one never ended are listed."""
    midi = mido.MidiFile(path, charset="utf-8")
    notes, sounding = [], {}
    for tick, message in timed(midi):
        if message.type not in ("note_on", "note_off"):
            continue
        key = (message.channel, message.note)
        if message.type == "note_on" and message.velocity > 0:
            if sounding.get(key) and faults is not None:
                faults.append(f"{path}: note {message.note} struck twice at {tick}")
            sounding.setdefault(key, []).append((tick, message.velocity))
        elif sounding.get(key):
            start, velocity = sounding[key].pop(0)
            notes.append((start, message.channel, message.note, tick - start, velocity))
        elif faults is not None:
            faults.append(f"{path}: note {message.note} ends at {tick} but never began")
    if faults is not None and any(sounding.values()):
        faults.append(f"{path}: notes never ended: {sounding}")
    return midi, sorted(notes)


def in_quarters(path, velocities=False):
    """(pitch, onset, duration) in quarters by onset then pitch; with the velocity too."""
    midi, notes = read_notes(path)
    per_quarter = midi.ticks_per_beat
    return sorted(((pitch, F(onset, per_quarter), F(duration, per_quarter)) + ((velocity,) if velocities else ())
                   for onset, _, pitch, duration, velocity in notes), key=lambda n: (n[1], n[0]))


def compare(name, got, expected):
    """The first differences between two lists of notes (pitch, onset, duration) in quarters."""
    problems = []
    if len(got) != len(expected):
        problems.append(f"{name}: MuseScore plays {len(got)} notes, expected {len(expected)}")
    for index, (g, e) in enumerate(zip(got, expected)):
        if g[0] != e[0] or abs(g[1] - e[1]) > ONSET_TOLERANCE or abs(g[2] - e[2]) > DURATION_TOLERANCE:
            problems.append(f"{name}: note {index + 1}: MuseScore plays pitch {g[0]} at {float(g[1]):.3f} "
                            f"for {float(g[2]):.3f} quarters, expected pitch {e[0]} at {float(e[1]):.3f} "
                            f"for {float(e[2]):.3f}")
            break
    return problems
