#!/usr/bin/env bash
# Draws the program's icons with ImageMagick: a white quill on a dark blue
# tile. quillon.ico holds 48 by 48 and 16 by 16 images, small.ico 16 by 16.
# The .ico files are committed; run this only to change the drawing.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
draw() {  # size output
  local s=$1 k
  k=$(awk "BEGIN{print $s/48}")
  convert -size "${s}x${s}" xc:none \
    -fill '#1d3f6e' -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $(awk "BEGIN{print 7*$k}"),$(awk "BEGIN{print 7*$k}")" \
    -fill white -stroke none \
    -draw "polygon $(awk -v k="$k" 'BEGIN{
        split("40,5 33,7 25,13 18,21 13,30 11,37 16,33 22,31 29,26 34,19 38,12", p, " ");
        for (i = 1; i <= 11; i++) { split(p[i], xy, ","); printf "%.1f,%.1f ", xy[1]*k, xy[2]*k }
      }')" \
    -stroke '#f2c14e' -strokewidth "$(awk "BEGIN{w=2.5*$k; print (w<1?1:w)}")" \
    -draw "line $(awk "BEGIN{printf \"%.1f,%.1f %.1f,%.1f\", 14*$k, 34*$k, 7*$k, 42*$k}")" \
    -stroke '#9fb7d9' -strokewidth "$(awk "BEGIN{w=1.2*$k; print (w<1?1:w)}")" \
    -draw "line $(awk "BEGIN{printf \"%.1f,%.1f %.1f,%.1f\", 37*$k, 9*$k, 15*$k, 33*$k}")" \
    "$2"
}
draw 48 "$tmp/48.png"
draw 16 "$tmp/16.png"
convert "$tmp/48.png" "$tmp/16.png" quillon.ico
convert "$tmp/16.png" small.ico
