#!/usr/bin/env bash
# Compares the names a built library exports with the list its build must export.
# usage: check_exports.sh nm|objdump LIBRARY EXPECTED_LIST
set -euo pipefail
tool=$1 lib=$2 expected=$3
case $tool in
  nm) actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sed 's/@.*//' | sort -u) ;;
  *) actual=$("$tool" "$lib" | sort -u) ;;
esac
if diff <(grep -v '^#' "$expected" | sort -u) <(printf '%s\n' "$actual"); then
  echo "exports of $(basename "$lib") match $(basename "$expected") ($(printf '%s\n' "$actual" | wc -l) names)"
else
  echo "exports of $lib differ from $expected (< expected, > exported)" >&2
  exit 1
fi
