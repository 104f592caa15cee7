#!/usr/bin/env bash
# Builds the libraries the game links (SDL2, libogg, libvorbis, libpng, zlib,
# FreeType) for WebAssembly from Debian's own source packages, into
# build-web/prefix. Installs the tool chain and the test browser first (as
# root). Each library is built again only when its Debian version changes.
# Usage: tools/web/build_libs.sh [BUILD_DIR]  (default: build-web)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$(realpath -m "${1:-build-web}")
prefix=$build/prefix
sources=$build/sources
mkdir -p "$prefix/include" "$prefix/lib" "$sources"
jobs=$(nproc)

packages=(emscripten chromium chromium-driver python3-selenium dpkg-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

# Source entries for exactly the archives the machine installs from.
source_list=/etc/apt/sources.list.d/rezarudev-web-src.sources
if [[ ! -f $source_list ]]; then
    if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
        sed -n 's/^Types:.*\bdeb\b.*/Types: deb-src/;p' /etc/apt/sources.list.d/debian.sources >"$source_list"
    else
        grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"${source_list%.sources}.list"
        source_list=${source_list%.sources}.list
    fi
    need_update=1
fi
if ((${#missing[@]})) || [[ -n ${need_update:-} ]] || ! apt-cache showsrc libsdl2 >/dev/null 2>&1 ||
        [[ -z $(apt-cache showsrc libsdl2 2>/dev/null) ]]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
fi
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# Debian's emscripten finds Debian's acorn only through NODE_PATH.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# The version apt would fetch now, e.g. 2.26.5+dfsg-1.
source_version() {
    apt-cache showsrc "$1" | awk '/^Version:/ {print $2; exit}'
}

# Unpacks Debian's source of package $1 into $sources/$1 (once per version)
# and prints the folder.
fetch() {
    local package=$1 version
    version=$(source_version "$package")
    local folder=$sources/$package-$version
    if [[ ! -d $folder ]]; then
        rm -rf "$sources/$package-"* "$sources/tmp"
        mkdir -p "$sources/tmp"
        (cd "$sources/tmp" && apt-get source -q --download-only "$package=$version" >/dev/null &&
            dpkg-source -x --no-check ./*.dsc unpacked >/dev/null)
        mv "$sources/tmp/unpacked" "$folder"
        rm -rf "$sources/tmp"
    fi
    echo "$folder"
}

# Compiles the C files listed on standard input into $prefix/lib/lib$1.a,
# with the compiler flags given after the name. Every file is compiled
# directly: a configure script would link each of its checks through emcc,
# which takes minutes.
compile_library() {
    local name=$1
    shift
    local objects=$build/objects/$name
    rm -rf "$objects"
    mkdir -p "$objects"
    # The object's name keeps its folder, as two folders may hold files of one name.
    sed 's|^\./||' | awk -v dir="$objects" '{o=$0; gsub("/", "_", o); sub(/\.c$/, ".o", o); print $0 "\t" dir "/" o}' \
        >"$objects/list"
    local flags
    printf -v flags '%q ' "$@"
    tr '\t' '\n' <"$objects/list" | xargs -d '\n' -n 2 -P "$jobs" sh -c "nice -n 10 emcc -O2 $flags -c \"\$0\" -o \"\$1\""
    rm -f "$prefix/lib/lib$name.a"
    cut -f 2 "$objects/list" | xargs emar rcs "$prefix/lib/lib$name.a"
}

stamp_of() { echo "$prefix/stamps/$1"; }
mkdir -p "$prefix/stamps"

# Runs build_$1 in the unpacked source of Debian package $2 unless the stamp
# says that version is built already.
build() {
    local name=$1 package=$2 version folder
    # The recipe counts too: a changed build function builds again.
    version="$(source_version "$package") $(declare -f "build_$name" | md5sum | cut -c 1-12)"
    if [[ $(cat "$(stamp_of "$name")" 2>/dev/null) == "$version" ]]; then
        return
    fi
    folder=$(fetch "$package")
    version=${version% *}
    local start=$SECONDS
    (cd "$folder" && "build_$name")
    echo "built $name $version in $((SECONDS - start)) s"
    echo "$version $(declare -f "build_$name" | md5sum | cut -c 1-12)" >"$(stamp_of "$name")"
}

build_zlib() {
    ls adler32.c compress.c crc32.c deflate.c gz*.c infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c \
        zutil.c | compile_library z -DHAVE_UNISTD_H -DHAVE_STDARG_H
    cp zlib.h zconf.h "$prefix/include/"
}

build_png() {
    cp scripts/pnglibconf.h.prebuilt pnglibconf.h
    ls png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c pngrtran.c pngrutil.c pngset.c \
        pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c | compile_library png -I. -I"$prefix/include"
    mkdir -p "$prefix/include/libpng16"
    cp png.h pngconf.h pnglibconf.h "$prefix/include/"
    cp png.h pngconf.h pnglibconf.h "$prefix/include/libpng16/"
    ln -sf libpng.a "$prefix/lib/libpng16.a"
}

build_ogg() {
    mkdir -p "$prefix/include/ogg"
    sed -e 's/@INCLUDE_INTTYPES_H@/1/; s/@INCLUDE_STDINT_H@/1/; s/@INCLUDE_SYS_TYPES_H@/1/' \
        -e 's/@SIZE16@/int16_t/; s/@USIZE16@/uint16_t/; s/@SIZE32@/int32_t/; s/@USIZE32@/uint32_t/' \
        -e 's/@SIZE64@/int64_t/; s/@USIZE64@/uint64_t/' include/ogg/config_types.h.in >"$prefix/include/ogg/config_types.h"
    cp include/ogg/ogg.h include/ogg/os_types.h "$prefix/include/ogg/"
    ls src/bitwise.c src/framing.c | compile_library ogg -I"$prefix/include"
}

build_vorbis() {
    ls lib/*.c | grep -v -e psytune -e tone -e barkmel -e vorbisenc -e vorbisfile |
        compile_library vorbis -Iinclude -Ilib -I"$prefix/include"
    ls lib/vorbisfile.c | compile_library vorbisfile -Iinclude -Ilib -I"$prefix/include"
    mkdir -p "$prefix/include/vorbis"
    cp include/vorbis/codec.h include/vorbis/vorbisfile.h "$prefix/include/vorbis/"
}

build_freetype() {
    # Only what a TrueType face rendered in grey needs.
    mkdir -p "$build/objects/freetype-config"
    cat >"$build/objects/freetype-config/ftmodule_web.h" <<'MODULES'
FT_USE_MODULE( FT_Module_Class, autofit_module_class )
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Module_Class, psnames_module_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )
FT_USE_MODULE( FT_Renderer_Class, ft_smooth_renderer_class )
FT_USE_MODULE( FT_Renderer_Class, ft_raster1_renderer_class )
MODULES
    ls src/base/{ftsystem,ftinit,ftdebug,ftbase,ftbbox,ftbitmap,ftglyph,ftmm}.c src/autofit/autofit.c \
        src/truetype/truetype.c src/psnames/psnames.c src/sfnt/sfnt.c src/smooth/smooth.c src/raster/raster.c src/gzip/ftgzip.c |
        compile_library freetype -DFT2_BUILD_LIBRARY -DFT_CONFIG_OPTION_SYSTEM_ZLIB -Iinclude -I"$prefix/include" \
            -I"$build/objects/freetype-config" \
            '-DFT_CONFIG_MODULES_H=<ftmodule_web.h>'
    rm -rf "$prefix/include/freetype2"
    mkdir -p "$prefix/include/freetype2"
    cp -r include/ft2build.h include/freetype "$prefix/include/freetype2/"
    cp "$build/objects/freetype-config/ftmodule_web.h" "$prefix/include/freetype2/"
}

build_sdl2() {
    {
        ls src/*.c src/atomic/*.c src/audio/*.c src/audio/{dummy,disk,emscripten}/*.c src/cpuinfo/*.c \
            src/dynapi/*.c src/events/*.c src/file/*.c src/filesystem/emscripten/*.c src/haptic/*.c \
            src/haptic/dummy/*.c src/hidapi/SDL_hidapi.c src/joystick/*.c src/joystick/{emscripten,virtual}/*.c \
            src/libm/*.c src/loadso/dlopen/*.c src/locale/*.c src/locale/emscripten/*.c src/misc/*.c \
            src/misc/emscripten/*.c src/power/*.c src/power/emscripten/*.c src/render/*.c \
            src/render/{opengles2,software}/*.c src/sensor/*.c src/sensor/dummy/*.c src/stdlib/*.c src/thread/*.c \
            src/thread/generic/*.c src/timer/*.c src/timer/unix/*.c src/video/*.c src/video/yuv2rgb/*.c \
            src/video/emscripten/*.c
    } | compile_library SDL2 -Iinclude -Isrc -Wno-deprecated-declarations
    rm -rf "$prefix/include/SDL2"
    mkdir -p "$prefix/include/SDL2"
    cp include/*.h "$prefix/include/SDL2/"
}

total=$SECONDS
build zlib zlib
build png libpng1.6
build ogg libogg
build vorbis libvorbis
build freetype freetype
build sdl2 libsdl2
echo "libraries ready in $prefix ($((SECONDS - total)) s)"
