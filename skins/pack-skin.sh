#!/usr/bin/env bash
# Packs the flashing tool's skin archive: the skin files of this folder, the
# images drawn here with ImageMagick, and one picture for every phone of the
# phone list, zipped with their folders kept.
# Usage: pack-skin.sh <skins folder> <phone list> <stage folder> <archive>
set -euo pipefail
src=$1 phonelist=$2 stage=$3 out=$4
command -v convert >/dev/null || { echo "pack-skin.sh: ImageMagick's convert is missing" >&2; exit 1; }

rm -rf "$stage"
mkdir -p "$stage/tavik/Png_List" "$stage/PhoneList"
cp "$src"/tavik/*.xml "$stage/tavik/"

im() { convert "$@"; }
blue='#1E5AA8' light='#2D7DD2'

# The tool's own pictures.
im -size 64x64 xc:none -fill "$blue" -draw 'roundrectangle 0,0,63,63,12,12' \
   -fill white -draw 'polygon 20,14 46,32 20,50' "$stage/tavik/logo.png"
im -size 240x240 xc:none -fill '#DCE7F5' -draw 'circle 120,120 120,4' \
   -fill '#333333' -draw 'roundrectangle 78,40 162,200 12,12' -fill "$light" -draw 'rectangle 86,56 154,180' \
   -fill white -draw 'polygon 108,96 136,118 108,140' "$stage/tavik/intro.png"
im -size 20x20 xc:none -fill white -stroke '#8A9BB0' -strokewidth 2 -draw 'circle 10,10 10,2' "$stage/tavik/radio.png"
im -size 20x20 xc:none -fill white -stroke "$light" -strokewidth 2 -draw 'circle 10,10 10,2' \
   -stroke none -fill "$light" -draw 'circle 10,10 10,6' "$stage/tavik/radio_on.png"
im -size 180x44 xc:'#A8B4C4' "$stage/tavik/button_disabled.png"
im -size 220x220 xc:none -fill none -stroke '#DCE3EC' -strokewidth 16 -draw 'circle 110,110 110,12' "$stage/tavik/ring_bk.png"
im -size 220x220 xc:none -fill none -stroke "$light" -strokewidth 16 -draw 'circle 110,110 110,12' "$stage/tavik/ring_fore.png"

# The ready animation: a green disc growing and a check mark drawn over it.
for frame in $(seq 1 20); do
  r=$(( 6 + frame * 24 / 20 ))
  name=$(printf '%03d' "$frame")
  args=(-size 64x64 xc:none -fill '#2BB24C' -draw "circle 32,32 32,$(( 32 - r ))")
  if [ "$frame" -gt 10 ]; then
    args+=(-fill none -stroke white -strokewidth 5 -draw 'polyline 18,33 28,43 47,22')
  fi
  im "${args[@]}" "$stage/tavik/Png_List/$name.png"
done

# Phone pictures: the defaults, then one per PicName of the phone list.
phone() { # file screen-colour mark
  local args=(-size 180x360 xc:none -fill '#2B2F36' -draw 'roundrectangle 10,4 170,356 22,22'
              -fill "$2" -draw 'rectangle 20,40 160,310' -fill '#555B66' -draw 'roundrectangle 70,18 110,24 3,3'
              -fill '#555B66' -draw 'circle 90,332 90,322')
  case $3 in
    wait) args+=(-fill white -draw 'circle 60,175 60,167' -draw 'circle 90,175 90,167' -draw 'circle 120,175 120,167') ;;
    fail) args+=(-stroke '#FF3B30' -strokewidth 10 -draw 'line 60,140 120,210' -draw 'line 120,140 60,210') ;;
    model) args+=(-fill white -draw 'polygon 70,140 120,175 70,210') ;;
  esac
  im "${args[@]}" "$stage/PhoneList/$1"
}
phone DefPhone.png '#6C7A8C' none
phone DefWaitting.png '#6C7A8C' wait
phone DefPhone_FailSet.png '#3A3F47' fail
if [ -f "$phonelist" ]; then
  grep -o 'PicName="[^"]*"' "$phonelist" | sed 's/PicName="\(.*\)"/\1/' | sort -u | while read -r pic; do
    [ -n "$pic" ] && phone "$pic" "$light" model
  done
fi

rm -f "$out"
(cd "$stage" && zip -q -X -r "$out" tavik PhoneList)
