#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks (as root, or through sudo), then
# configures and builds Plekto in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-svg-dev zlib1g-dev nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-ipafont-gothic fonts-ipafont-mincho
  libx11-dev xvfb xauth poppler-utils clang libclang-rt-14-dev
  # Qt's own dialogs (open, print, fonts) in Japanese, like the rest of the viewer.
  qt6-translations-l10n
  # Our own English translation: lupdate and lrelease, and CMake's LinguistTools package.
  qt6-tools-dev qt6-l10n-tools
  # Audio output: FluidSynth plays, libsndfile writes; sox's soxi checks the files (tests).
  libfluidsynth-dev libsndfile1-dev sox
  # Independent readers of what the exports write (tests): MIDI and MusicXML.
  python3-mido fluidsynth fluid-soundfont-gm musescore3
  # A locale with a decimal comma, for the test that numbers ignore the user's locale.
  locales
)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

if ! locale -a | grep -qix 'de_DE\.utf-\?8'; then
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja "${launcher[@]}" "$@"
cmake --build build
