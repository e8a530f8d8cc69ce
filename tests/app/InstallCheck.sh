#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs: the
# program runs from there, the desktop entry passes desktop-file-validate, every icon
# size is a PNG of its size, and the manual page formats cleanly and names every
# option the program's help names.
# Usage: InstallCheck.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

"$prefix/bin/tovrane" --version | grep -q '^Tovrane '
desktop-file-validate "$prefix/share/applications/tovrane.desktop"
grep -q '^MimeType=.*video/x-flv;' "$prefix/share/applications/tovrane.desktop"
test -s "$prefix/share/icons/hicolor/scalable/apps/tovrane.svg"
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tovrane.png"
  file "$icon" | grep -q "PNG image data, $size x $size" || { echo "bad icon $icon: $(file "$icon")"; exit 1; }
done
test -s "$prefix/share/tovrane/sample.swf"

manual="$prefix/share/man/man1/tovrane.1.gz"
warnings=$(zcat "$manual" | groff -man -ww -z 2>&1 || true)
[ -z "$warnings" ] || { echo "the manual page does not format cleanly: $warnings"; exit 1; }
page=$(zcat "$manual" | sed 's/\\-/-/g')
options=$({ "$prefix/bin/tovrane" --help; "$prefix/bin/tovrane" convert --help; } |
  grep -oE '(^|[ ,])--?[a-z][a-z-]*' | sed 's/^[ ,]*//' | sort -u)
missing=()
for option in $options; do
  grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$page" || missing+=("$option")
done
[ ${#missing[@]} -eq 0 ] || { echo "the manual page does not name: ${missing[*]}"; exit 1; }
for section in SYNOPSIS COMMANDS OPTIONS "EXIT STATUS" EXAMPLES; do
  grep -q "^\.SH $section" <(zcat "$manual") || { echo "the manual page has no $section"; exit 1; }
done
echo "installed and checked: $(cd "$prefix" && find . -type f | wc -l) files"
