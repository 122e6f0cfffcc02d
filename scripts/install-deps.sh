#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine. Idempotent and quiet:
# packages already present are skipped, so a warm machine pays only for the dpkg queries.
set -euo pipefail

packages=(cmake make g++ clang clang-format libsqlite3-dev zlib1g-dev libgtest-dev libbenchmark-dev
          libmspack-dev libpng-dev ccache mingw-w64 wine wine64 wine32:i386 gcab xvfb xauth file binutils)

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=sudo
else
    sudo_cmd=
fi

missing=()
for p in "${packages[@]}"; do
    have "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo_cmd dpkg --add-architecture i386
    fi
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq >/dev/null
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
