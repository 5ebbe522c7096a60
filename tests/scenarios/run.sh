#!/usr/bin/env bash
# Runs one scenario through the simulator and compares its transcript with the
# expected one. KORVEL_UPDATE_GOLDEN=1 rewrites the expected transcript instead
# (read the difference before committing it).
set -euo pipefail
sim=$1
name=$2
dir=$(cd "$(dirname "$0")" && pwd)
args=()
[ -f "$dir/$name.scenario" ] && args+=("$dir/$name.scenario")
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
status=0
"$sim" "${args[@]}" --script "$dir/$name.script" > "$actual" || status=$?
echo "exit $status" >> "$actual"
if [ -n "${KORVEL_UPDATE_GOLDEN:-}" ]; then
  cp "$actual" "$dir/$name.expected"
fi
if ! diff -u "$dir/$name.expected" "$actual"; then
  echo "The transcript differs from tests/scenarios/$name.expected. When the change is meant, rewrite it with"
  echo "  KORVEL_UPDATE_GOLDEN=1 ctest --test-dir BUILD/host -R '^scenario-$name\$'"
  echo "and read the difference before committing it."
  exit 1
fi
