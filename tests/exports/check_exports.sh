#!/usr/bin/env bash
# Compares the names a built library exports with the list its build must export.
# usage: check_exports.sh nm|objdump-pe|objdump-pe-imports|TOOL LIBRARY EXPECTED_LIST
#   nm                  the dynamic symbols an ELF library defines
#   objdump-pe          the names in a PE file's export table
#   objdump-pe-imports  the DLLs a PE file imports (compared without regard to case)
#   TOOL                any command printing one name per line
set -euo pipefail
tool=$1 lib=$2 expected=$3
case $tool in
  nm) actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sed 's/@.*//' | sort -u) ;;
  objdump-pe)
    actual=$(x86_64-w64-mingw32-objdump -p "$lib" |
      awk '/^\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^\t\[/ {print $NF; next} t {t=0}' | sort -u) ;;
  objdump-pe-imports)
    actual=$(x86_64-w64-mingw32-objdump -p "$lib" | awk '/^\tDLL Name: / {print tolower($3)}' | sort -u) ;;
  *) actual=$("$tool" "$lib" | sort -u) ;;
esac
if diff <(grep -v '^#' "$expected" | sort -u) <(printf '%s\n' "$actual"); then
  echo "exports of $(basename "$lib") match $(basename "$expected") ($(printf '%s\n' "$actual" | wc -l) names)"
else
  echo "exports of $lib differ from $expected (< expected, > exported)" >&2
  exit 1
fi
