#!/usr/bin/env bash
# Black-box checks of rumbo-tool's option-file and sequence-file commands.
set -u
tool=${RUMBO_TOOL:?}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() { # name expected actual
    if [[ "$2" != "$3" ]]; then
        printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}

printf '; settings\n[Engine]\nWidth = 640 ; pixels\nTitle=Rumbo\n[engine]\nWidth=1\n' > "$dir/a.ini"

check "value" "640" "$("$tool" ini-get "$dir/a.ini" engine WIDTH)"
check "default" "fallback" "$("$tool" ini-get "$dir/a.ini" Engine Missing fallback)"
check "missing key without default" "" "$("$tool" ini-get "$dir/a.ini" Engine Missing)"
got=$("$tool" ini-dump "$dir/a.ini"; printf x)
check "dump bytes" $'[Engine]\r\nWidth=640\r\nTitle=Rumbo\r\n\r\n[engine]\r\nWidth=1\r\nx' "$got"

err=$("$tool" ini-get "$dir/none.ini" A B 2>&1 >/dev/null); code=$?
check "missing file code" "1" "$code"
check "missing file message" "Could not find file: $dir/none.ini" "$err"
err=$("$tool" ini-dump "$dir/none.ini" 2>&1 >/dev/null); code=$?
check "missing file code (dump)" "1" "$code"

"$tool" >/dev/null 2>&1; check "usage code" "2" "$?"

# Sequence files.
printf '# intro\r\nEvent Town.Say("Hi, there", x)\r\n  Event Town.Skipped()\ncontinue\nDynamic Event Town.Go($WHO)\nSequence "%s/b.seq"\n' "$dir" > "$dir/a.seq"
printf 'Event Town.Wave($WHO)\n' > "$dir/b.seq"
got=$("$tool" seq-dump "$dir/a.seq" WHO=Rumbo)
check "seq dump" 'event Town.Say("Hi", "there", "x")
continue dynamic Town.Go($WHO)
sequence
  event Town.Wave("Rumbo")
end' "$got"
printf 'Event Town.Open(\n' > "$dir/bad.seq"
err=$("$tool" seq-dump "$dir/bad.seq" 2>&1 >/dev/null); code=$?
check "seq unclosed code" "3" "$code"
check "seq unclosed message" "Invalid file type: Sequence file $dir/bad.seq: \"Event\" without a closing \")\"" "$err"
"$tool" seq-dump "$dir/none.seq" >/dev/null 2>&1; check "seq missing file code" "1" "$?"

if [[ $failures -eq 0 ]]; then echo "rumbo-tool: all checks passed"; fi
exit $failures
