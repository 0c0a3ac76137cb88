#!/usr/bin/env bash
# Checks the Windows module files of a cross build against their import and export rules:
#
#   scripts/check_windows_modules.sh BUILD_DIR
#
# BUILD_DIR is a 32-bit build (current/<name>.mexw32, legacy/<name>.dll) or a 64-bit one
# (embedded/current|legacy/<name>.mexw64); BUILD_DIR/modules.txt lists the expected files. Each
# file must be a DLL for the build's machine (PE32 i386, or PE32+ x86-64) that
#   - exports exactly mexFunction and its alias _mexFunction;
#   - imports only from libmx.dll, libmex.dll, the C runtime msvcrt.dll, and KERNEL32.dll (which
#     the MinGW-w64 start-up code and the static libgcc need: DLL start-up, thread-local
#     storage, pseudo-relocations, frame registration);
#   - binds one generation of the array functions mxCreateDoubleMatrix and mxGetDimensions: a
#     current build the "_700" names and never the plain ones, a legacy build the plain names and
#     never the "_700" ones. A module that never calls one of the pair (waitdraw takes its result
#     from "rand") does not import it; every module imports at least one.
# Prints one line per file and exits non-zero when any file breaks a rule.
set -euo pipefail

build=${1:?usage: check_windows_modules.sh BUILD_DIR}
manifest=$build/modules.txt
if [ ! -f "$manifest" ]; then
  echo "check: $manifest not found (not a Windows build directory)" >&2
  exit 2
fi

if [ ! -d "$build/embedded" ]; then
  objdump=i686-w64-mingw32-objdump
  format=pei-i386
  magic='(PE32)'
else
  objdump=x86_64-w64-mingw32-objdump
  format=pei-x86-64
  magic='(PE32+)'
fi

# Where each module file of the manifest lives.
module_file() {
  local name=$1 generation=$2
  if [ "$format" = pei-i386 ]; then
    if [ "$generation" = legacy ]; then echo "$build/legacy/$name.dll"; else echo "$build/current/$name.mexw32"; fi
  else
    echo "$build/embedded/$generation/$name.mexw64"
  fi
}

# "DLL name" lines for every import, from objdump's import tables.
imports_of() {
  "$objdump" -p "$1" | awk '
    /^\tDLL Name: / { dll = $3; next }
    /^\tvma: / { next }
    dll != "" && /^\t[0-9a-f]+\t/ { print dll, $NF; next }
    /^$/ { dll = "" }'
}

exports_of() {
  "$objdump" -p "$1" | awk '
    /^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
    inside && /^\t\[ *[0-9]+\] / { print $NF; next }
    inside { inside = 0 }'
}

failures=0
files=0
fail() {
  echo "FAIL $file: $*"
  failures=$((failures + 1))
}

while read -r name generation; do
  [ -n "$name" ] || continue
  file=$(module_file "$name" "$generation")
  files=$((files + 1))
  if [ ! -f "$file" ]; then
    fail "missing"
    continue
  fi
  before=$failures
  header=$("$objdump" -p "$file")
  grep -q "file format $format\$" <<<"$header" || fail "not $format"
  grep -q "^Magic.*$(printf '%s' "$magic" | sed 's/[()+]/\\&/g')" <<<"$header" || fail "not $magic"
  grep -q $'^\tDLL$' <<<"$header" || fail "not a DLL"

  exported=$(exports_of "$file" | sort | tr '\n' ' ')
  [ "$exported" = "_mexFunction mexFunction " ] || fail "exports '$exported', expected mexFunction and _mexFunction"

  imported=$(imports_of "$file")
  dlls=$(cut -d' ' -f1 <<<"$imported" | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
  for dll in $dlls; do
    case $dll in
      libmx.dll | libmex.dll | msvcrt.dll | kernel32.dll) ;;
      *) fail "imports from $dll" ;;
    esac
  done
  names=$(cut -d' ' -f2 <<<"$imported")
  if [ "$generation" = legacy ]; then
    wanted='^(mxCreateDoubleMatrix|mxGetDimensions)$'
    other='^(mxCreateDoubleMatrix|mxGetDimensions)_700$'
  else
    wanted='^(mxCreateDoubleMatrix|mxGetDimensions)_700$'
    other='^(mxCreateDoubleMatrix|mxGetDimensions)$'
  fi
  bound=$(grep -E "$wanted" <<<"$names" | tr '\n' ' ' || true)
  wrong=$(grep -E "$other" <<<"$names" | tr '\n' ' ' || true)
  [ -z "$wrong" ] || fail "$generation build imports $wrong"
  [ -n "$bound" ] || fail "imports neither mxCreateDoubleMatrix nor mxGetDimensions of the $generation binding"
  if [ "$failures" -eq "$before" ]; then
    echo "ok   $file: $format DLL, exports mexFunction _mexFunction, binds ${bound% }; imports from ${dlls% }"
  fi
done <"$manifest"

if [ "$files" -eq 0 ]; then
  echo "check: no modules listed in $manifest" >&2
  exit 1
fi
echo "checked $files Windows module files in $build: $failures problem(s)"
[ "$failures" -eq 0 ]
