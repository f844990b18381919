# Sourced by the install tests. window_of TITLE PID prints the id of the visible window titled
# exactly TITLE once it appears (15 s at the most); status 1 when the process ends first or
# no such window appears.
window_of() {
  local win
  for _ in $(seq 150); do
    kill -0 "$2" 2>/dev/null || return 1
    win=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$win" ] && { echo "$win"; return 0; }
    sleep 0.1
  done
  return 1
}
