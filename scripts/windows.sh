#!/usr/bin/env bash
# Builds and checks the Windows files, cross-compiled with MinGW-w64:
#
#   build-win32/  the files for users: current/<name>.mexw32 (every module) and legacy/<name>.dll
#                 (the modules with a legacy build), checked by scripts/check_windows_modules.sh.
#                 Beside them the embedded host as bin/libmx.dll and bin/libmex.dll, bin/montemex.exe
#                 and the test programs, which load those very files under 32-bit wine: the
#                 tool's demo must print what the Linux build prints, and the unit and module
#                 tests run. The wine is the first of the machine's own and the Debian 13
#                 chroot's, natively or else under qemu-i386-static (the demos only there: one to
#                 two minutes a program), that runs a small program here (scripts/wine32.sh).
#   build-win64/  the embedded host as libmx.dll and libmex.dll, the same modules as .mexw64, the
#                 command-line tool montemex.exe and the test programs. Checked the same way, then
#                 the unit and module tests run under wine64, and the tool's demo (every module
#                 once) must print exactly what the Linux build prints, bit for bit.
#
# Four parts (32-bit build, 32-bit run, 64-bit build, 64-bit run), each skipped with its reason
# when its tools are missing (.ci/run installs them), recorded for the summary of scripts/test.sh
# (scripts/summary.sh), or printed at the end when run alone; exits 1 when a part failed.
# The Linux build in build/ is compared against when it exists (scripts/test.sh builds it first).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
wine=/usr/lib/wine/wine64
source scripts/probe.sh
source scripts/summary.sh
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

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

