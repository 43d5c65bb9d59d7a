#!/bin/sh
# Writes the duskweave-convert manual page from the program's own --help, and
# the --help of every subcommand that --help lists, so that the page says what
# the installed program does.
# EXTRA, a help2man include file, adds what --help is too short for (the
# LOD syntax, pack.json and the JSON formats).
# Usage: convert_manpage.sh PROGRAM HELP2MAN OUTPUT [EXTRA]
set -eu
program=$1
help2man=$2
output=$3
extra=${4:-}
include="$output.include"

# Help text as troff: kept verbatim, with a leading dot or quote and every
# backslash made literal.
verbatim() {
  printf '.nf\n'
  sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
  printf '.fi\n'
}

# Entries are indented by two spaces; a wrapped description's lines further.
subcommands=$("$program" --help | awk '/^Subcommands:/ { inside = 1; next }
  inside && /^[^ ]/ { exit }
  inside && /^  [^ ]/ { print $1 }')
if [ -z "$subcommands" ]; then
  echo "convert_manpage.sh: $program --help lists no subcommands" >&2
  exit 1
fi
for sub in $subcommands; do
  if ! "$program" "$sub" --help | grep -q "^Usage: [^ ]* $sub "; then
    echo "convert_manpage.sh: '$sub' read from --help is no subcommand" >&2
    exit 1
  fi
done

{
  printf '[SUBCOMMANDS]\n'
  for sub in $subcommands; do
    printf '.SS "%s"\n' "$sub"
    "$program" "$sub" --help | verbatim
  done
  # Examples one to a line, as the terminal shows them.
  printf '[=EXAMPLES]\n'
  "$program" --help | awk '/^Examples:/ { inside = 1; next }
    inside && /^[^ ]/ { exit }
    inside { print }' | verbatim
  printf '[SEE ALSO]\n.BR duskweave (1)\n'
  if [ -n "$extra" ]; then
    printf '\n'
    cat "$extra"
  fi
} > "$include"

"$help2man" --no-info --no-discard-stderr --section=1 \
  --name="convert DEF sprite archives into BMP or PNG images" \
  --include="$include" --output="$output.tmp" "$program"
gzip -9nc "$output.tmp" > "$output.gz"
rm -f "$output.tmp" "$include"
