#!/usr/bin/env python3
"""Times whole `plekto` processes on generated pieces of 46, 460 and 4,600 bars
(median of 3 runs) and reports their peak memory, against the targets we hold
ourselves to:

    46 bars to PDF or PNG  < 0.15 s      460 bars to PDF  < 0.5 s
    4,600 bars to PDF      < 2 s and peak memory < 150 MB

    python3 bench/pieces.py [path/to/plekto]

Also reads a one-million-item score (`dump` to /dev/null) and reports its peak
memory (target < 500 MB).
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_piece  # noqa: E402


def run(argv):
    """Wall time in seconds and peak resident memory in MB of one process."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: " + " ".join(argv) + "\n" + proc.stderr.read().decode())
    return elapsed, usage.ru_maxrss / 1024.0


def median_of_3(argv):
    runs = [run(argv) for _ in range(3)]
    return statistics.median(r[0] for r in runs), max(r[1] for r in runs)


def write_piece(directory, bars):
    path = os.path.join(directory, "piece-{}.tab".format(bars))
    with open(path, "w") as out:
        out.write("tmBenchmark piece/tslt1{} bars/tsrt1Plekto\n-4,4\n".format(bars))
        for n in range(bars):
            out.write(make_piece.bar(n) + "\n")
    return path


def main():
    plekto = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build", "plekto")
    env_ok = True
    with tempfile.TemporaryDirectory() as tmp:
        print("{:<28} {:>10} {:>10} {:>10}".format("job", "median s", "peak MB", "target"))
        jobs = [
            (46, "pdf", 0.15, None), (46, "png", 0.15, None),
            (460, "pdf", 0.5, None), (460, "png", None, None),
            (4600, "pdf", 2.0, 150.0),
        ]
        for bars, ext, seconds, megabytes in jobs:
            piece = write_piece(tmp, bars)
            out = os.path.join(tmp, "out." + ext)
            t, mb = median_of_3([plekto, "render", piece, "-o", out, "--defaults"])
            target = []
            if seconds:
                target.append("<{}s".format(seconds))
                env_ok &= t < seconds
            if megabytes:
                target.append("<{}MB".format(int(megabytes)))
                env_ok &= mb < megabytes
            print("{:<28} {:>10.3f} {:>10.1f} {:>10}".format("{} bars to {}".format(bars, ext.upper()), t, mb,
                                                            " ".join(target) or "-"))
        # One million unit items, read and laid out.
        big = os.path.join(tmp, "million.tab")
        with open(big, "w") as out:
            line = "/".join(["n8cn3", "fs8", "n8cn5", "fe", "n4nn0.2.2", "_s", "n4nn0.2.2", "_e", "r4", "|"])
            for _ in range(1000000 // 5):
                out.write(line + "\n")
        t, mb = median_of_3([plekto, "dump", big, "--defaults"])
        env_ok &= mb < 500
        print("{:<28} {:>10.3f} {:>10.1f} {:>10}".format("1,000,000 items, dump", t, mb, "<500MB"))
    print("all targets met" if env_ok else "SOME TARGETS MISSED")
    return 0 if env_ok else 1


if __name__ == "__main__":
    sys.exit(main())
