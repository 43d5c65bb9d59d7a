#!/usr/bin/env bash
# Plants deliberate faults in the product code, one at a time, and runs the
# tests against each: every fault must make at least one test fail. Run by
# hand, not by CI (it builds and runs the test programs once per fault):
#
#   tests/mutation/run_faults.sh            every fault
#   tests/mutation/run_faults.sh 3 7        faults 3 and 7 only
#   FAULTS_ALL=1 tests/mutation/run_faults.sh   every test of a fault runs,
#                                            not only up to the first that fails
#
# The tree (tracked files and new ones not ignored, as they are now; see
# FAULTS_TREE below) is copied to $FAULTS_DIR/src (default
# /tmp/duskweave-faults) and built in
# $FAULTS_DIR/src/build, kept between runs so that each fault recompiles one file
# (with ccache when it is installed). The table goes to stdout and to
# $FAULTS_DIR/table.md; tests/mutation/README.md holds the last one.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
work=${FAULTS_DIR:-/tmp/duskweave-faults}
src=$work/src
build=$src/build  # inside src: ccache sees the same relative paths as a build in the worktree
per_binary_timeout=${FAULTS_TIMEOUT:-900}

ids=() files=() edits=() binaries=() whats=()
# fault FILE SED-EDIT "TEST PROGRAMS" WHAT
fault() {
  ids+=("$((${#ids[@]} + 1))") files+=("$1") edits+=("$2") binaries+=("$3") whats+=("$4")
}

ARCHIVE="archive_tests cli_tests fuzz_replay"
IMAGE="image_tests cli_tests"
CLI="cli_tests"
PACK="pack_tests cli_tests"

fault archive/bmp_layout.cpp 's/le::PutI32(info + 24, h.biXPelsPerMeter);/le::PutI32(info + 24, h.biXPelsPerMeter + 1);/' \
  "$ARCHIVE" "a wrong byte in the BMP head (horizontal resolution + 1)"
fault archive/frame_decoder.cpp 's/std::memcpy(head.data() + kBmpHeaderSize, palette.data(), kBmpColourTableSize);/std::memcpy(head.data() + kBmpHeaderSize, palette.data(), kBmpColourTableSize - 4);/' \
  "$ARCHIVE" "the BMP colour table loses its last entry"
fault archive/pixel_rows.cpp 's/return RunHead{literal, \*length + 1, /return RunHead{literal, *length + (literal ? 1 : 2), /' \
  "$ARCHIVE" "a fill run of compression 1 one pixel too long"
fault archive/pixel_rows.cpp 's/return {2 \* (width \/ 32), 2};/return {2 * (width \/ 32 + 1), 2};/' \
  "$ARCHIVE" "compression 3: the row table read with one entry too many per row"
fault archive/byte_cursor.h 's/return count >= 0 \&\& remaining() >= count ? data_ + position_ : nullptr;/return count >= 0 \&\& remaining() >= count - 1 ? data_ + position_ : nullptr;/' \
  "$ARCHIVE" "byte cursor: Peek lets one byte past the end through"
fault archive/archive_loader.cpp 's/return std::min({declared, byNames, byOffsets});/return std::min({declared, byNames});/' \
  "$ARCHIVE" "archive loader: no check that a block's offsets fit the file"
fault archive/frame_decoder.cpp 's/p.left = std::max(h.leftMargin, 0);/p.left = std::max(-h.leftMargin, 0);/' \
  "$ARCHIVE" "the left margin's sign flipped"
fault archive/frame_export.cpp 's/nextNumber.try_emplace(base, 2)/nextNumber.try_emplace(base, 3)/' \
  "$ARCHIVE" "a clash renamed NAME~3 where NAME~2 is free"
fault archive/decode_budget.cpp 's/return Reserve(written_, maxWritten_, bytes);/return Reserve(written_, maxWritten_, 0);/' \
  "$ARCHIVE" "the budget of bytes written is never drawn"
fault archive/file_listing.cpp 's/const char x = Upper(a\[i\]), y = Upper(b\[i\]);/const char x = a[i], y = b[i];/' \
  "$ARCHIVE" "folder listing sorted by raw bytes, not ignoring case"
