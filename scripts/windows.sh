#!/usr/bin/env bash
# Builds and checks the Windows files, cross-compiled with MinGW-w64:
#
#   build-win32/  the files for users: current/<name>.mexw32 (every module) and legacy/<name>.dll
#                 (the modules with a legacy build). 32-bit code cannot run here, so they are
#                 checked, not run: scripts/check_windows_modules.sh.
#   build-win64/  the embedded host as libmx.dll and libmex.dll, the same modules as .mexw64, the
#                 command-line tool montemex.exe and the test programs. Checked the same way, then
#                 the unit and module tests run under wine64, and the tool's demo (every module
#                 once) must print exactly what the Linux build prints, bit for bit.
#
# Each part is skipped with a message when its tools are missing (.ci/run installs them).
# The Linux build in build/ is compared against when it exists (scripts/test.sh builds it first).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
wine=/usr/lib/wine/wine64

have() { command -v "$1" >/dev/null 2>&1; }

# Configures a cross build; the toolchain file counts only when the build directory is new.
configure() {
  local dir=$1 toolchain=$2
  shift 2
  if [ -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
  else
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release "$@"
  fi
}

# The checker must reject what it is there to reject: a current file posing as a legacy one and
# the other way round.
check_the_checker() {
  local build=$1 fake
  fake=$(mktemp -d)
  mkdir -p "$fake/current" "$fake/legacy"
  local name
  name=$(awk '$2 == "legacy" { print $1; exit }' "$build/modules.txt")
  cp "$build/current/$name.mexw32" "$fake/legacy/$name.dll"
  cp "$build/legacy/$name.dll" "$fake/current/$name.mexw32"
  printf '%s current\n%s legacy\n' "$name" "$name" >"$fake/modules.txt"
  local out
  if out=$(scripts/check_windows_modules.sh "$fake"); then
    echo "$out"
    echo "windows: the check accepted swapped current and legacy files" >&2
    rm -rf "$fake"
    return 1
  fi
  rm -rf "$fake"
  if [ "$(grep '^FAIL' <<<"$out" | cut -d: -f1 | sort -u | wc -l)" -ne 2 ]; then
    echo "$out"
    echo "windows: the check did not reject both swapped files" >&2
    return 1
  fi
  echo "windows: the check rejects swapped current and legacy files"
}

# The symbol lists behind the import libraries must name every function of the module interface
# (include/) and nothing the real host DLLs of the 64-bit build do not export.
check_symbol_lists() {
  local lib header declared listed exported missing
  for lib in mx mex; do
    header=include/matrix.h
    [ "$lib" = mex ] && header=include/mex.h
    declared=$(grep -oE "\b$lib[A-Z][A-Za-z_0-9]*\(" "$header" | tr -d '(' | grep -v '^mexFunction$' | sort -u)
    listed=$(awk '/^EXPORTS/ { on = 1; next } on && NF { print $1 }' "cmake/windows/lib$lib.def" | sort -u)
    if [ "$declared" != "$listed" ]; then
      diff <(echo "$declared") <(echo "$listed") || true
      echo "windows: cmake/windows/lib$lib.def does not list the functions of $header" >&2
      return 1
    fi
    exported=$(x86_64-w64-mingw32-objdump -p "build-win64/bin/lib$lib.dll" |
      awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && /^\t\[/ { print $NF; next } on { on = 0 }' | sort -u)
    missing=$(comm -23 <(echo "$listed") <(echo "$exported"))
    if [ -n "$missing" ]; then
      echo "windows: lib$lib.dll does not export: $missing" >&2
      return 1
    fi
    echo "windows: lib$lib.def lists the $(wc -l <<<"$listed") functions of $header; lib$lib.dll exports them all"
  done
}

# ---- 32-bit: build and check the files handed to users.
if have i686-w64-mingw32-g++-win32 && have i686-w64-mingw32-dlltool && have i686-w64-mingw32-objdump; then
  configure build-win32 mingw-w64-i686
  cmake --build build-win32 -j "$jobs"
  scripts/check_windows_modules.sh build-win32
  check_the_checker build-win32
else
  echo "note: 32-bit MinGW-w64 (g++-mingw-w64-i686-win32, binutils-mingw-w64-i686) not found;" \
    "the .mexw32 and .dll files are not built. .ci/run installs it." >&2
fi

# ---- 64-bit: build, check, and run under wine.
if ! have x86_64-w64-mingw32-g++-win32 || ! have x86_64-w64-mingw32-objdump; then
  echo "note: 64-bit MinGW-w64 (g++-mingw-w64-x86-64-win32) not found; the Windows build is not" \
    "built or run. .ci/run installs it." >&2
  exit 0
fi
tests=ON
if [ ! -d /usr/src/googletest ]; then
  echo "note: GoogleTest sources (package googletest) not found; the Windows tests are not built." >&2
  tests=OFF
fi
configure build-win64 mingw-w64-x86_64 -DMONTEMEX_TESTS=$tests
cmake --build build-win64 -j "$jobs"
scripts/check_windows_modules.sh build-win64
check_symbol_lists

if [ ! -x "$wine" ]; then
  echo "note: $wine not found (package wine64); the Windows build is not run. .ci/run installs it." >&2
  exit 0
fi

# A wine prefix of our own, headless; made once, before the tests run in parallel.
export WINEPREFIX=$PWD/build-win64/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot --init >/dev/null 2>&1 || true
fi
stop_wineserver() { "$(dirname "$wine")/wineserver" -k >/dev/null 2>&1 || true; }
trap stop_wineserver EXIT

[ "$tests" = OFF ] || ctest --test-dir build-win64 --output-on-failure -j "$jobs"

# The tool's demo calls every module built once, with full precision. The Windows build must
# print the same text as the Linux build, except that a number may differ in its last bits: the
# MinGW-w64 runtime's log, exp and pow (x87 extended precision, then rounded) and glibc's do not
# agree to the last bit for every argument. A number drawn out of turn changes far more than that.
compare_demo() {
  awk -v tolerance=1e-13 '
    function numeric(t) { return t ~ /^[-+]?(Inf|NaN|[0-9.]+([eE][-+]?[0-9]+)?)$/ }
    NR == FNR { linux[FNR] = $0; lines = FNR; next }
    {
      windows_lines++
      if (FNR > lines) { bad++; next }
      if ($0 == linux[FNR]) { next }
      n = split(linux[FNR], a, /[, ]+/); m = split($0, b, /[, ]+/)
      if (n != m) { bad++; print "line " FNR ": " linux[FNR] " | " $0; next }
      for (k = 1; k <= n; k++) {
        if (a[k] == b[k]) continue
        if (numeric(a[k]) && numeric(b[k]) && a[k] + 0 != 0 && ((a[k] - b[k]) / a[k])^2 <= tolerance^2) { near++; continue }
        bad++; print "line " FNR ": " a[k] " | " b[k]
      }
    }
    END {
      if (windows_lines != lines) { bad++; print "line counts differ" }
      printf "%d value(s) differ in their last bits\n", near
      exit bad > 0
    }' "$1" "$2"
}

tool=build-win64/bin/montemex.exe
demo_dir=build-win64/demo
mkdir -p "$demo_dir"
for build in current legacy; do
  flag=""
  [ "$build" = legacy ] && flag=--legacy
  "$wine" "$tool" --demo --csv $flag | tr -d '\r' >"$demo_dir/windows-$build.txt"
  echo "windows: montemex.exe --demo${flag:+ $flag} under wine64: $(tail -n 1 "$demo_dir/windows-$build.txt")"
  if [ -x build/bin/montemex ]; then
    build/bin/montemex --demo --csv $flag >"$demo_dir/linux-$build.txt"
    if ! summary=$(compare_demo "$demo_dir/linux-$build.txt" "$demo_dir/windows-$build.txt"); then
      echo "$summary"
      echo "windows: the $build build prints different results under wine64 and on Linux" \
        "($demo_dir/linux-$build.txt, windows-$build.txt)" >&2
      exit 1
    fi
    echo "windows: the same results as the Linux build; $summary"
  fi
done
