#!/usr/bin/env bash
# Installs everything the build, the tests and the Wine runs need, and builds the
# third-party code (shine, minimp3's header, GoogleTest for mingw) into .deps/.
# Idempotent: a second run only checks what is there.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS="$ROOT/.deps"
export DEBIAN_FRONTEND=noninteractive

SHINE_VERSION=3.1.1
SHINE_ORIG_SHA256=565b87867d6f8e6616a236445d194e36f4daa9b4e7af823fcf5010af7610c49e
# Our change to shine's arithmetic (see the patch's own header), applied to a copy of the source.
SHINE_PATCH="$ROOT/scripts/patches/shine-3.1.1-mdct-headroom.patch"
SHINE_PATCH_SHA256=1f1157542a8ea61269288810b0ebdfe15a4750689fa05eaafdd008c8b1e94642
MINIMP3_PACKAGE=minimp3@1.0.0
MINIMP3_INTEGRITY='sha512-K+d0ltqfCigErdRNYgeA9t2187tt6gQk64y9hlfPxW82MVB8ujv1wCHtvd6UWg+7qiHx0au/P+O8NDBNWDl9PA=='
MINIMP3_HEADER_SHA256=29af4551fa77fe4ed6b99762e734ab95a16f85f98384c728ba303c39050ade46
WEBVIEW2_PACKAGE=Microsoft.Web.WebView2
WEBVIEW2_VERSION=1.0.4314.35
# The .nupkg's own sha512, as NuGet writes it beside the package (base64).
WEBVIEW2_SHA512='cOaiVqP3BmQHMnxGpZzANM22tUXgycrisyJHjIGNzIaMsm8iXj7Kx+ceYg+RbYwJtzT009qfcFTocvVLY+ekMw=='

PACKAGES=(
    g++ cmake ninja-build pkg-config dpkg-dev googletest libgtest-dev python3 clang-format
    wine wine64 g++-mingw-w64-x86-64-posix mingw-w64-tools
    xvfb xdotool imagemagick x11-utils pulseaudio pulseaudio-utils sox espeak-ng
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
    ffmpeg shineenc icoutils librsvg2-bin nsis patch valgrind
    fonts-wine fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea fonts-dejavu-core
    mpg123 soundstretch clang libclang-rt-14-dev
)

say() { printf 'bootstrap: %s\n' "$*"; }

