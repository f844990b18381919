#!/usr/bin/env bash
# Installs the built project into a temporary prefix, builds the examples from outside the
# tree with find_package and the first one with pkg-config, each both with the shared and
# with the static library, runs the first ones for a moment and the sprites example under
# the X server of the test run for a few frames, then every step of the tutorial's Breakout.
#   install_and_build.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build_dir=$2
source "$source_dir/tests/install/window_of.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for f in include/rorodiv/rorodiv.h bin/vexholm bin/zazpack share/doc/ROrodiv/README.md \
  share/doc/ROrodiv/reference/index.html; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done

# find_package, from a folder outside the tree: ROrodiv::rorodiv is the shared library,
# ROrodiv::rorodiv-static the static one.
for kind in shared static; do
  cmake -S "$source_dir/examples" -B "$work/cmake-$kind" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" -DROR_EXAMPLES_STATIC=$([ $kind = static ] && echo ON || echo OFF) >/dev/null
  cmake --build "$work/cmake-$kind" >/dev/null
done

# pkg-config, with a plain compiler line: rorodiv links the shared library, rorodiv-static
# the static one.
export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name rorodiv.pc)")
[ "$(pkg-config --modversion rorodiv)" = 3.0 ]
g++ -std=c++20 -O2 "$source_dir/examples/first/first.cpp" -o "$work/first-shared" $(pkg-config --cflags --libs rorodiv)
g++ -std=c++20 -O2 "$source_dir/examples/first/first.cpp" -o "$work/first-static" \
  $(pkg-config --cflags --libs --static rorodiv-static)

# Each program links the kind it asked for and runs: its window appears.
libdir=$(dirname "$(find "$prefix" -name 'librorodiv.so*' | head -1)")
for program in "$work/first-shared" "$work/cmake-shared/first" "$work/first-static" "$work/cmake-static/first"; do
  libraries=$(LD_LIBRARY_PATH=$libdir ldd "$program")
  case $program in
    *shared*) grep -q 'librorodiv\.so' <<<"$libraries" || { echo "$program does not use the shared library" >&2; exit 1; } ;;
    *) ! grep -q librorodiv <<<"$libraries" || { echo "$program is not linked statically" >&2; exit 1; } ;;
  esac
  (cd "$work" && LD_LIBRARY_PATH=$libdir SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy exec "$program") & pid=$!
  win=$(window_of "My game" $pid) || true
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  [ -n "$win" ] || { echo "$program did not open its window" >&2; exit 1; }
done

# A few frames of the sprites: the window appears, pictures come out of pictures.zaz, Escape ends it.
cd "$work/cmake-shared"
export LD_LIBRARY_PATH=$libdir
[ -f pictures.zaz ] && [ ! -e pictures ]
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./sprites & pid=$!
win=$(window_of Sprites $pid) || { echo "the sprites window did not appear" >&2; kill $pid; exit 1; }
sleep 1
# The example reads Escape from the input events: a tap shorter than a frame ends it.
xdotool windowfocus --sync "$win" key Escape 2>/dev/null || true
for _ in $(seq 100); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
kill -0 $pid 2>/dev/null && { echo "the sprites example did not end on Escape" >&2; kill $pid; exit 1; }
wait $pid

# The tutorial's Breakout, every step on both drawing paths.
"$source_dir/tests/install/run_tutorial_steps.sh" "$work/cmake-shared"
