# Shared by scripts/test and scripts/run: paths, a throwaway Wine prefix, a private X display.
# Source it; it defines functions and never changes anything by itself.

MEVRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
MEVRA_BUILD=${MEVRA_BUILD:-$MEVRA_ROOT/build}
export WINEDEBUG=${WINEDEBUG:--all}

# The Windows programs run under Wine as the 32-bit release where this machine can run
# 32-bit Linux programs (Wine's 32-bit loader is one). A kernel without 32-bit support
# gets the 64-bit build of the same sources, in a 64-bit prefix.
if [ -z "${MEVRA_WIN_ARCH:-}" ]; then
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then MEVRA_WIN_ARCH=i686; else MEVRA_WIN_ARCH=x86_64; fi
fi
export MEVRA_WIN_ARCH
if [ "$MEVRA_WIN_ARCH" = i686 ]; then
  export WINEARCH=win32
  MEVRA_WIN_BUILD=$MEVRA_BUILD/win32
else
  export WINEARCH=win64
  MEVRA_WIN_BUILD=$MEVRA_BUILD/win64
fi
MEVRA_WIN_TOOLCHAIN=cmake/mingw-$MEVRA_WIN_ARCH.cmake
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

log() { printf '\033[1m==> %s\033[0m\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# A new prefix under a temp folder, never the user's own. MEVRA_WINEPREFIX reuses one
# across runs (quicker while developing); it must be a folder of ours all the same.
# Debian's wine and wine-stable pick the 32-bit loader whenever it is installed, even
# where the kernel cannot run it: on such a machine they are shadowed by the 64-bit one.
wine_loader_up() {
  [ "$MEVRA_WIN_ARCH" = x86_64 ] || return 0
  local shim=$MEVRA_BUILD/wine64-bin n
  mkdir -p "$shim"
  for n in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$n"
    chmod +x "$shim/$n"
  done
  case ":$PATH:" in *":$shim:"*) ;; *) export PATH=$shim:$PATH ;; esac
}

wine_prefix_up() {
  wine_loader_up
  if [ -n "${MEVRA_WINEPREFIX:-}" ]; then
    export WINEPREFIX=$MEVRA_WINEPREFIX
  else
    export WINEPREFIX=$(mktemp -d /tmp/mevra-wine.XXXXXX)
    MEVRA_OWN_PREFIX=1
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating Wine prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w
    # No sound card, no crash dialogs, and GDI rendering so MPEGVideo draws a picture.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f </dev/null >/dev/null 2>&1
    wineserver -w
  fi
  # Start the server and services detached, or they inherit ctest's pipes and it never returns.
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_prefix_down() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if [ -n "${MEVRA_OWN_PREFIX:-}" ]; then rm -rf "$WINEPREFIX"; fi
}

# A private Xvfb display; the test programs create real windows.
xvfb_up() {
  local n
  for n in $(seq 91 130); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    MEVRA_XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do
      [ -e /tmp/.X11-unix/X$n ] && return 0
      sleep 0.1
    done
    kill "$MEVRA_XVFB_PID" 2>/dev/null
  done
  die "could not start Xvfb"
}

xvfb_down() {
  [ -n "${MEVRA_XVFB_PID:-}" ] && kill "$MEVRA_XVFB_PID" 2>/dev/null
  MEVRA_XVFB_PID=
}

# Short sample films, generated once into the build folder.
make_films() {
  local dir=$1; mkdir -p "$dir"
  [ -f "$dir/.done" ] && { make_modern_films "$dir"; return 0; }
  log "generating sample films in $dir"
  local src=(-f lavfi -i "testsrc2=size=320x240:rate=25:duration=6" -f lavfi -i "sine=frequency=440:duration=6")
  ffmpeg -loglevel error -y "${src[@]}" -c:v mpeg4 -c:a pcm_s16le "$dir/clip.avi"
  ffmpeg -loglevel error -y "${src[@]}" -c:v mpeg1video -c:a mp2 -f mpeg "$dir/clip.mpg"
  cp "$dir/clip.mpg" "$dir/clip.dat"
  ffmpeg -loglevel error -y "${src[@]}" -c:v wmv2 -c:a wmav2 "$dir/clip.wmv"
  ffmpeg -loglevel error -y "${src[@]}" -c:v mpeg4 -c:a aac "$dir/clip.mov"
  mkdir -p "$dir/with blanks"
  cp "$dir/clip.avi" "$dir/with blanks/my clip.avi"
  make_modern_films "$dir"
  touch "$dir/.done"
}

# The film most people have, for the Media Foundation engine: H.264 and AAC in MP4. With
# "all", also the formats only the format table needs (HEVC, VP9, Matroska).
make_modern_films() {
  local dir=$1 all=${2:-}
  local src=(-f lavfi -i "testsrc2=size=320x240:rate=25:duration=6" -f lavfi -i "sine=frequency=440:duration=6")
  [ -f "$dir/clip.mp4" ] ||
    ffmpeg -loglevel error -y "${src[@]}" -c:v libx264 -pix_fmt yuv420p -c:a aac "$dir/clip.mp4"
  [ -n "$all" ] || return 0
  [ -f "$dir/hevc.mp4" ] ||
    ffmpeg -loglevel error -y "${src[@]}" -c:v libx265 -tag:v hvc1 -pix_fmt yuv420p -c:a aac "$dir/hevc.mp4" 2>/dev/null
  [ -f "$dir/clip.webm" ] ||
    ffmpeg -loglevel error -y "${src[@]}" -c:v libvpx-vp9 -deadline realtime -c:a libopus "$dir/clip.webm"
  [ -f "$dir/clip.mkv" ] ||
    ffmpeg -loglevel error -y "${src[@]}" -c:v libx264 -pix_fmt yuv420p -c:a aac "$dir/clip.mkv"
}
