#!/usr/bin/env python3
"""Writes the three pictures of the settings pages (page.svg, tab.svg, note.svg).

Each picture ties the lettered labels of its page, (a), (b), ..., to what they measure.
Sizes are the pixel sizes the pages show them at. Only SVG Tiny features are used (no
markers), since that is what Qt's SVG renderer draws. Run it from anywhere; it writes
beside itself.
"""
import os

GREY = "#808080"


class Picture:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.parts = []

    def line(self, x1, y1, x2, y2, width=1.0, colour="black", dash=None):
        extra = f' stroke-dasharray="{dash}"' if dash else ""
        self.parts.append(f'<line x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}" stroke="{colour}" '
                          f'stroke-width="{width}"{extra}/>')

    def rect(self, x, y, w, h, fill="none", stroke="black", width=1.0, dash=None):
        extra = f' stroke-dasharray="{dash}"' if dash else ""
        self.parts.append(f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{fill}" '
                          f'stroke="{stroke}" stroke-width="{width}"{extra}/>')

    def text(self, x, y, s, size=7.5, anchor="middle", weight="normal", background=False):
        if background:
            w = 0.62 * size * len(s) + 2
            left = {"middle": x - w / 2, "start": x - 1, "end": x - w + 1}[anchor]
            self.parts.append(f'<rect x="{left:.1f}" y="{y - size * 0.85:.1f}" width="{w:.1f}" '
                              f'height="{size * 1.1:.1f}" fill="white" stroke="none"/>')
        self.parts.append(f'<text x="{x}" y="{y}" font-family="DejaVu Sans, Arial, sans-serif" '
                          f'font-size="{size}" font-weight="{weight}" text-anchor="{anchor}" '
                          f'fill="black">{s}</text>')

    def head(self, x, y, dx, dy, length=3.5):
        """An arrowhead with its tip at (x, y), pointing along (dx, dy)."""
        half = length * 0.45
        bx, by = x - dx * length, y - dy * length
        px, py = -dy * half, dx * half
        self.parts.append(f'<polygon points="{x},{y} {bx + px:.2f},{by + py:.2f} '
                          f'{bx - px:.2f},{by - py:.2f}" fill="black"/>')

    def dim(self, x1, y1, x2, y2):
        """A dimension line with arrowheads at both ends, drawn inside for short spans too."""
        self.line(x1, y1, x2, y2, 0.7)
        length = abs(x2 - x1) + abs(y2 - y1)
        size = 3.5 if length >= 10 else 2.2
        dx, dy = (1 if x2 > x1 else -1 if x2 < x1 else 0), (1 if y2 > y1 else -1 if y2 < y1 else 0)
        self.head(x1, y1, -dx, -dy, size)
        self.head(x2, y2, dx, dy, size)

    def svg(self):
        body = "\n  ".join(self.parts)
        return (f'<?xml version="1.0" encoding="UTF-8"?>\n'
                f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
                f'width="{self.width}" height="{self.height}" viewBox="0 0 {self.width} {self.height}">\n'
                f'  <rect x="0" y="0" width="{self.width}" height="{self.height}" fill="white"/>\n'
                f'  {body}\n</svg>\n')


def page_picture():
    """A page with its width (a), height (b) and the left (c), top (d), right (e) and
    bottom (f) margins around the frame that the lines are drawn in."""
    p = Picture(120, 120)
    left, top, right, bottom = 26, 12, 94, 100
    fl, ft, fr, fb = 38, 24, 84, 88
    p.rect(left, top, right - left, bottom - top, fill="white")
    p.rect(fl, ft, fr - fl, fb - ft, stroke=GREY, width=0.7, dash="2,1.5")
    for group in (27, 49, 69):
        for k in range(6):
            p.line(fl, group + 2 * k, fr, group + 2 * k, 0.4, GREY)
    # (a) width, under the page.
    p.line(left, bottom + 1, left, 112, 0.5, GREY)
    p.line(right, bottom + 1, right, 112, 0.5, GREY)
    p.dim(left, 108, right, 108)
    p.text(60, 111, "(a)", background=True)
    # (b) height, left of the page.
    p.line(left - 1, top, 10, top, 0.5, GREY)
    p.line(left - 1, bottom, 10, bottom, 0.5, GREY)
    p.dim(14, top, 14, bottom)
    p.text(14, 59, "(b)", background=True)
    # (c) and (e): the side margins, labelled inside the frame.
    p.dim(left, 43, fl, 43)
    p.text(fl + 2, 45.7, "(c)", anchor="start")
    p.dim(fr, 43, right, 43)
    p.text(fr - 2, 45.7, "(e)", anchor="end")
    # (d) and (f): the top and bottom margins.
    p.dim(61, top, 61, ft)
    p.text(64, 21, "(d)", anchor="start")
    p.dim(61, fb, 61, bottom)
    p.text(64, 97, "(f)", anchor="start")
    return p


