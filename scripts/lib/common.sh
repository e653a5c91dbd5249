# Shared set-up for scripts/run and scripts/test: packages, builds, the Wine prefix and the display.
# Sourced, not run. Everything it starts is recorded and stopped by stop_started_processes.

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_dir="$root_dir/build"
# Always our own prefix: an inherited WINEPREFIX (a developer's ~/.wine) is never written, never
# gets our font keys or Send To entries, and its wineserver is never stopped. Tests that need a
# prefix of their own (another DPI) name it in MIRAFOLD_WINEPREFIX, which must lie below build/.
own_prefix() {
  local wanted
  wanted=$(realpath -m -- "${MIRAFOLD_WINEPREFIX:-$build_dir/wineprefix}")
  case "$wanted" in
    "$build_dir"/?*) echo "$wanted" ;;
    *) echo "$build_dir/wineprefix" ;;
  esac
}
export WINEPREFIX
WINEPREFIX=$(own_prefix)
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine names host files in the locale's encoding: without UTF-8 it cannot make Chinese names.
export LANG="${LANG:-C.UTF-8}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
started_pids=()

say() { printf '== %s\n' "$*" >&2; }

# libx11-dev: the UI tests drop files on the window from an X client, as a Linux file manager does.
# exfat-fuse, exfatprogs: the move's Windows test copies to an exFAT drive D:.
needed_packages=(cmake g++ make googletest mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth x11-utils
                 fonts-wine fonts-wqy-microhei imagemagick ntfs-3g clang libclang-rt-14-dev zip unzip
                 libx11-dev exfat-fuse exfatprogs python3 ccache)

install_packages() {
  local missing=()
  for p in "${needed_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    say "missing packages; as root run: apt-get install -y ${missing[*]}"
    return 1
  fi
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

# build_preset PRESET [TARGET...]
build_preset() {
  local preset=$1
  shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  # Compiled objects are kept by ccache, keyed by paths relative to the checkout, so that another
  # clone on the same machine builds from what this one compiled.
  if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$root_dir" CCACHE_NOHASHDIR=true
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  fi
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
}

# A display for Wine's windows: the caller's, or an Xvfb of our own, large enough for the main
# window at 200 % scaling.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
    started_pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  done
  say "could not start Xvfb"
  return 1
}

# The project's own Wine prefix. A CJK font stands in for 微软雅黑 and is linked behind the system
# fonts, so that the Chinese texts of the window, its title and the message boxes are drawn.
ensure_wine_prefix() {
  local ready="$WINEPREFIX/.mirafold-ready-3"
  [ -f "$ready" ] && return 0
  say "preparing the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  # Wine draws the title bar's buttons with Marlett, which it does not find where Debian puts it.
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  local cjk="WenQuanYi Micro Hei"
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "微软雅黑" /d "$cjk" /f >/dev/null 2>&1
  local face
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,$cjk" /f >/dev/null 2>&1
  done
  touch "$ready"
}

stop_started_processes() {
  # wineserver -w would wait for ever on Wine's own services, so the prefix's processes are ended.
  wineserver -k >/dev/null 2>&1 || true
  local pid
  for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}

# run_fuzzers SECONDS: each libFuzzer target for a bounded time; a crash leaves its input in
# build/fuzz/crashes. Sets fuzz_passed and fuzz_failed.
run_fuzzers() {
  local seconds=$1 target name
  local -a options
  fuzz_passed=0
  fuzz_failed=0
  mkdir -p "$build_dir/fuzz/crashes"
  for target in "$build_dir"/fuzz/bin/*_fuzz; do
    name=$(basename "$target")
    mkdir -p "$build_dir/fuzz/corpus/$name"
    options=()
    # Reparse data may fill 16 KiB, four times libFuzzer's default input length; long inputs
    # from the start, or a short run never gets there.
    [[ $name == reparse_data_fuzz ]] && options=(-max_len=20000 -len_control=0)
    if "$target" "${options[@]}" -max_total_time="$seconds" -print_final_stats=0 \
        -artifact_prefix="$build_dir/fuzz/crashes/$name-" "$build_dir/fuzz/corpus/$name" \
        >"$build_dir/fuzz/$name.log" 2>&1; then
      say "fuzz $name: $(grep -E '^Done' "$build_dir/fuzz/$name.log" | tail -n 1)"
      fuzz_passed=$((fuzz_passed + 1))
    else
      say "fuzz $name FAILED; see $build_dir/fuzz/$name.log"
      tail -n 30 "$build_dir/fuzz/$name.log" >&2
      fuzz_failed=$((fuzz_failed + 1))
    fi
  done
}
