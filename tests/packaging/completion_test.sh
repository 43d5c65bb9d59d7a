#!/usr/bin/env bash
# Sources the bash completion and checks what it offers for typed command
# lines, against the built converter's own --help.
# Usage: completion_test.sh COMPLETION_FILE PROGRAM
set -u
export LC_ALL=C
completion=$1
program=$2
source "$completion" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir walk sprites
touch knight.def TERRAIN.DEF heroes.lod notes.txt

failures=0
passes=0
# expect "WORDS TYPED SO FAR" "CURRENT WORD" "EXPECTED REPLIES SORTED, SPACE-SEPARATED"
expect() {
  local before=$1 cur=$2 want=$3
  read -r -a COMP_WORDS <<<"$program $before"
  COMP_WORDS+=("$cur")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _duskweave_convert
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr "\n" " ")
  got=${got% }
  if [[ $got == "$want" ]]; then
    passes=$((passes + 1))
  else
    echo "FAIL: '$before' '$cur': got '$got', want '$want'"
    failures=$((failures + 1))
  fi
}

expect "" "" "anim export info list pack sheet strip"
expect "" "ex" "export"
expect "" "--v" "--version"
expect "-q" "st" "strip"
expect "export" "--f" "--format --frames"
expect "export" "--format" "--format"
expect "export --format" "" "bmp png"
expect "export --format" "p" "png"
expect "export --frames" "" ""
expect "export -j" "" ""
expect "anim --format" "" "gif webp"
expect "anim --delay" "" ""
expect "export --max-output 4G" "" "TERRAIN.DEF heroes.lod knight.def sprites walk"
expect "strip --frames 0-3 knight.def" "" "TERRAIN.DEF heroes.lod knight.def notes.txt sprites walk"
expect "info" "--" "--help --json --quiet"
expect "list" "" "TERRAIN.DEF heroes.lod knight.def sprites walk"
expect "list" "k" "knight.def"
expect "export --frames walk* knight.def" "" "TERRAIN.DEF heroes.lod knight.def sprites walk"
expect "strip knight.def" "" "TERRAIN.DEF heroes.lod knight.def notes.txt sprites walk"
expect "strip" "n" ""

# The help is read once per shell and program, then reused.
if [[ ${#_duskweave_convert_help[@]} -ne 6 ]]; then
  echo "FAIL: expected 6 cached help texts, found ${#_duskweave_convert_help[@]}"
  failures=$((failures + 1))
fi
echo "$passes passed, $failures failed"
[[ $failures -eq 0 ]]
