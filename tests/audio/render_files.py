"""The command line's audio files as sox reads them: WAV and FLAC at 44.1 kHz, stereo, 16-bit,
lasting about as long as the score plays. Usage: render_files.py PLEKTO SCORE"""
import subprocess
import sys
import tempfile


def soxi(option, path):
    return subprocess.run(["soxi", option, path], check=True, capture_output=True, text=True).stdout.strip()


def main():
    plekto, score = sys.argv[1], sys.argv[2]
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        lengths = []
        for ext in ("wav", "flac"):
            out = f"{tmp}/score.{ext}"
            run = subprocess.run([plekto, "render", "--defaults", score, "-o", out], capture_output=True, text=True)
            if run.returncode != 0:
                failures.append(f"{ext}: exit status {run.returncode}: {run.stderr.strip()}")
                continue
            for option, want in (("-r", "44100"), ("-c", "2"), ("-b", "16")):
                got = soxi(option, out)
                if got != want:
                    failures.append(f"{ext}: soxi {option} gives {got}, not {want}")
            lengths.append(int(soxi("-s", out)))
        # Both hold the same samples, so the same number of them; and some seconds of sound.
        if len(lengths) == 2 and lengths[0] != lengths[1]:
            failures.append(f"WAV has {lengths[0]} samples, FLAC {lengths[1]}")
        if lengths and lengths[0] < 44100:
            failures.append(f"only {lengths[0]} samples")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
