#!/usr/bin/env bash
# Draws the sample package's bitmaps into folder $1: Package.bmp, the wizard's
# side panel (120 x 260), and Splash.bmp, the splash window (400 x 300).
set -euo pipefail
out=$1
font=DejaVu-Sans-Bold
convert -size 120x260 gradient:'#1a3fb0'-'#061040' -font $font -fill white -pointsize 17 \
  -gravity north -annotate +0+28 'Tarvelion\nDemo' -fill '#ffd040' -pointsize 12 \
  -annotate +0+84 'Update 2.0' -type TrueColor BMP3:"$out/Package.bmp"
convert -size 400x300 gradient:'#2050d0'-'#081858' -font $font -fill white -pointsize 32 \
  -gravity center -annotate +0-28 'Tarvelion Demo' -fill '#ffd040' -pointsize 17 \
  -annotate +0+22 'Updating to version 2.0' -type TrueColor BMP3:"$out/Splash.bmp"
