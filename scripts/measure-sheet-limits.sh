#!/usr/bin/env bash
# Runs kavri-cli batch on each hostile sheet under /usr/bin/time -v and prints a table: the
# sheet, the exit status, the wall time, the peak memory and kavri-cli's first line on stderr.
# Usage: scripts/measure-sheet-limits.sh [build-dir]   (builds hostile_sheets and kavri-cli)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target hostile_sheets kavri-cli >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/hostile_sheets" "$work/sheets" >/dev/null
printf '兹证明【姓名】离职。' > "$work/template.txt"
printf '| %s | %s | %s | %s | %s |\n' "sheet" "exit" "time (s)" "peak RSS (MiB)" "message"
printf '|---|---|---|---|---|\n'
for sheet in "$work"/sheets/*; do
    name=$(basename "$sheet")
    set +e
    /usr/bin/time -v -o "$work/time.txt" "$build/bin/kavri-cli" batch --data "$sheet" \
        --template "$work/template.txt" --out "$work/out-$name" \
        --register "$work/register-$name.db" 2> "$work/err.txt" >/dev/null
    status=$?
    set -e
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt" |
           awk -F: '{ if (NF == 3) print $1 * 3600 + $2 * 60 + $3; else print $1 * 60 + $2 }')
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
    message=$(grep -v '^kavri-cli: [0-9]*/[0-9]* (' "$work/err.txt" | grep -v 'Command exited' |
              head -n 1 | sed "s|$work/sheets/||g" | cut -c1-160)
    printf '| %s | %s | %s | %s | %s |\n' "$name" "$status" "$wall" \
        "$(awk -v k="$rss" 'BEGIN { printf "%.0f", k / 1024 }')" "$message"
    rm -rf "$work/out-$name"
done
