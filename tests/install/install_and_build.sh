#!/usr/bin/env bash
# Installs the built project into a temporary prefix, builds the examples from outside the
# tree with find_package and the first one with pkg-config, and runs the sprites example
# under the X server of the test run for a few frames.
#   install_and_build.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for f in include/rorodiv/rorodiv.h bin/vexholm bin/zazpack share/doc/ROrodiv/README.md; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done

# find_package, from a folder outside the tree.
cmake -S "$source_dir/examples" -B "$work/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null

# pkg-config, with a plain compiler line.
export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name rorodiv.pc)")
[ "$(pkg-config --modversion rorodiv)" = 3.0 ]
g++ -std=c++20 -O2 "$source_dir/examples/first/first.cpp" -o "$work/first-pkg-config" \
  $(pkg-config --cflags --libs --static rorodiv)

# A few frames of the sprites: the window appears, pictures come out of pictures.zaz, Escape ends it.
cd "$work/cmake"
[ -f pictures.zaz ] && [ ! -e pictures ]
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./sprites & pid=$!
win=
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name '^Sprites$' 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "the sprites window did not appear" >&2; kill $pid; exit 1; }
sleep 1
# The example reads the key's state once a frame, so the key is held until the program ends:
# a press and release that fall between two frames are never seen.
trap 'xdotool keyup Escape 2>/dev/null || true; rm -rf "$work"' EXIT
xdotool windowfocus --sync "$win" keydown Escape 2>/dev/null || true
for _ in $(seq 100); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
xdotool keyup Escape 2>/dev/null || true
kill -0 $pid 2>/dev/null && { echo "the sprites example did not end on Escape" >&2; kill $pid; exit 1; }
wait $pid
