#!/usr/bin/env bash
# Regenerates everything under assets/ and dist/icons/ from the generators in tools/.
# Usage: tools/make_assets.sh [BUILD_DIR]   (default: build-tools)
set -euo pipefail

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${1:-build-tools}"
case "${build_dir}" in
  /*) ;;
  *) build_dir="${source_dir}/${build_dir}" ;;
esac
assets_dir="${source_dir}/assets"

# DejaVu Sans Bold letters the pictures; Liberation Sans Narrow Bold is the
# game's own font (narrow enough for the HUD at 22 pixels).
font="/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
game_font="/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Bold.ttf"
game_font_copyright="/usr/share/doc/fonts-liberation/copyright"
if [[ ! -f "${font}" || ! -f "${game_font}" ]]; then
  echo "make_assets: needs the Debian packages fonts-dejavu-core and fonts-liberation" >&2
  exit 1
fi

if [[ ! -f "${build_dir}/CMakeCache.txt" ]]; then
  cmake -S "${source_dir}" -B "${build_dir}" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DREZARUDEV_TESTS=OFF -DREZARUDEV_BENCH=OFF
elif [[ ! -f "${build_dir}/build.ninja" && ! -f "${build_dir}/Makefile" ]]; then
  # An earlier configure stopped half way; finish it with the generator it chose.
  cmake -S "${source_dir}" -B "${build_dir}"
fi

# --- Artwork and font ---
cmake --build "${build_dir}" --target make_art
"${build_dir}/tools/art/make_art" "${assets_dir}" "${font}" "${game_font}" "${game_font_copyright}"

# --- Desktop icons, drawn from the sprites ---
cmake --build "${build_dir}" --target make_icons
"${build_dir}/tools/art/make_icons" "${source_dir}/dist/icons"

# The sounds have their own generator: tools/make_sounds.sh.
