#!/usr/bin/env bash
# Installs the Debian packages VorbelSteps needs to build, run and test.
# Idempotent: packages already present are skipped; apt is only touched when
# something is missing.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  librtaudio-dev librtmidi-dev libsndfile1-dev libzip-dev libjpeg-dev
  # JACK 1 (the tests start a private server; JACK 2's packages conflict
  # with the RtAudio development package) and ALSA.
  jackd1 libjack-dev libasound2-dev
  # PulseAudio (the tests start a private server with sinks of their own)
  # and ALSA's plug-ins (its PulseAudio control stands in for a sound
  # card's in the ALSA tests).
  pulseaudio libpulse-dev libasound2-plugins
  clang libclang-rt-14-dev
  sox libsox-fmt-all zip unzip python3 imagemagick
  xvfb xauth x11-utils libxtst6 fonts-dejavu-core
  # A window manager for the tests of window frames and places.
  openbox
  # The toolkit's own dialogs and buttons in French and Dutch.
  qt6-translations-l10n
  # The desktop's MIME database (file associations) and real VST 2
  # plug-ins for the plug-in host's tests.
  shared-mime-info lsp-plugins-vst
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
