#!/usr/bin/env bash
# Small pictures of every kind the chain reads, as fuzzer seeds; ImageMagick makes them
# when it is there, and a few are written byte by byte either way.
set -euo pipefail
out="$1"
mkdir -p "$out"
# Raw "BGRA", 2 x 1, 8 and 16 bits per channel.
printf 'BGRA\x08\x08\x08\x08\x02\x00\x00\x00\x01\x00\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08' >"$out/seed.bgra"
printf 'BGRA\x10\x10\x10\x10\x01\x00\x00\x00\x01\x00\x00\x00\x00\x11\x00\x22\x00\x33\x00\x44' >"$out/seed16.bgra"
# TGA type 10, 2 x 1, one repeat packet.
printf '\x00\x00\x0a\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x01\x00\x18\x20\x81\x01\x02\x03' >"$out/seed.tga"
convert=/usr/bin/convert
[ -x "$convert" ] || exit 0
source_picture=(-size 19x13 gradient:red-blue)
"$convert" "${source_picture[@]}" "$out/a.png"
"$convert" "${source_picture[@]}" PNG8:"$out/b.png"
"$convert" "${source_picture[@]}" -interlace PNG -depth 16 "$out/c.png"
"$convert" "${source_picture[@]}" -colorspace Gray -depth 2 "$out/d.png"
"$convert" "${source_picture[@]}" "$out/e.jpg"
"$convert" "${source_picture[@]}" -interlace JPEG "$out/f.jpg"
"$convert" "${source_picture[@]}" -colorspace Gray "$out/g.jpg"
"$convert" "${source_picture[@]}" BMP3:"$out/h.bmp"
"$convert" "${source_picture[@]}" -colors 16 -compress RLE BMP3:"$out/i.bmp"
"$convert" "${source_picture[@]}" -colors 200 -compress RLE BMP3:"$out/j.bmp"
"$convert" "${source_picture[@]}" -monochrome BMP3:"$out/k.bmp"
"$convert" "${source_picture[@]}" -alpha set BMP:"$out/l.bmp"
"$convert" "${source_picture[@]}" -compress RLE "$out/m.tga"
"$convert" "${source_picture[@]}" -colors 32 -compress RLE "$out/n.tga"
"$convert" "${source_picture[@]}" -define dds:compression=dxt1 "$out/o.dds"
"$convert" "${source_picture[@]}" -alpha set -define dds:compression=dxt5 "$out/p.dds"
"$convert" "${source_picture[@]}" -define dds:compression=none "$out/q.dds"
