#!/usr/bin/env bash
# Sets up, builds and makes the Debian package build/quittora_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target quittora quittora-cli plz-database manual package-docs
cd build
cpack --config CPackConfig.cmake -G DEB
