#!/usr/bin/env bash
# Plants small faults in the product code one at a time and tells which ones a test catches.
#
#   scripts/mutate.sh [LIST] [NAME...]
#
# LIST (default: every tests/mutants/*.txt) holds blocks of "key: value" lines, one block per fault,
# blocks apart by a blank line, "#" lines ignored:
#   name:   a short name for the fault
#   file:   the product file it is planted in
#   from:   text found exactly once in that file (one line)
#   to:     what it becomes
#   test:   the test program and the gtest filter that should catch it, e.g.
#           "unit_tests ReportCommands*"
# For each fault (or only those NAMEd): the file is changed, the test program rebuilt in
# the test build (ninja rebuilds the changed object and relinks), the filter run, and the
# file put back whatever happens. A fault is "caught" when the tests fail, "missed" when
# they pass, "no build" when it does not compile. Prints one line per fault and the score;
# exits 1 when a fault is missed.
set -uo pipefail
cd "$(dirname "$0")/.."
if [ "$#" -gt 0 ]; then
    lists=("$1")
    shift
else
    lists=(tests/mutants/*.txt)
fi
only=("$@")
dir="${SHOPPROC_BUILD_DIR:-build-test}"
[ -f "$dir/build.ninja" ] || { echo "mutate: build $dir first (scripts/build.sh test)" >&2; exit 2; }
supp="$PWD/tests/sanitizers"
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0:halt_on_error=1:suppressions=$supp/asan.supp"
export UBSAN_OPTIONS="halt_on_error=1:suppressions=$supp/ubsan.supp"
export QT_QPA_PLATFORM=offscreen

caught=0 missed=0 broken=0
built=()
backup=""
# Put back as a new write (not with its old time), so that every build folder rebuilds the
# objects it made from the fault.
restore() { [ -n "$backup" ] && cat "$backup" >"$file" && rm -f "$backup"; backup=""; }
trap restore EXIT INT TERM

plant() {
    case " ${only[*]:-} " in "  ") ;; *" $name "*) ;; *) return ;; esac
    if [ "$(grep -cF -- "$from" "$file")" != 1 ]; then
        echo "mutate: '$name': the text is not found exactly once in $file" >&2
        broken=$((broken + 1))
        return
    fi
    backup="$(mktemp)"
    cp -p "$file" "$backup"
    FROM="$from" TO="$to" perl -0pi -e 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$file"
    local program="${test%% *}" filter="${test#* }" verdict
    built+=("$program")
    if ! cmake --build "$dir" --target "$program" >/dev/null 2>&1; then
        verdict="no build"
        broken=$((broken + 1))
    elif scripts/with-postgres.sh "$dir/bin/$program" --gtest_filter="$filter" >/dev/null 2>&1; then
        verdict="MISSED"
        missed=$((missed + 1))
    else
        verdict="caught"
        caught=$((caught + 1))
    fi
    restore
    printf '%-8s %s\n' "$verdict" "$name"
}

name="" file="" from="" to="" test=""
flush() {
    [ -n "$name" ] && plant
    name="" file="" from="" to="" test=""
}
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in
        "#"*) ;;
        "") flush ;;
        name:*) name="${line#name:}"; name="${name# *}" ;;
        file:*) file="${line#file:}"; file="${file# *}" ;;
        from:*) from="${line#from:}"; from="${from# }" ;;
        to:*) to="${line#to:}"; to="${to# }" ;;
        test:*) test="${line#test:}"; test="${test# *}" ;;
    esac
done < <(for f in "${lists[@]}"; do cat "$f"; echo; done)
flush
# Put the programs back to the code as it is.
[ "${#built[@]}" -gt 0 ] && cmake --build "$dir" --target "${built[@]}" >/dev/null 2>&1
summary="caught $caught of $((caught + missed)) planted faults"
[ "$broken" -gt 0 ] && summary+=" ($broken not planted or not built)"
echo "$summary"
[ "$missed" -eq 0 ]
