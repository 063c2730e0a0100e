#!/bin/sh
# Installs the Debian packages the build and the tests need, when they are missing.
# As root it runs apt-get itself; otherwise it prints the one line to run and stops.
set -eu
packages="cmake g++ make pkg-config libncurses-dev libgtest-dev libgmock-dev libbenchmark-dev tmux clang libclang-rt-14-dev"
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
