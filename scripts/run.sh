#!/usr/bin/env bash
# Sets up, builds and starts Quittora on its default database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target quittora quittora-cli plz-database manual
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Quittora braucht eine grafische Oberfläche, es ist aber keine Anzeige vorhanden (DISPLAY ist nicht gesetzt)." >&2
  echo "Starten Sie das Programm in einer Desktop-Sitzung oder z. B. mit:  xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
exec build/bin/quittora "$@"
