#!/usr/bin/env bash
# Renders the program icon from its SVG source into the PNG that the build
# embeds. Run after editing mova-icon.svg; needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
convert -background none mova-icon.svg -resize 64x64 PNG32:mova-icon.png
