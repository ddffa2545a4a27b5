#!/bin/sh
# The package by Debian's own tools, and its desktop files as a desktop reads
# them.   check-package.sh PACKAGE.deb ROOT (unpacked by dpkg-deb -x)
set -eu
deb=$1 root=$2
failed=0
fail() { echo "FEHLER: $*" >&2; failed=1; }

# No lintian error; warnings are shown but allowed.
lintian --fail-on error --no-tag-display-limit "$deb" || fail "lintian meldet Fehler"

# What the package must hold and depend on.
for f in usr/bin/quittora usr/bin/quittora-cli usr/share/quittora/plz.mdb usr/share/quittora/Anleitung.pdf \
         usr/share/doc/quittora/copyright usr/share/man/man1/quittora.1.gz usr/share/man/man1/quittora-cli.1.gz \
         usr/share/applications/quittora.desktop usr/share/icons/hicolor/scalable/apps/quittora.svg \
         usr/share/icons/hicolor/48x48/apps/quittora.png usr/share/mime/packages/quittora.xml \
         usr/share/metainfo/example.veltrin.quittora.metainfo.xml; do
  test -s "$root/$f" || fail "$f fehlt im Paket"
done
grep -q "GeoNames" "$root/usr/share/doc/quittora/copyright" && grep -q "CC-BY-4.0" "$root/usr/share/doc/quittora/copyright" \
  || fail "copyright nennt GeoNames und CC BY 4.0 nicht"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6sql6-sqlite qt6-translations-l10n fonts-liberation2 xdg-utils libqt6widgets6 libc6; do
  echo "$depends" | grep -q "\b$p\b" || fail "Depends ohne $p: $depends"
done

desktop-file-validate "$root/usr/share/applications/quittora.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.veltrin.quittora.metainfo.xml" || fail "appstreamcli validate"

# The MIME type comes from the file's content: a Quittora database is one
# without its name ending and even under the name of a plain SQLite file;
# another SQLite file is none.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/share/mime/packages" "$tmp/files"
cp "$root/usr/share/mime/packages/quittora.xml" "$tmp/share/mime/packages/"
update-mime-database "$tmp/share/mime"
"$root/usr/bin/quittora-cli" init "$tmp/files/Firma.qtb" >/dev/null
cp "$tmp/files/Firma.qtb" "$tmp/files/Sicherung vom Montag"
cp "$tmp/files/Firma.qtb" "$tmp/files/firma.sqlite"
sqlite3 "$tmp/files/andere.sqlite" "CREATE TABLE t (a)"
cp "$tmp/files/andere.sqlite" "$tmp/files/Andere ohne Endung"
type_of() { XDG_DATA_HOME="$tmp/share" XDG_DATA_DIRS="$tmp/share:/usr/share" gio info -a standard::content-type "$1" | sed -n 's/.*standard::content-type: //p'; }
for f in "Firma.qtb" "Sicherung vom Montag" "firma.sqlite"; do
  t=$(type_of "$tmp/files/$f")
  [ "$t" = application/x-quittora ] || fail "„$f“ wird als $t erkannt, nicht als application/x-quittora"
done
for f in "andere.sqlite" "Andere ohne Endung"; do
  t=$(type_of "$tmp/files/$f")
  [ "$t" = application/vnd.sqlite3 ] || fail "„$f“ wird als $t erkannt, nicht als application/vnd.sqlite3"
done
# A double click opens it in Quittora: the desktop entry claims the type.
grep -q '^MimeType=.*application/x-quittora;' "$root/usr/share/applications/quittora.desktop" \
  && grep -q '^Exec=quittora %f$' "$root/usr/share/applications/quittora.desktop" \
  || fail "der Menüeintrag öffnet keine Quittora-Dateien"

exit $failed
