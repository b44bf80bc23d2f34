#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: CTest's emulator for the test programs and
# for their test listing. Once in a while Wine ends a launch before the program runs (seen in
# CI: a non-zero exit after 0.01 s with nothing printed, where a launch takes 0.1 s). A test
# program always prints on stdout before it ends, so a failed run that printed nothing there
# is a launch that failed: it is launched again, at most twice, and each retry is said on
# stderr. stdout stays a pipe, as under CTest (tests check that the console is not a file);
# stderr is passed on untouched.
wine=/usr/lib/wine/wine64
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for launch in 1 2 3; do
    "$wine" "$@" | tee "$out"
    rc=${PIPESTATUS[0]}
    if ((rc == 0)) || [[ -s $out ]]; then
        break
    fi
    echo "wine-run: $wine ended with $rc before the program printed anything (launch $launch)" >&2
done
exit "$rc"
