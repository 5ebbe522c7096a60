#!/usr/bin/env bash
# Measures the figures of docs/measurements.md and writes them there, so that no figure
# in the documents is edited by hand. Each part replaces its own section of the page
# and leaves the others as they were measured last.
#
#   scripts/measure.sh sizes      the programs' sizes, the README's, the lines of code and tests
#   scripts/measure.sh tests      the host tests: how many, how long
#   scripts/measure.sh start      the time to the first page under Wine (tests/wine/start-time.sh)
#   scripts/measure.sh full       the time of every step of ./run-tests.sh from empty build folders
#                                 (KORVEL_RUN_LOG=FILE: read from the output of such a run instead)
#   scripts/measure.sh            sizes, tests and start
#
# It measures the build in KORVEL_BUILD_DIR (build/ by default), which must be built
# (scripts/build.sh); `full` builds its own, in a temporary folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVEL_BUILD_DIR:-$root/build}
page=$root/docs/measurements.md
parts=("$@")
[ ${#parts[@]} -eq 0 ] && parts=(sizes tests start)
when="$(date -u '+%Y-%m-%d'), on a machine with $(nproc) cores (load average $(cut -d' ' -f1 /proc/loadavg) at the start)"

# section NAME TEXT: puts TEXT as the section NAME of the page.
section() {
  python3 - "$page" "$1" "$2" <<'PY'
import re, sys
page, name, body = sys.argv[1], sys.argv[2], sys.argv[3]
try:
    text = open(page, encoding='utf-8').read()
except FileNotFoundError:
    text = ("# Measurements\n\nWritten by `scripts/measure.sh`; do not edit by hand. "
            "Each section says when it was measured.\n")
begin, end = f'<!-- {name} -->', f'<!-- /{name} -->'
block = f'{begin}\n{body.rstrip()}\n{end}'
if begin in text:
    text = re.sub(re.escape(begin) + '.*?' + re.escape(end), lambda m: block, text, flags=re.S)
else:
    text = text.rstrip('\n') + '\n\n' + block + '\n'
open(page, 'w', encoding='utf-8').write(text)
PY
}

# Non-blank lines of the C++ sources, scripts and CMake files under the given folders.
lines() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name '*.py' -o -name '*.cmake' \) \
  -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'; }

measure_sizes() {
  # The x86-64 objdump reads both kinds of PE file.
  local rows="" objdump=x86_64-w64-mingw32-objdump exe size rsrc
  for exe in "$build/win32/KorvelSetup.exe" "$build/win64/KorvelSetup64.exe"; do
    [ -f "$exe" ] || { echo "no $exe: build first (scripts/build.sh)"; exit 1; }
    size=$(stat -c %s "$exe")
    rsrc=$("$objdump" -h "$exe" | awk '$2 == ".rsrc" { print $3 }')
    rows+="| \`$(basename "$exe")\` | $(printf "%'d" "$size") bytes | $(printf "%'d" $((size - 16#$rsrc))) bytes |"$'\n'
  done
  local code tests
  code=$(cd "$root" && lines app installer detect pages platform tools res scripts cmake)
  tests=$(cd "$root" && lines tests)
  section sizes "## Sizes

Measured $when.

| program | file | less \`.rsrc\` (at most: 120 KB for the 32-bit program, 128 KB for the x86-64 one) |
| --- | --- | --- |
${rows}
README.md: $(stat -c %s "$root/README.md") bytes.

Non-blank lines: $code of code (everything but \`tests/\`), $tests of tests ($((100 * tests / (code + tests)))% of all)."
}

measure_tests() {
  local t0 t1 count
  (cd "$root" && cmake --preset host -B "$build/host" >/dev/null)
  ninja -C "$build/host" >/dev/null
  count=$(ctest --test-dir "$build/host" -N -LE wine | sed -n 's/^Total Tests: //p')
  t0=$(date +%s.%N)
  ctest --test-dir "$build/host" -LE wine -j2 >/dev/null
  t1=$(date +%s.%N)
  section tests "## Host tests

Measured $when.

$count ctest entries (each GoogleTest, each scenario, and the build they need) pass in
$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", b - a }') s with \`ctest -j2 -LE wine\`."
}

measure_start() {
  local out
  out=$("$root/tests/wine/start-time.sh" "$build" | grep -E '^(start-time|first page)')
  section start "## Time to the first page under Wine

Measured $when, by \`tests/wine/start-time.sh\` against the minimal property-sheet
wizard of \`tests/wine/probe\`, in turns in one prefix:

\`\`\`
$out
\`\`\`"
}

measure_full() {
  local tmp out
  if [ -n "${KORVEL_RUN_LOG:-}" ]; then
    # The output of a ./run-tests.sh that ran elsewhere (a clean clone, as CI runs it).
    out=$(grep -E '^(== |\([0-9]+ s\)|all tests passed| *[0-9]+/[0-9]+ Test +#[0-9]+: (wine-|sweep))' "$KORVEL_RUN_LOG")
  else
    tmp=$(mktemp -d /tmp/korvel-measure.XXXXXX)
    out=$(cd "$root" && KORVEL_BUILD_DIR=$tmp KORVEL_BUILD_JOBS=2 ./run-tests.sh 2>&1 |
          grep -E '^(== |\([0-9]+ s\)|all tests passed| *[0-9]+/[0-9]+ Test +#[0-9]+: (wine-|sweep))')
    rm -rf "$tmp"
  fi
  local source="Measured $when"
  [ -n "${KORVEL_RUN_LOG:-}" ] && source="Measured $(date -u -r "$KORVEL_RUN_LOG" '+%Y-%m-%d') on a machine with $(nproc) cores, read from that run's output"
  section full "## The whole test run

$source: \`./run-tests.sh\` on a clean clone, from empty build folders with the
packages present, each step's heading followed by the time it took:

\`\`\`
$out
\`\`\`"
}

for part in "${parts[@]}"; do
  case $part in
    sizes|tests|start|full) "measure_$part" ;;
    *) echo "unknown part $part (sizes, tests, start, full)"; exit 2 ;;
  esac
done
echo "written: $page"
