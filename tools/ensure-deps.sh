#!/bin/sh
# Installs the Debian packages that are missing: `play` those that build and run the game,
# `test` (the default) those too and what the tests need, the package build included.
# As root it runs apt-get itself; otherwise it prints the one line to run and stops.
set -eu
# libpq-dev builds the LeagueNET exchange, and nlohmann-json3-dev its reader of the pages'
# kept data; postgresql and openssl run its tests against a throwaway league server with TLS,
# faketime sets the exchange's clock there and strace stops it at chosen steps; chromium
# (headless, with a font) and tidy check the league's public pages; ccache spares repeated
# runs of the suite the compiles of what did not change.
packages="cmake g++ make pkg-config libncurses-dev libpq-dev nlohmann-json3-dev"
if [ "${1:-test}" = test ]; then
  packages="$packages libgtest-dev libgmock-dev libbenchmark-dev tmux postgresql openssl"
  packages="$packages faketime strace"
  packages="$packages chromium fonts-dejavu-core tidy"
  packages="$packages clang libclang-rt-14-dev"
  packages="$packages dpkg-dev debhelper fakeroot file lintian ccache"
fi
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq </dev/null
  apt-get install -y -qq --no-install-recommends $missing </dev/null
else
  echo "Missing packages:$missing" >&2
  echo "Install them with:  sudo apt-get install -y$missing" >&2
  exit 1
fi
