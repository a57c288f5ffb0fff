#!/usr/bin/env bash
# Installs, from Debian's packages, only what this machine is missing to build
# and test Tidemark. Safe to run again and again; silent when nothing is missing.
#
# The shipped Tidemark.exe is a 32-bit program, tested where users run it:
# under WoW64. Debian's 32-bit Wine (wine32, an i386 package) beside wine64
# makes every new Wine prefix a WoW64 prefix, so the i386 architecture is
# added to dpkg first when it is missing.
set -euo pipefail

packages=(
  cmake g++ make googletest libbenchmark-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 wine32:i386 xvfb xdotool imagemagick fonts-nanum locales clang-format osslsigncode
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture (for wine32)"
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  need_update=1
fi
if [ "$need_update" = 1 ]; then
  "${sudo_cmd[@]}" apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine names Linux files in the Linux locale's character set: without a
# Korean UTF-8 locale a code page 949 file name (a Korean folder in a script)
# cannot be created or found at all. The locales package has its source.
if ! locale -a 2>/dev/null | grep -qix 'ko_KR\.utf-\?8'; then
  echo "generating the ko_KR.UTF-8 locale (for Korean file names under Wine)"
  "${sudo_cmd[@]}" localedef -i ko_KR -f UTF-8 ko_KR.UTF-8
fi