fault image/compose.cpp 's/width += widths\[k\] + gap;/width += widths[k] + gap + 1;/' \
  "$IMAGE" "a strip one column wider per frame"
fault cli/manifest/manifest_writer.cpp '/item\["identifier"\] = block.identifier;/d' \
  "$CLI" "the manifest drops each block's identifier"
fault cli/outputs/png_writer.cpp 's/colourTable\[4 \* i + 1\] : 0;/colourTable[4 * i] : 0;/' \
  "$CLI" "PNG palette: green taken from the blue byte"
fault cli/inputs/lod_container.cpp 's/cursor.SeekTo(entry.offset);/cursor.SeekTo(entry.offset + 1);/' \
  "$CLI" "a LOD entry read one byte after its offset"
fault cli/inputs/frame_selection.cpp 's/i <= selector.last \&\& i < count/i < selector.last \&\& i < count/' \
  "$CLI" "--frames A-B leaves out B"
fault cli/commands/sheet_command.cpp 's/json\["x"\] = cell.x;/json["x"] = cell.x + 1;/' \
  "$CLI" "a sheet atlas's x coordinate off by one"
fault cli/outputs/sprite_colour_rule.cpp 's/archiveType != 0x47;/archiveType != 0x48;/' \
  "$CLI" "archives of type 0x47 given the shadow colours"
fault cli/outputs/sprite_crop.cpp 's/for (int32_t y = 0; y < box.height; ++y)/for (int32_t y = 1; y < box.height; ++y)/' \
  "$CLI" "--crop leaves out the box's top row"
fault pack/frame_encoder.cpp 's/planner.Plan(kinds, 0, width, kByteRunMax, 2, runs);/planner.Plan(kinds, 0, width, kByteRunMax + 1, 2, runs);/' \
  "$PACK" "pack: compression 1 runs of 257 pixels"
fault cli/run/job_pool.cpp 's/last = std::min(first + run_, chains_.count());/last = std::min(first + run_, chains_.count() - 1);/' \
  "$CLI" "frame jobs on several threads: the last chain of frames never runs"
fault archive/frame_source.cpp 's/frames\[i - 1\].offset == offset)/frames[i - 1].offset == offset + 1)/' \
  "$ARCHIVE" "the last entry of a shared head written in bands, as if it stood alone"
fault archive/frame_export.cpp 's/^      AddWriteFailed(frameIndex, file, diagnostics);/      ;/' \
  "$ARCHIVE" "a frame written in bands that cannot be written is not reported"
fault archive/frame_decoder.cpp 's/if (h.width < 0 || h.height < 0)/if (h.width < 0 \&\& h.height < 0)/' \
  "$ARCHIVE" "a negative stored width alone goes unreported"
fault image/screen_image.cpp 's/out\[i\] = table\[row\[x + i\]\];/out[i] = table[row[x + i] ^ 1];/' \
  "$IMAGE" "8-bit pixels shown in the colour of their neighbouring table entry"

