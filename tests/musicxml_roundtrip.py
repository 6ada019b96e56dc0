#!/usr/bin/python3
"""MusicXML export checked by a reader no one here wrote: MuseScore 3.

Every example and a few test scores are rendered to MusicXML with the built plekto,
converted by mscore3 to MIDI, and the notes MuseScore plays (pitch, onset and duration in
quarter notes) are compared with those of our own MIDI export of the same score, and for
a few scores with notes worked out by hand. MuseScore must read each file without a word
on stderr beyond its three progress lines.

usage: musicxml_roundtrip.py PLEKTO SOURCE_DIR
"""
import os
import sys
import tempfile
from fractions import Fraction as F

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "midi"))
from common import DURATION_TOLERANCE, ONSET_TOLERANCE, compare, in_quarters, render, run

# Scores whose notes are known from the notation alone, as (pitch, onset, duration).
KNOWN = {
    # 3/4: a quarter, two beamed eighths and a quarter; then an eighth triplet (E4 F4 G4)
    # and A3 tied over two quarters, which MuseScore plays as one note.
    "known.tab": (
        "-3,4/n4nn0/n8cn.1/fs8/n8cn..2/fe/n4nn...2/|\n"
        "n8sn0/3s[/n8sn1/n8sn3/3e/n4nn..2/_s3/n4nn..2/_e/|\n",
        [(64, F(0), F(1)), (60, F(1), F(1, 2)), (57, F(3, 2), F(1, 2)), (52, F(2), F(1)),
         (64, F(3), F(1, 3)), (65, F(10, 3), F(1, 3)), (67, F(11, 3), F(1, 3)), (57, F(4), F(2))]),
    # Open D tuning under a capo at the second fret: D4+2, A3+2, F#3+3+2, D2+2.
    "tuned.tab": (
        "$Tuning:D4,A3,F#3,D3,A2,D2\n$Capo:2\n$Tempo:90\n-4,4/n4nn0/n4nn.0/n4nn..3/n4nn.....0/|\n",
        [(64, F(0), F(1)), (59, F(1), F(1)), (59, F(2), F(1)), (40, F(3), F(1))]),
}

# Scores that only have to be read without complaint: a pickup, a measure longer than its
# time signature, a change of metre, dead and cross-head notes, a quintuplet and a
# sextuplet, a dotted sixty-fourth, hammer-ons, pull-offs and slides, a vibrato on one
# note, an ending without a number, chord names MusicXML has no kind for, markup in texts.
READ_ONLY = {
    "odd_measures.tab":
        "tmA & B <odd>/tslt1\"left\"/tsrb1right's\n"
        "-4,4/n4nn0/|/n4nn0/n4nn1/n4nn2/n4nn3/n4nn5/|\n"
        "-3,8/n8cn0/fs8/n8cn1/n8cn3/fe/|/n8sn0/chC13/n4sn.1/|\n"
        "-4,4/n4ncx.x.2/n4nn0.x/n16cn1/fs8/fs16/3s5[/n16cn2/n16cn3/n16cn2/n16cn1/3e/fe/fe/"
        "n16cn0/fs8/fs16/3s6/n16cn1/n16cn2/n16cn3/n16cn5/n16cn7/3e/fe/fe/|\n"
        "|:/n4nn5/_sh1/n4nn7/_e/_sp1/n4nn5/_e/n4nn.5/_ssl2/n4nn.7/_e/|\n"
        "n2nn0/[sA/vbs1/vbe/n2nn0/[e/|:e/n4nn0/ch[N.C./n64.cn3/r4/|\n",
}


# A title in code page 932 comes out as UTF-8, decoded as the drawing decodes it.
SHIFT_JIS = ("shift_jis.tab", "tmテスト/tslt1楽譜\n-4,4/n1nn0/|\n".encode("cp932"), "<work-title>テスト</work-title>")


# Our dead notes (muted strings, cross heads) are short and struck at this velocity.
DEAD_VELOCITY = 64


def compare_with_ours(name, got, ours):
    """MuseScore's notes against our MIDI export's. Where they differ by design: MuseScore holds
    dead notes for their written length, and plays a slide as a glissando, cutting its first
    note short and filling the rest with passing notes."""
    problems = []
    unmatched = list(got)
    glissandos = []
    for pitch, onset, duration, velocity in ours:
        match = next((g for g in unmatched if g[0] == pitch and abs(g[1] - onset) <= ONSET_TOLERANCE), None)
        if match is None:
            problems.append(f"{name}: MuseScore does not play pitch {pitch} at {float(onset):.3f} as we do")
            continue
        unmatched.remove(match)
        if velocity == DEAD_VELOCITY or abs(match[2] - duration) <= DURATION_TOLERANCE:
            continue
        if match[2] < duration:
            glissandos.append((onset + match[2], onset + duration))
        else:
            problems.append(f"{name}: MuseScore plays pitch {pitch} at {float(onset):.3f} for "
                            f"{float(match[2]):.3f} quarters, we for {float(duration):.3f}")
    for pitch, onset, _ in unmatched:
        if not any(start - ONSET_TOLERANCE <= onset < end for start, end in glissandos):
            problems.append(f"{name}: MuseScore plays pitch {pitch} at {float(onset):.3f}, we do not")
    return problems[:5]


def main():
    plekto, source = sys.argv[1], sys.argv[2]
    examples = os.path.join(source, "examples")
    with tempfile.TemporaryDirectory() as work:
        runtime = os.path.join(work, "runtime")
        os.mkdir(runtime, 0o700)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime)
        scores = {name: os.path.join(examples, name) for name in sorted(os.listdir(examples)) if name.endswith(".tab")}
        texts = dict(READ_ONLY, **{name: known[0] for name, known in KNOWN.items()}, **{SHIFT_JIS[0]: SHIFT_JIS[1]})
        for name, text in texts.items():
            scores[name] = os.path.join(work, name)
            with open(scores[name], "wb") as file:
                file.write(text if isinstance(text, bytes) else text.encode("utf-8"))

        problems = []
        for name, path in scores.items():
            stem = os.path.join(work, os.path.splitext(name)[0])
            problem = render(plekto, path, stem + ".musicxml", env)  # a warning (a length of 64) is no failure
            if problem:
                problems.append(problem)
                continue
            if name == SHIFT_JIS[0]:
                with open(stem + ".musicxml", encoding="utf-8") as file:
                    if SHIFT_JIS[2] not in file.read():
                        problems.append(f"{name}: no {SHIFT_JIS[2]} in the MusicXML")
            convert = run(["mscore3", "-o", stem + ".mid", stem + ".musicxml"], env=env, cwd=work)
            lines = convert.stderr.splitlines()
            progress = [line for line in lines if line.startswith("convert <") or line.startswith("\tto <")
                        or line == "... success!"]
            if len(progress) != 3 or len(lines) != 3:
                problems.append(f"{name}: MuseScore said: " + " | ".join(l for l in lines if l not in progress))
                continue
            got = in_quarters(stem + ".mid")
            if not got:
                problems.append(f"{name}: MuseScore plays no notes")
            if name in KNOWN:
                problems += compare(name, got, KNOWN[name][1])
            problem = render(plekto, path, stem + ".ours.mid", env)
            problems += [problem] if problem else compare_with_ours(name, got, in_quarters(stem + ".ours.mid", True))

        for problem in problems:
            print(problem)
        print(f"{len(scores)} scores, {len(problems)} problems")
        return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
