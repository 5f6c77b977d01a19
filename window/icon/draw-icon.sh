#!/usr/bin/env bash
# Draws window/icon/orbskin.png, the 48 x 48 icon: a two-screen handheld with a colour swatch
# on its top screen, on a plain background. Needs ImageMagick; the PNG is kept in the repository.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 48x48 xc:'#f4f1ea' \
    -fill '#2b3a67' -draw 'roundrectangle 7,2 40,45 5,5' \
    -fill '#1d2747' -draw 'rectangle 7,23 40,25' \
    -fill '#7fc8f8' -draw 'rectangle 11,5 36,20' \
    -fill '#ff6b6b' -draw 'rectangle 13,7 20,18' \
    -fill '#ffd166' -draw 'rectangle 21,7 28,18' \
    -fill '#06d6a0' -draw 'rectangle 29,7 34,18' \
    -fill '#cfd8f0' -draw 'rectangle 11,28 36,42' \
    -fill '#2b3a67' -draw 'rectangle 14,31 33,32' -draw 'rectangle 14,35 29,36' \
    -draw 'rectangle 14,39 31,40' \
    -type TrueColor -define png:color-type=2 PNG24:orbskin.png
