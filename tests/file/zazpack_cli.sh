#!/usr/bin/env bash
# The packer as a command: help and version on stdout with status 0, wrong command lines 2,
# unreadable input 1, no progress bar when stderr is not a terminal.
#   zazpack_cli.sh ZAZPACK
set -u
zazpack=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$zazpack" --help 2>/dev/null) && [ "${out:0:4}" = NAME ] || fail "--help"
grep -q EXAMPLES <<<"$out" || fail "--help has no examples"
[ "$("$zazpack" --version 2>/dev/null)" = "zazpack 3.0" ] || fail "--version"
for args in "" "bogus" "pack only-one" "list"; do
  "$zazpack" $args >/dev/null 2>&1; [ $? -eq 2 ] || fail "'$args' should end with status 2"
done
"$zazpack" list "$work/missing.zaz" >/dev/null 2>&1; [ $? -eq 1 ] || fail "missing archive should end with status 1"

mkdir -p "$work/data/sub" && head -c 3000000 /dev/urandom >"$work/data/sub/big.bin"
ln -s .. "$work/data/sub/up"
mkdir -p "$work/data/データ" && printf map >"$work/data/データ/地図.txt" && printf '?' >"$work/data/😀.txt"
"$zazpack" pack "$work/data" "$work/data.zaz" >"$work/out" 2>"$work/err" || fail "pack"
[ "$(grep -c 'not followed' "$work/err")" = 1 ] || fail "the link should be named once: $(cat "$work/err")"
[ "$(grep -c '😀.txt: a name with no cp932 form' "$work/err")" = 1 ] || fail "the emoji name should be named once: $(cat "$work/err")"
"$zazpack" list "$work/data.zaz" | grep -q ' データ/地図.txt$' || fail "list should show UTF-8 names"
"$zazpack" extract "$work/data.zaz" "$work/out-tree" >/dev/null && [ "$(cat "$work/out-tree/データ/地図.txt")" = map ] ||
  fail "extract should write UTF-8 names"
rm "$work/data/😀.txt"
grep -q $'\r' "$work/err" && fail "a progress bar went to a file"
"$zazpack" verify "$work/data.zaz" >/dev/null || fail "verify"
"$zazpack" verify "$work/data.zaz" "$work/data" >/dev/null || fail "verify against the folder"
printf x >>"$work/data/sub/big.bin"
"$zazpack" verify "$work/data.zaz" "$work/data" >/dev/null 2>"$work/err"
[ $? -eq 1 ] && grep -q 'differs at /sub/big.bin' "$work/err" || fail "a changed file should differ: $(cat "$work/err")"
# Only regular files are packed; every other entry is named on standard error.
mkdir -p "$work/odd" && printf kept >"$work/odd/kept.txt"
ln -s nowhere "$work/odd/dangling" && ln -s loop "$work/odd/loop" && mkfifo "$work/odd/fifo"
"$zazpack" pack "$work/odd" "$work/odd.zaz" >/dev/null 2>"$work/err" || fail "pack with odd entries: $(cat "$work/err")"
for name in dangling loop; do
  grep -q "odd/$name: a link that leads nowhere" "$work/err" || fail "$name should be named: $(cat "$work/err")"
done
grep -q 'odd/fifo: not a regular file' "$work/err" || fail "the FIFO should be named: $(cat "$work/err")"
[ "$("$zazpack" list "$work/odd.zaz" | tail -n +2 | wc -l)" = 1 ] || fail "only kept.txt should be packed"
# A file that holds more than its size says (as /proc files do) is refused, not packed empty.
ln -s /proc/self/status "$work/odd/status"
"$zazpack" pack "$work/odd" "$work/proc.zaz" >/dev/null 2>"$work/err"
[ $? -eq 1 ] && grep -q 'odd/status: changed while being packed' "$work/err" || fail "a /proc file: $(cat "$work/err")"

# A name with a newline stays on one line of the listing, quoted.
mkdir -p "$work/names" && printf 1 >"$work/names/two"$'\n'"lines" && printf 2 >"$work/names/plain"
"$zazpack" pack "$work/names" "$work/names.zaz" >/dev/null 2>&1 || fail "pack a name with a newline"
listing=$("$zazpack" list "$work/names.zaz")
[ "$(wc -l <<<"$listing")" = 3 ] || fail "one line for each entry: $listing"
grep -q ' "two\\nlines"$' <<<"$listing" && grep -q ' plain$' <<<"$listing" || fail "quoted names: $listing"
exit 0