def tab_picture():
    """A TAB line from the top: the chord band (a), the tuplet band (b), the band above
    the top string line where stems and beams stand (c), the string pitch (d), the band
    below the bottom string line (e); the width of one drawing unit (f) and the boxed
    letters T, A, B at the line head (g)."""
    p = Picture(120, 127)
    chord, triplet, upper, first, pitch, lower_end = 8, 17, 25, 45, 6, 95
    strings = [first + pitch * k for k in range(6)]
    last = strings[-1]
    end = 92
    # Band boundaries, carried out to the dimensions on the right.
    for y in (chord, triplet, upper, lower_end):
        p.line(6, y, 100, y, 0.4, GREY, dash="1.5,1.5")
    for y in strings:
        p.line(6, y, end, y, 0.7)
    p.line(end, first, end, last, 0.7)
    p.line(6, first, 6, last, 0.7)
    # (g) the head: T, A, B in a box.
    p.rect(10, first + 2, 13, last - first - 4, fill="white", width=0.7)
    for k, letter in enumerate("TAB"):
        p.text(16.5, first + 10 + 8.5 * k, letter, size=7.5, weight="bold")
    p.text(16.5, 88, "(g)")
    # Three notes one unit apart: fret numbers, stems, a beam, a tuplet bracket, a chord.
    columns = (40, 52, 64)
    for x, (line, fret) in zip(columns, ((1, "3"), (2, "2"), (3, "0"))):
        y = strings[line]
        p.rect(x - 2.5, y - 3.5, 5, 7, fill="white", stroke="none")
        p.text(x, y + 2.5, fret, size=6.5)
        p.line(x, first, x, 30, 0.8)
    p.rect(40, 29, 24, 2.2, fill="black", stroke="none")
    p.line(40, 23, 40, 21, 0.6)
    p.line(64, 23, 64, 21, 0.6)
    p.line(40, 21, 48, 21, 0.6)
    p.line(56, 21, 64, 21, 0.6)
    p.text(52, 23.5, "3", size=7)
    p.text(40, 15.5, "Am", size=7, anchor="start")
    # (a) to (e) on the right.
    x = 100
    p.dim(x, chord, x, triplet)
    p.dim(x, triplet, x, upper)
    p.dim(x, upper, x, first)
    p.line(end, strings[3], x + 2, strings[3], 0.4, GREY, dash="1.5,1.5")
    p.line(end, strings[4], x + 2, strings[4], 0.4, GREY, dash="1.5,1.5")
    p.dim(x, strings[3], x, strings[4])
    p.dim(x, last, x, lower_end)
    for label, centre in (("(a)", (chord + triplet) / 2), ("(b)", (triplet + upper) / 2),
                          ("(c)", (upper + first) / 2), ("(d)", (strings[3] + strings[4]) / 2),
                          ("(e)", (last + lower_end) / 2)):
        p.text(103, centre + 2.7, label, anchor="start")
    # (f) one unit: the column of the middle note.
    p.line(46, last + 2, 46, 108, 0.4, GREY, dash="1.5,1.5")
    p.line(58, last + 2, 58, 108, 0.4, GREY, dash="1.5,1.5")
    p.dim(46, 105, 58, 105)
    p.text(52, 117, "(f)")
    return p


def note_picture():
    """Beamed stems under a tuplet "3": the height of one beam (a), the gap between two
    beams (b), the stem height above the top string line (c) and the gap between the stem
    tips and the tuplet mark (d)."""
    p = Picture(120, 121)
    top_string = 100
    for k in range(3):
        p.line(6, top_string + 8 * k, 86, top_string + 8 * k, 0.7)
    mark, tips, beam1, gap, beam2 = 30, 38, 45, 53, 60
    stems = (30, 50, 70)
    for x, fret in zip(stems, "575"):
        p.line(x, top_string, x, tips, 1.0)
        p.rect(x - 2.5, top_string + 4.5, 5, 7, fill="white", stroke="none")
        p.text(x, top_string + 10.5, fret, size=6.5)
    p.rect(stems[0], tips, stems[-1] - stems[0], beam1 - tips, fill="black", stroke="none")
    p.rect(stems[0], gap, stems[-1] - stems[0], beam2 - gap, fill="black", stroke="none")
    # The tuplet mark: a bracket with its digit.
    p.line(stems[0], mark, stems[0], 24, 0.8)
    p.line(stems[-1], mark, stems[-1], 24, 0.8)
    p.line(stems[0], 24, 44, 24, 0.8)
    p.line(56, 24, stems[-1], 24, 0.8)
    p.text(50, 27.5, "3", size=9)
    # (a), (b), (d) on the right.
    for y in (mark, tips, beam1, gap, beam2):
        p.line(stems[-1] + 2, y, 92, y, 0.4, GREY, dash="1.5,1.5")
    x = 88
    p.dim(x, mark, x, tips)
    p.dim(x, tips, x, beam1)
    p.dim(x, beam1, x, gap)
    for label, centre in (("(d)", (mark + tips) / 2), ("(a)", (tips + beam1) / 2), ("(b)", (beam1 + gap) / 2)):
        p.text(92, centre + 2.7, label, anchor="start")
    # (c) the stem height, on the left.
    p.line(stems[0] - 2, tips, 10, tips, 0.4, GREY, dash="1.5,1.5")
    p.dim(14, tips, 14, top_string)
    p.text(14, 72, "(c)", background=True)
    return p


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, make in (("page.svg", page_picture), ("tab.svg", tab_picture), ("note.svg", note_picture)):
        with open(os.path.join(here, name), "w", encoding="utf-8") as out:
            out.write(make().svg())


if __name__ == "__main__":
    main()
