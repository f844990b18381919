#!/usr/bin/env bash
# Runs each step of the tutorial's Breakout, built from the installed package, on both drawing
# paths, in the X server of the test run: its window shows the colours the step draws (a
# screenshot of the window is read until they appear), and Escape ends it cleanly.
#   run_tutorial_steps.sh EXAMPLES_BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/window_of.sh"
cd "$1"
[ -f breakout_data.zaz ] && [ ! -e breakout_data ]
shot=$(mktemp --suffix=.png)
trap 'rm -f "$shot"' EXIT

# The colours each step must show, as "red,green,blue" of ImageMagick's histogram.
frame="40,80,160"
shapes="200,40,40 40,100,210 200,200,220 255,255,255"
sprites="230,70,90 90,150,240 64,224,208 255,208,64"
text="$sprites 255,255,255"
declare -A expected=(
  [step1_window]="$frame" [step2_drawing]="$shapes" [step3_input]="$shapes" [step4_sprites]="$sprites"
  [step5_text]="$text" [step6_sound]="$text" [step7_full_screen]="$text"
)

# 0 once the window's picture holds every expected colour in at least 20 pixels.
shows_colours() {
  import -silent -window "$1" "$shot" 2>/dev/null || return 1
  local counts count
  counts=$(convert "$shot" -alpha off -depth 8 -format %c histogram:info:- 2>/dev/null) || return 1
  for colour in $2; do
    count=$(sed -n "s/^ *\([0-9]*\): ($colour) .*/\1/p" <<<"$counts")
    [ "${count:-0}" -ge 20 ] || return 1
  done
}

wait_for_colours() {
  for _ in $(seq 50); do
    shows_colours "$1" "$2" && return 0
    sleep 0.2
  done
  return 1
}

for step in step1_window step2_drawing step3_input step4_sprites step5_text step6_sound step7_full_screen; do
  for accept_gl in 0 1; do
    what="breakout_$step (ROR_ACCEPT_CPU_GL=$accept_gl)"
    ROR_ACCEPT_CPU_GL=$accept_gl SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "./breakout_$step" & pid=$!
    win=$(window_of Breakout $pid) || { echo "$what: no window" >&2; kill $pid 2>/dev/null; exit 1; }
    wait_for_colours "$win" "${expected[$step]}" || { echo "$what: the window lacks one of ${expected[$step]}" >&2; kill $pid; exit 1; }
    if [ $step = step7_full_screen ]; then
      # To full screen and back: the pictures and the title font are kept across each switch.
      for screen in full windowed; do
        xdotool windowfocus --sync "$win" keydown F11 sleep 0.2 keyup F11 2>/dev/null || true
        win=$(window_of Breakout $pid) && wait_for_colours "$win" "$text" ||
          { echo "$what: nothing drawn after the switch to the $screen screen" >&2; kill $pid; exit 1; }
      done
    fi
    # Held until the program has ended, as a player holds a key: the first steps poll it once a
    # frame, and a frame may take long on a loaded machine.
    xdotool windowfocus --sync "$win" keydown Escape 2>/dev/null || true
    for _ in $(seq 200); do
      kill -0 $pid 2>/dev/null || break
      sleep 0.1
    done
    xdotool keyup Escape 2>/dev/null || true
    kill -0 $pid 2>/dev/null && { echo "$what: did not end on Escape" >&2; kill $pid; exit 1; }
    wait $pid || { echo "$what: ended with status $?" >&2; exit 1; }
  done
done