selected=("$@")
wanted() {
  [ ${#selected[@]} -eq 0 ] && return 0
  local s
  for s in "${selected[@]}"; do [ "$s" = "$1" ] && return 0; done
  return 1
}

mkdir -p "$src" "$build"
# FAULTS_TREE=HEAD copies the last commit, FAULTS_TREE=keep runs on the copy
# already there; by default the tree is copied as it is now. Only files whose
# bytes differ from the copy's are replaced (with a fresh time), so that the
# build recompiles exactly what changed.
if [ "${FAULTS_TREE:-}" != keep ]; then
  stage=$work/stage
  rm -rf "$stage" && mkdir -p "$stage"
  if [ "${FAULTS_TREE:-}" = HEAD ]; then
    git -C "$root" archive HEAD | tar -C "$stage" -xf -
  else
    (cd "$root" && git ls-files -z --cached --others --exclude-standard |
      xargs -0 -I{} sh -c 'test -e "{}" && printf "%s\0" "{}"' |
      tar --null -T - -cf -) | tar -C "$stage" -xf -
  fi
  (cd "$stage" && find . -type f) | while IFS= read -r f; do
    cmp -s "$stage/$f" "$src/$f" || { mkdir -p "$(dirname "$src/$f")" && cp "$stage/$f" "$src/$f"; }
  done
fi
# A run stopped midway may have left a fault's object behind.
for f in "${files[@]}"; do touch "$src/$f"; done

export CCACHE_BASEDIR=$work CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" -DDUSKWEAVE_TESTS=ON \
  -DDUSKWEAVE_BENCH=OFF -DDUSKWEAVE_GUI=OFF >"$work/configure.log" 2>&1 ||
  { echo "configure failed: $work/configure.log" >&2; exit 2; }

all_targets="archive_tests image_tests cli_tests pack_tests fuzz_replay"
build_targets() {
  # shellcheck disable=SC2086
  cmake --build "$build" -j2 --target $1 >"$work/build.log" 2>&1
}
binary_of() { find "$build/tests" -type f -name "$1" -perm -u+x | head -n 1; }

# Builds and runs each program in turn and prints the tests that failed
# (parameter suffixes folded), or "program(crashed)" / "program(timed out)".
# It stops at the first test that fails, unless every one is asked for.
run_tests() {
  local b bin out status caught=() names fast=--gtest_fail_fast
  [ -n "${2:-}" ] && fast=
  for b in $1; do
    build_targets "$b" || { caught+=("$b(does not build)"); break; }
    bin=$(binary_of "$b")
    out=$(cd "$work" && timeout "$per_binary_timeout" "$bin" --gtest_brief=1 $fast 2>&1)
    status=$?
    if [ $status -eq 124 ]; then
      caught+=("$b(timed out)")
    elif [ $status -ne 0 ]; then
      names=$(printf '%s\n' "$out" | sed -n 's/^\[  FAILED  \] \([A-Za-z_][A-Za-z0-9_/]*\.[A-Za-z0-9_/]*\).*/\1/p' |
        sed 's#/[0-9]*$##' | sort -u)
      if [ -z "$names" ]; then  # it died inside a test: the last one begun names it
        names=$(cd "$work" && timeout "$per_binary_timeout" "$bin" $fast 2>&1 |
          sed -n 's/^\[ RUN      \] \(.*\)/\1/p' | tail -n 1)
        caught+=("${names:-$b}(died:$status)")
      else
        caught+=($names)
      fi
    fi
    [ ${#caught[@]} -gt 0 ] && [ -z "${2:-}" ] && break
  done
  printf '%s\n' "${caught[@]}" | sort -u | paste -sd' ' | sed 's/^ *//'
}

echo "Building the unchanged tree..." >&2
build_targets "$all_targets" || { echo "the unchanged tree does not build: $work/build.log" >&2; exit 2; }
baseline=$(run_tests "$all_targets" all)
if [ -n "$baseline" ]; then
  echo "the unchanged tree already fails: $baseline" >&2
  exit 2
fi

table=$work/table.md
{
  echo "| # | file | fault | caught by |"
  echo "|---|------|-------|-----------|"
} >"$table"
missed=0
for i in "${!ids[@]}"; do
  id=${ids[$i]} file=${files[$i]}
  wanted "$id" || continue
  cp "$src/$file" "$work/original"
  sed -i "${edits[$i]}" "$src/$file"
  if cmp -s "$src/$file" "$work/original"; then
    result="NOT APPLIED (the edit matches nothing)"
    missed=$((missed + 1))
  else
    caught=$(run_tests "${binaries[$i]}" "${FAULTS_ALL:-}")
    if [ -z "$caught" ] || [[ $caught == *"(does not build)"* ]]; then
      result="MISSED${caught:+ ($caught)}"
      missed=$((missed + 1))
    else
      result=$(printf '%s' "$caught" | tr ' ' '\n' | head -n 4 | paste -sd' ' | sed 's/ /, /g')
      n=$(printf '%s' "$caught" | wc -w)
      [ "$n" -gt 4 ] && result="$result and $((n - 4)) more"
    fi
  fi
  cp "$work/original" "$src/$file"  # a fresh mtime: the next build recompiles it
  echo "| $id | $file | ${whats[$i]} | $result |" | tee -a "$table"
done
echo >&2
cat "$table" >&2
echo "$missed fault(s) not caught" >&2
[ $missed -eq 0 ]