need_root() {
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then sudo "$@"; else say "needs root for: $*"; exit 1; fi
    else
        "$@"
    fi
}

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    # Source packages (shine's) come from the mirrors the machine's own deb entries name.
    local src=/etc/apt/sources.list.d/notafon-deb-src.sources want
    want=$(bash "$ROOT/scripts/apt-deb-src.sh") || want=""
    if [ -z "$want" ]; then
        say "no deb entry for this release in the apt sources: shine's source package cannot be fetched"
    elif [ ! -f "$src" ] || [ "$(cat "$src")" != "$want" ]; then
        printf '%s\n' "$want" | need_root tee "$src" >/dev/null
        missing+=(__update__)
    fi
    if [ ${#missing[@]} -gt 0 ]; then
        say "installing: ${missing[*]}"
        need_root apt-get -o DPkg::Lock::Timeout=600 update -qq
        local real=()
        for p in "${missing[@]}"; do [ "$p" = __update__ ] || real+=("$p"); done
        if [ ${#real[@]} -gt 0 ]; then
            need_root apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${real[@]}"
        fi
    fi
}

fetch_shine() {
    local dir="$DEPS/src/shine-$SHINE_VERSION"
    [ -f "$dir/src/lib/layer3.h" ] && return 0
    say "fetching shine $SHINE_VERSION source package"
    mkdir -p "$DEPS/src/shine-pkg"
    (cd "$DEPS/src/shine-pkg" && apt-get source --download-only "shine=$SHINE_VERSION-*" >/dev/null 2>&1 ||
        apt-get source --download-only shine >/dev/null)
    local orig
    orig=$(ls "$DEPS/src/shine-pkg"/shine_"$SHINE_VERSION".orig.tar.* | head -1)
    echo "$SHINE_ORIG_SHA256  $orig" | sha256sum -c --quiet -
    rm -rf "$dir.tmp" && mkdir -p "$dir.tmp"
    tar -xf "$orig" -C "$dir.tmp" --strip-components=1
    mv "$dir.tmp" "$dir"
}

fetch_minimp3() {
    local inc="$DEPS/include"
    if [ -f "$inc/minimp3.h" ] && echo "$MINIMP3_HEADER_SHA256  $inc/minimp3.h.orig" | sha256sum -c --quiet - 2>/dev/null; then
        return 0
    fi
    say "fetching $MINIMP3_PACKAGE"
    local tmp
    tmp=$(mktemp -d)
    (cd "$tmp" && npm pack "$MINIMP3_PACKAGE" --ignore-scripts --silent >/dev/null)
    local tgz
    tgz=$(ls "$tmp"/minimp3-*.tgz)
    local got
    got="sha512-$(openssl dgst -sha512 -binary "$tgz" | base64 -w0)"
    [ "$got" = "$MINIMP3_INTEGRITY" ] || { say "minimp3 tarball integrity mismatch: $got"; exit 1; }
    tar -xzf "$tgz" -C "$tmp"
    mkdir -p "$inc"
    cp "$tmp/package/lib/minimp3.h" "$inc/minimp3.h.orig"
    echo "$MINIMP3_HEADER_SHA256  $inc/minimp3.h.orig" | sha256sum -c --quiet -
    # The snapshot includes <iostream> where it means <stdint.h>; with it the header is neither C nor lean C++.
    sed 's|#include <iostream>|#include <stdint.h>|' "$inc/minimp3.h.orig" >"$inc/minimp3.h"
    rm -rf "$tmp"
}

# The web panel's SDK: the two headers and the x64 loader library, into $DEPS/webview2-<version>/. A PackageDownload
# item restores the package without any framework of its own being checked or installed.
fetch_webview2() {
    local out="$DEPS/webview2-$WEBVIEW2_VERSION"
    [ -f "$out/.complete" ] && return 0
    say "fetching $WEBVIEW2_PACKAGE $WEBVIEW2_VERSION"
    local fail="could not restore NuGet package $WEBVIEW2_PACKAGE $WEBVIEW2_VERSION (needed for the web panel)"
    command -v dotnet >/dev/null 2>&1 || { say "$fail: the dotnet client is missing"; exit 1; }
    local work="$DEPS/build/webview2-restore"
    rm -rf "$work" && mkdir -p "$work"
    cat >"$work/restore.proj" <<EOF_PROJ
<Project Sdk="Microsoft.NET.Sdk">
  <PropertyGroup>
    <TargetFramework>netstandard2.0</TargetFramework>
  </PropertyGroup>
  <ItemGroup>
    <PackageDownload Include="$WEBVIEW2_PACKAGE" Version="[$WEBVIEW2_VERSION]" />
  </ItemGroup>
</Project>
EOF_PROJ
    if ! DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1 DOTNET_SKIP_FIRST_TIME_EXPERIENCE=1 \
        dotnet restore "$work/restore.proj" --packages "$work/packages" >"$work/restore.log" 2>&1; then
        tail -20 "$work/restore.log" >&2
        say "$fail"
        exit 1
    fi
    local pkg="$work/packages/${WEBVIEW2_PACKAGE,,}/$WEBVIEW2_VERSION"
    local nupkg="$pkg/${WEBVIEW2_PACKAGE,,}.$WEBVIEW2_VERSION.nupkg"
    [ -f "$nupkg" ] || { say "$fail: the restore left no $nupkg"; exit 1; }
    local got
    got=$(openssl dgst -sha512 -binary "$nupkg" | base64 -w0)
    [ "$got" = "$WEBVIEW2_SHA512" ] || { say "$fail: sha512 mismatch, got $got"; exit 1; }
    rm -rf "$out.tmp" && mkdir -p "$out.tmp/include" "$out.tmp/x64"
    cp "$pkg/build/native/include/WebView2.h" "$pkg/build/native/include/WebView2EnvironmentOptions.h" "$out.tmp/include/"
    cp "$pkg/build/native/x64/WebView2Loader.dll" "$out.tmp/x64/"
    cp "$pkg/LICENSE.txt" "$out.tmp/" 2>/dev/null || true
    touch "$out.tmp/.complete"
    rm -rf "$out" && mv "$out.tmp" "$out"
    rm -rf "$work"
}

# Builds shine's library with one toolchain into $DEPS/<target>/lib/libshine.a.
build_shine() {
    local target=$1 cc=$2 extra=$3
    local out="$DEPS/$target"
    [ -f "$out/lib/libshine.a" ] && return 0
    say "building shine for $target"
    local src="$DEPS/src/shine-$SHINE_VERSION/src/lib"
    local obj="$out/obj/shine"
    mkdir -p "$obj" "$out/lib" "$out/include/shine"
    for f in bitstream huffman l3bitstream l3loop l3mdct l3subband layer3 reservoir tables; do
        $cc -O2 -funroll-loops -fsigned-char $extra -w -c "$src/$f.c" -o "$obj/$f.o" &
    done
    wait
    local ar=ar
    [ "$target" = mingw ] && ar=x86_64-w64-mingw32-ar
    rm -f "$out/lib/libshine.a.tmp"
    $ar rcs "$out/lib/libshine.a.tmp" "$obj"/*.o
    cp "$src"/*.h "$out/include/shine/"
    mv "$out/lib/libshine.a.tmp" "$out/lib/libshine.a"
}

# Builds shine with our patch into $DEPS/<target>/shine-patched/{lib,include}, which the product links. The unpatched
# build stays where build_shine puts it: the recording benchmark measures the patched encoder against it. A stamp of
# the patch's sha256 makes a changed patch rebuild.
build_shine_patched() {
    local target=$1 cc=$2 extra=$3
    local out="$DEPS/$target/shine-patched"
    if [ -f "$out/lib/libshine.a" ] && [ "$(cat "$out/patch.sha256" 2>/dev/null)" = "$SHINE_PATCH_SHA256" ]; then
        return 0
    fi
    echo "$SHINE_PATCH_SHA256  $SHINE_PATCH" | sha256sum -c --quiet -
    say "building patched shine for $target"
    rm -rf "$out.tmp"
    mkdir -p "$out.tmp/src" "$out.tmp/obj" "$out.tmp/lib" "$out.tmp/include/shine"
    cp -r "$DEPS/src/shine-$SHINE_VERSION/src" "$out.tmp/src/"
    patch -s -p1 -d "$out.tmp/src" <"$SHINE_PATCH"
    local src="$out.tmp/src/src/lib"
    for f in bitstream huffman l3bitstream l3loop l3mdct l3subband layer3 reservoir tables; do
        $cc -O2 -funroll-loops -fsigned-char $extra -w -c "$src/$f.c" -o "$out.tmp/obj/$f.o" &
    done
    wait
    local ar=ar
    [ "$target" = mingw ] && ar=x86_64-w64-mingw32-ar
    $ar rcs "$out.tmp/lib/libshine.a" "$out.tmp/obj"/*.o
    cp "$src"/*.h "$out.tmp/include/shine/"
    echo "$SHINE_PATCH_SHA256" >"$out.tmp/patch.sha256"
    rm -rf "$out"
    mv "$out.tmp" "$out"
}

build_gtest_mingw() {
    local out="$DEPS/mingw"
    [ -f "$out/lib/libgtest.a" ] && return 0
    say "building GoogleTest for mingw"
    local b="$DEPS/build/gtest-mingw"
    rm -rf "$b"
    cmake -S /usr/src/googletest -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-toolchain.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF \
        -DCMAKE_INSTALL_PREFIX="$out" >/dev/null
    cmake --build "$b" >/dev/null
    cmake --install "$b" >/dev/null
}

install_packages
mkdir -p "$DEPS"
fetch_shine
fetch_minimp3
fetch_webview2
build_shine native gcc "-fPIC"
build_shine mingw x86_64-w64-mingw32-gcc-posix ""
build_shine_patched native gcc "-fPIC"
build_shine_patched mingw x86_64-w64-mingw32-gcc-posix ""
build_gtest_mingw
say "ready"
