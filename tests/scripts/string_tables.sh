#!/usr/bin/env bash
# The per-language string tables are what scripts/make-string-tables.py makes of their UTF-8 source.
cd "$1" || exit 1
command -v python3 >/dev/null && command -v iconv >/dev/null || { echo "SKIP: python3 or iconv missing"; exit 77; }
python3 scripts/make-string-tables.py --check && echo "PASS"
