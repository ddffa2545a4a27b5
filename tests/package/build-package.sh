#!/bin/sh
# Makes the Debian package from the finished build and unpacks it, as dpkg
# would install it, into a folder of its own.
#   build-package.sh BUILD_DIR PACKAGE.deb ROOT
set -eu
build=$1 deb=$2 root=$3
rm -f "$deb"
(cd "$build" && cpack --config CPackConfig.cmake -G DEB) >"$build/cpack.log" 2>&1 || {
  cat "$build/cpack.log" >&2
  echo "cpack ist gescheitert" >&2
  exit 1
}
test -f "$deb" || { echo "$deb fehlt nach cpack" >&2; exit 1; }
rm -rf "$root"
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"
echo "Paket: $deb"
