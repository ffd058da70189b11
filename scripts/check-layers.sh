#!/usr/bin/env bash
# Checks the include lines that keep the platform's rooms apart:
# - no header outside platform/ (tests and benchmarks aside) includes a Qt
#   header, and no public platform header does (Qt stays under qt/ in each
#   room);
# - no source of the runtime room, the engine, the designer, the grid, the
#   labels or the GIF library includes a Qt header: only the program's main
#   (designer/Varsona.cpp, which starts the application) and the fuzz targets
#   may, and the graphics, printing and controls rooms in their sources;
# - the printing room includes nothing of the controls room;
# - no file of the control layer includes forms or menus (they stand above
#   it and install what it calls; so does the application's bridge to the
#   runtime's threads, ThreadHooks).
# Prints every offending line and fails when there is one.
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$ROOT"
QT_INCLUDE='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z0-9_]*|Qt[A-Za-z0-9_]*/[^>"]*)[>"]'
failed=0
report() {
  local line
  while IFS= read -r line; do echo "check-layers: $1: $line" >&2; done <<<"$2"
  failed=1
}
sources() {
  find . \( -name '.git' -o -name 'build*' \) -prune -o -type f "$@" -print | sed 's#^\./##' | sort
}

headers=$(sources \( -name '*.h' -o -name '*.hpp' \) | grep -Ev '^(tests|bench)/' | grep -Ev '^platform/[^/]+/qt/' || true)
for h in $headers; do
  if hits=$(grep -nE "$QT_INCLUDE" "$h"); then report "Qt header in $h" "$hits"; fi
done

product=$(sources \( -name '*.h' -o -name '*.cpp' \) | grep -E '^(platform/runtime|engine|designer|grid|labels|gif)/' |
  grep -Ev '^designer/Varsona\.cpp$' || true)
for f in $product; do
  if hits=$(grep -nE "$QT_INCLUDE" "$f"); then report "Qt header in $f" "$hits"; fi
done

for f in $(sources \( -name '*.h' -o -name '*.cpp' \) | grep '^platform/printing/' || true); do
  if hits=$(grep -nE '#[[:space:]]*include[[:space:]]*"platform/controls/' "$f"); then
    report "controls header in the printing room, $f" "$hits"
  fi
done

for f in $(sources \( -name '*.h' -o -name '*.cpp' \) | grep '^platform/controls/' | grep -Ev '/(Forms|Menus|ThreadHooks)\.(h|cpp)$' || true); do
  if hits=$(grep -nE '#[[:space:]]*include[[:space:]]*"platform/controls/(Forms|Menus)\.h"' "$f"); then
    report "forms or menus in the control layer, $f" "$hits"
  fi
done

for f in $(sources \( -name '*.h' -o -name '*.cpp' \) | grep '^gif/' || true); do
  if hits=$(grep -nE '#[[:space:]]*include[[:space:]]*"platform/controls/' "$f"); then
    report "controls header in the GIF library, $f" "$hits"
  fi
done

# The GIF codec (vsgif_codec in gif/CMakeLists.txt) needs only the runtime:
# its sources and the gif/ headers they reach include no Qt header and no
# graphics or controls header.
codec=$(sed -n '/^set(GIF_CODEC_SOURCES/,/)/p' gif/CMakeLists.txt | tr ' ()' '\n\n\n' | grep -E '\.cpp$' | sed 's#^#gif/#')
if [ -z "$codec" ]; then report "no codec sources found in gif/CMakeLists.txt" "set(GIF_CODEC_SOURCES ...)"; fi
seen=""
while [ -n "$codec" ]; do
  next=""
  for f in $codec; do
    case " $seen " in *" $f "*) continue ;; esac
    seen="$seen $f"
    [ -f "$f" ] || { report "codec source missing" "$f"; continue; }
    if hits=$(grep -nE "$QT_INCLUDE" "$f"); then report "Qt header in the GIF codec, $f" "$hits"; fi
    if hits=$(grep -nE '#[[:space:]]*include[[:space:]]*"platform/(graphics|controls)/' "$f"); then
      report "graphics or controls header in the GIF codec, $f" "$hits"
    fi
    next="$next $(sed -nE 's#^[[:space:]]*\#[[:space:]]*include[[:space:]]*"(gif/[^"]*)".*#\1#p' "$f")"
  done
  codec=$next
done

if [ "$failed" -ne 0 ]; then
  echo "check-layers: FAILED" >&2
  exit 1
fi
echo "check-layers: the rooms keep to their includes"
