#!/usr/bin/env bash
# Remakes the README's pictures of the main window with the program itself, offscreen.
# Usage: docs/screenshots/make.sh [PROGRAM] [MOVIE]
# (defaults: the release build of ./run.sh and its sample movie)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
program=${1:-$root/build/release/app/tovrane}
movie=${2:-$root/build/release/resources/sample.swf}

"$program" --screenshot "$here/page1-gif.png" --page 1 "$movie"
"$program" --screenshot "$here/page2-avi.png" --page 2 "$movie"
"$program" --screenshot "$here/page3-images.png" --page 3 "$movie"
"$program" --screenshot "$here/page4-video.png" --page 4

# A palette of 256 colours keeps them small and changes nothing one can see.
/usr/bin/python3 - "$here"/page*.png <<'PY'
import sys
from PIL import Image
for name in sys.argv[1:]:
    Image.open(name).convert("RGB").quantize(256, dither=Image.Dither.NONE).save(name, optimize=True)
PY
ls -l "$here"/page*.png
