#!/usr/bin/env python3
"""Writes a piece of N bars of 4/4 in Plekto's notation: beamed eighths, sixteenth
groups, chords of 3 to 6 notes, ties, triplets, rests and a title (TAB only).

    python3 bench/make_piece.py BARS > piece.tab
    python3 bench/make_piece.py BARS --one-line > line.tab   (every token on one line)
"""
import sys

CHORDS = [
    ("Am", [0, 1, 2, 2, 0, None]),
    ("C", [0, 1, 0, 2, 3, None]),
    ("G", [3, 0, 0, 0, 2, 3]),
    ("E", [0, 0, 1, 2, 2, 0]),
    ("Dm", [1, 3, 2, 0, None, None]),
    ("F", [1, 1, 2, 3, 3, 1]),
]


def frets(strings):
    return ".".join("" if f is None else str(f) for f in strings)


def bar(n):
    name, shape = CHORDS[n % len(CHORDS)]
    notes = [f for f in shape if f is not None]
    size = 3 + n % 4  # chords of 3 to 6 notes
    chord = shape[:size] + [None] * (6 - size)
    hi = notes[0] + 2
    tokens = []
    if n % 4 == 0:
        tokens.append("ch" + name)
    # Two beamed eighths on the bass and a middle string.
    tokens += ["n8cn" + frets([None] * 4 + [notes[-1], None]), "fs8", "n8cn" + frets([None, None, notes[1]]), "fe"]
    # A group of four sixteenths with two beams.
    tokens += ["n16cn" + str(hi), "fs8", "fs16", "n16cn" + str(hi + 1), "n16cn" + str(hi + 2),
               "n16cn" + frets([None, hi]), "fe", "fe"]
    # A quarter chord tied to the next one.
    tokens += ["n4nn" + frets(chord), "_s1", "n4nn" + frets(chord), "_e"]
    # A triplet of eighths with their own flags, then an eighth rest or, every other
    # bar, an eighth note.
    tokens += ["n8sn" + frets([None, notes[1]]), "3s", "n8sn" + frets([notes[0]]), "n8sn" + frets([None, None, notes[2]]),
               "3e", "r8" if n % 2 else "n8sn" + str(hi), "|"]
    return "/".join(tokens)


def main():
    args = [a for a in sys.argv[1:] if a != "--one-line"]
    bars = int(args[0]) if args else 46
    lines = ["tmBenchmark piece/tslt1{} bars/tsrt1Plekto".format(bars), "-4,4"]
    lines += [bar(n) for n in range(bars)]
    print(("/" if "--one-line" in sys.argv[1:] else "\n").join(lines))


if __name__ == "__main__":
    main()
