#!/bin/sh
# Flags syntax that runs in Octave but not in MATLAB, in the m-files meant for both:
#   tests/lint/common_subset.sh FILE...
# Checked: code lines, and the example lines of help texts (the lines after "Example:" up to the
# next blank comment line), since users paste those into either host. Not checked: other comment
# lines and the "%!" blocks at the end of a file (Octave's built-in tests). Prints FILE:LINE:,
# what is wrong and the line for each finding, and exits 1 if there is any.
#
# Flagged: double-quoted strings, "#" comments, "!" and "!=", "++", "--" and operators such as
# "+=", "**", printf/puts/fputs/fdisp (fprintf and disp run in both), the keywords endif, endfor,
# endwhile, endfunction, endswitch, end_try_catch, unwind_protect and do-until, indexing a call's
# result directly ("f(x)(2)", "f(x){1}"), default values in a function's argument list, and "\"
# continuing a line.
if [ $# -eq 0 ]; then
  echo "usage: $0 FILE..." >&2
  exit 2
fi
exec awk -v q="'" '
function report(what) {
  printf "%s:%d: %s\n    %s\n", FILENAME, FNR, what, $0
  found++
}

# The line without its comment, every single-quoted string replaced by S, so that what is left is
# code. A quote is a transpose right after a name, a number, a closing bracket, a dot or another
# transpose, unless a space comes first inside brackets ([a 'text']); elsewhere it opens a string.
# A double-quoted string is kept as "" and a "#" comment as # (both flagged).
function code_of(line,    out, i, c, prev, n, depth, spaced) {
  out = ""; prev = ""; n = length(line); depth = 0; spaced = 0
  for (i = 1; i <= n; i++) {
    c = substr(line, i, 1)
    if (c == "%") break
    if (c == "#") { out = out "#"; break }
    if (c == q && (prev == "" || (depth > 0 && spaced) || (index("_)]}." q, prev) == 0 && prev !~ /[A-Za-z0-9]/))) {
      for (i++; i <= n; i++) {
        if (substr(line, i, 1) == q) {
          if (substr(line, i + 1, 1) == q) { i++; continue }
          break
        }
      }
      out = out "S"; prev = "S"; spaced = 0
      continue
    }
    if (c == "\"") {
      for (i++; i <= n && substr(line, i, 1) != "\""; i++) {}
      out = out "\"\""; prev = "S"; spaced = 0
      continue
    }
    out = out c
    if (c == "[" || c == "{") depth++
    if ((c == "]" || c == "}") && depth > 0) depth--
    spaced = (c == " " || c == "\t")
    if (!spaced) prev = c
  }
  return out
}

function check(line,    code) {
  code = code_of(line)
  if (index(code, "#")) report("\"#\" comment (use %)")
  if (index(code, "\"")) report("double-quoted string (use single quotes)")
  if (index(code, "!")) report("\"!\" or \"!=\" (use ~ and ~=)")
  if (code ~ /\+\+|--|[-+*\/^]=/) report("++, -- or an operator such as += (write x = x + 1)")
  if (code ~ /\*\*/) report("\"**\" (use ^)")
  if (code ~ /(^|[^A-Za-z0-9_])(printf|puts|fputs|fdisp)[ \t]*\(/) report("Octave-only output function (use fprintf or disp)")
  if (code ~ /(^|[^A-Za-z0-9_])(endif|endfor|endwhile|endfunction|endswitch|end_try_catch|end_unwind_protect|unwind_protect|unwind_protect_cleanup|until)([^A-Za-z0-9_]|$)/ ||
      code ~ /^[ \t]*do[ \t]*$/)
    report("Octave-only keyword (use end, try/catch, onCleanup, while)")
  if (code ~ /\)[({]/) report("indexing the result of a call directly (assign it first)")
  if (code ~ /^[ \t]*function[^(]*\([^)]*=/) report("default value in an argument list (use nargin)")
  if (code ~ /\\[ \t]*$/) report("\"\\\" continuing a line (use ...)")
}

FNR == 1 { in_tests = 0; in_example = 0 }
/^%!/ { in_tests = 1 }
in_tests { next }
/^[ \t]*%/ {
  if ($0 ~ /^[ \t]*%[ \t]*Examples?:/) { in_example = 1; next }
  if (in_example && $0 ~ /^[ \t]*%[ \t]*$/) { in_example = 0; next }
  if (in_example) {
    line = $0
    sub(/^[ \t]*%/, "", line)
    check(line)
  }
  next
}
{ in_example = 0; check($0) }
END {
  if (found) {
    printf "%d finding(s): these files must run in MATLAB too\n", found
    exit 1
  }
}
' "$@"
