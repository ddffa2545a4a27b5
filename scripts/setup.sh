#!/usr/bin/env bash
# Installs the Debian packages Quittora needs to build, run and test.
# Idempotent: packages that dpkg already knows as installed are skipped, and
# apt-get update runs at most once per call.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-translations-l10n
  libqt6svg6
  libsqlite3-dev sqlite3
  libqrencode-dev zbar-tools
  libqpdf-dev qpdf
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2
  poppler-utils python3
  xvfb xauth
  xdg-utils
  libxml2-utils default-jre-headless libsaxonhe-java
  cups cups-client printer-driver-cups-pdf
  dpkg-dev lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installiere fehlende Pakete: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
  else
    echo "Fehler: Für die Installation der Pakete werden Administratorrechte benötigt (root oder sudo)." >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
