#!/usr/bin/env bash
# texture_sheet.sh <data-root> <out.png>: contact sheet of the generated
# textures. Ground textures are shown tiled 2 x 2 so seams would show; the
# sky faces are laid out as the unfolded cube (up above front, down below,
# left of it and right, back after it) so the edges that meet sit side by side.
set -euo pipefail
root=$1; out=$2
t=$root/data/textures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for g in snow4 grass11 ice8; do
  convert "$t/$g.tga" -auto-orient \( +clone \) +append \( +clone \) -append -resize 384x384 "$work/$g.png"
done
s=192
convert "$t/load_screen.bmp" -resize 384x384 "$work/load.png"
for f in up lt ft rt bk dn; do convert "$t/sky3/$f.tga" -auto-orient -resize ${s}x${s} "$work/$f.png"; done
convert -size ${s}x${s} xc:'#202020' "$work/blank.png"
convert "$work/blank.png" "$work/up.png" "$work/blank.png" "$work/blank.png" +append "$work/r1.png"
convert "$work/lt.png" "$work/ft.png" "$work/rt.png" "$work/bk.png" +append "$work/r2.png"
convert "$work/blank.png" "$work/dn.png" "$work/blank.png" "$work/blank.png" +append "$work/r3.png"
convert "$work/r1.png" "$work/r2.png" "$work/r3.png" -append "$work/sky.png"
montage -label 'snow4.tga (2x2)' "$work/snow4.png" -label 'grass11.tga (2x2)' "$work/grass11.png" \
  -label 'ice8.tga (2x2)' "$work/ice8.png" -label 'load_screen.bmp' "$work/load.png" \
  -tile 4x1 -geometry +6+6 -background '#202020' -fill white -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 16 "$work/row1.png"
montage -label 'sky3: up / lt ft rt bk / dn' "$work/sky.png" -geometry +6+6 -background '#202020' \
  -fill white -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 16 "$work/row2.png"
convert "$work/row1.png" "$work/row2.png" -background '#202020' -gravity center -append -depth 8 "$out"