# The 32-bit build must print exactly what the Linux build prints. Where it does not, every
# differing number is named (function, row, element) with its distance in units in the last
# place; one unit is what a C library's log may differ by, more fails.
compare_demo_exactly() {
  cmp -s "$1" "$2" && { echo "byte for byte"; return 0; }
  awk '
    function ulp(x,   p) {
      if (x < 0) x = -x
      if (x == 0) return 2 ^ -1074
      p = 1
      while (p * 2 <= x) p *= 2
      while (p > x) p /= 2
      return p / 2 ^ 52
    }
    NR == FNR { linux[FNR] = $0; lines = FNR; next }
    {
      windows_lines++
      if ($0 ~ /^>> /) { call = $2; sub(/\(.*/, "", call); row = 0 } else row++
      if (FNR > lines || $0 == linux[FNR]) { if (FNR > lines) bad++; next }
      n = split(linux[FNR], a, /,/); m = split($0, b, /,/)
      if (n != m) { bad++; print "line " FNR ": " linux[FNR] " | " $0; next }
      for (k = 1; k <= n; k++) {
        if (a[k] == b[k]) continue
        d = (a[k] - b[k]) / ulp(a[k] + 0); if (d < 0) d = -d
        printf "%s row %d element %d: %s (Linux) %s (Windows), %.3g ulp\n", call, row, k, a[k], b[k], d
        if (d <= 1) near++; else bad++
      }
    }
    END {
      if (windows_lines != lines) { bad++; print "line counts differ" }
      printf "%d value(s) differ by one unit in the last place\n", near
      exit bad > 0
    }' "$1" "$2"
}

# Runs the tool's demo of one build (current or legacy) with "$@" as the command that starts it
# and compares it with the Linux build's.
run_demo() {
  local label=$1 dir=$2 build=$3 compare=$4
  shift 4
  local flag=""
  [ "$build" = legacy ] && flag=--legacy
  mkdir -p "$dir"
  "$@" --demo --csv $flag | tr -d '\r' >"$dir/windows-$build.txt"
  echo "windows: montemex.exe --demo${flag:+ $flag} under $label: $(tail -n 1 "$dir/windows-$build.txt")"
  [ -x build/bin/montemex ] || return 0
  build/bin/montemex --demo --csv $flag >"$dir/linux-$build.txt"
  local summary
  if ! summary=$($compare "$dir/linux-$build.txt" "$dir/windows-$build.txt"); then
    echo "$summary"
    echo "windows: the $build build prints different results under $label and on Linux" \
      "($dir/linux-$build.txt, windows-$build.txt)" >&2
    return 1
  fi
  echo "windows: the same results as the Linux build; $summary"
}

stop_wineserver() { WINEPREFIX=$1 "$(dirname "$wine")/wineserver" -k >/dev/null 2>&1 || true; }

# Skips the part that runs: prints the reason for the summary and exits 77.
skip() {
  echo "skipped: $1"
  exit 77
}

tests=ON
if [ ! -d /usr/src/googletest ]; then
  why=$(install_note googletest-src)
  echo "note: GoogleTest sources not found (${why:-package googletest}); the Windows tests are not built." >&2
  tests=OFF
fi

# ---- 32-bit: build and check the files handed to users.
build_win32() {
  have i686-w64-mingw32-g++-win32 && have i686-w64-mingw32-dlltool && have i686-w64-mingw32-objdump ||
    skip "32-bit MinGW-w64 not found (${why_mingw32:-packages g++-mingw-w64-i686-win32, binutils-mingw-w64-i686})"
  # The tests run under whichever 32-bit wine this machine has (scripts/wine32.sh).
  configure build-win32 mingw-w64-i686 -DMONTEMEX_TESTS=$tests -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/scripts/wine32.sh"
  cmake --build build-win32 -j "$jobs"
  scripts/check_windows_modules.sh build-win32
  check_the_checker build-win32
}

# Runs the 32-bit build under 32-bit wine: the tool's demo from the shipped files, then the tests.
# scripts/wine32.sh chooses the first way of running 32-bit wine that runs a small program here;
# when none does, the part is skipped with every way's reason.
run_win32() {
  part_passed "32-bit Windows build" || skip "the 32-bit Windows build did not pass"
  local where line started=$SECONDS build
  line=$(scripts/wine32.sh --summary)
  where=$(scripts/wine32.sh --where)
  [ "$where" != none ] || skip "${line#skipped: }"
  echo "windows: 32-bit wine: $where (chosen in $((SECONDS - started)) s)"
  # Only the machine's own wine leaves a server running: the chroot's ends with its namespace.
  [ "$where" != host ] || trap 'scripts/wine32.sh --stop' EXIT
  for build in current legacy; do
    run_demo "32-bit wine ($where)" build-win32/demo $build compare_demo_exactly \
      scripts/wine32.sh build-win32/bin/montemex.exe --path build-win32/$build
  done
  if [ "$tests" = ON ] && [[ $where != *qemu ]]; then
    ctest --test-dir build-win32 --output-on-failure -j "$jobs"
  elif [ "$tests" = ON ]; then
    echo "note: the 32-bit Windows tests are not run under qemu (minutes each); the demos were." >&2
  fi
  echo "windows: 32-bit runs took $((SECONDS - started)) s"
  [ -z "$line" ] || echo "$line"
}

# ---- 64-bit: build, check, and run under wine.
build_win64() {
  have x86_64-w64-mingw32-g++-win32 && have x86_64-w64-mingw32-objdump ||
    skip "64-bit MinGW-w64 not found (${why_mingw64:-package g++-mingw-w64-x86-64-win32})"
  configure build-win64 mingw-w64-x86_64 -DMONTEMEX_TESTS=$tests
  cmake --build build-win64 -j "$jobs"
  scripts/check_windows_modules.sh build-win64
  check_symbol_lists
}

run_win64() {
  part_passed "64-bit Windows build" || skip "the 64-bit Windows build did not pass"
  [ -x "$wine" ] || skip "$wine not found (${why_wine64:-package wine64})"
  # A wine prefix of our own, headless, made by a small program of ours before the tests run in
  # parallel: a wine64 that installed but cannot run a program here skips the part.
  export WINEPREFIX=$PWD/build-win64/wineprefix
  x86_64-w64-mingw32-gcc-win32 -O2 -s scripts/wine_probe.c -o build-win64/probe.exe
  trap 'stop_wineserver "$WINEPREFIX"' EXIT
  if ! probe_run 300 "montemex: a Windows program ran" "$wine" build-win64/probe.exe; then
    stop_wineserver "$WINEPREFIX"
    rm -rf "$WINEPREFIX"
    skip "wine64 cannot run a program here: $PROBE_REASON"
  fi
  [ "$tests" = OFF ] || ctest --test-dir build-win64 --output-on-failure -j "$jobs"
  local build
  for build in current legacy; do
    run_demo wine64 build-win64/demo $build compare_demo "$wine" build-win64/bin/montemex.exe
  done
}

why_mingw32=$(install_note mingw32)
why_mingw64=$(install_note mingw64)
why_wine64=$(install_note wine64)
standalone=no
[ -n "${MONTEMEX_SUMMARY:-}" ] || standalone=yes
run_part "32-bit Windows build" build_win32
run_part "32-bit Windows run" run_win32
run_part "64-bit Windows build" build_win64
run_part "64-bit Windows run" run_win64
if [ "$standalone" = yes ]; then
  trap 'rm -f "$MONTEMEX_SUMMARY"' EXIT
  print_summary
fi
