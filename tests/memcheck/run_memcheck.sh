#!/usr/bin/env bash
# Runs a program on the layer under valgrind's memcheck for SECONDS after its window shows,
# then holds Escape until it ends (closing the window if it does not). Passes with 0 errors
# and nothing definitely lost.   run_memcheck.sh PROGRAM WINDOW_NAME SECONDS LOG
# Needs an X server (DISPLAY): the suite's own Xvfb.
set -uo pipefail
program="$1"; name="$2"; seconds="$3"; log="$4"
here="$(cd "$(dirname "$0")" && pwd)"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
# A folder of its own for the instance lock: another copy of the program elsewhere on the
# machine (another test run) must not make this one a second instance.
XDG_RUNTIME_DIR="$(mktemp -d)"; export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
  --error-exitcode=99 --track-origins=no --num-callers=30 --suppressions="$here/system.supp" \
  --log-file="$log" "$program" & pid=$!
win=""
for _ in $(seq 600); do  # valgrind starts slowly: up to a minute
  win=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1); [ -n "$win" ] && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if [ -z "$win" ]; then
  kill $pid 2>/dev/null; wait $pid; status=$?
  echo "memcheck: the window \"$name\" did not appear (the program ended with status $status)" >&2; cat "$log" >&2; exit 1
fi
sleep "$seconds"
xdotool windowfocus --sync "$win" keydown Escape >/dev/null 2>&1
for _ in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
xdotool keyup Escape >/dev/null 2>&1
if kill -0 $pid 2>/dev/null; then
  xdotool windowfocus --sync "$win" key --clearmodifiers alt+F4 >/dev/null 2>&1
  for _ in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
fi
if kill -0 $pid 2>/dev/null; then
  echo "memcheck: $program did not end" >&2; kill $pid; wait $pid; exit 1
fi
wait $pid; status=$?
grep -E 'ERROR SUMMARY|definitely lost|indirectly lost' "$log"
if [ $status -ne 0 ] || ! grep -q 'ERROR SUMMARY: 0 errors' "$log"; then
  echo "memcheck: $program ended with status $status; the report:" >&2; cat "$log" >&2; exit 1
fi
