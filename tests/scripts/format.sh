#!/usr/bin/env bash
# Every C++ source follows the repository's .clang-format.
cd "$1" || exit 1
files=$(git ls-files -co --exclude-standard -- '*.cpp' '*.h' 2>/dev/null)
[ -n "$files" ] || files=$(find src tools winsim tests -name '*.cpp' -o -name '*.h')
echo "$files" | xargs clang-format --dry-run -Werror
