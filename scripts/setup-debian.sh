#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
#   bash scripts/setup-debian.sh            what the plain build needs
#   bash scripts/setup-debian.sh --clang    and clang with its sanitizer runtimes
# Says nothing when everything is there; otherwise says what it installs and shows each package
# as it is set up (the whole output of apt-get when that fails).
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev libgl-dev libqcustomplot-dev
          libfftw3-dev nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth)
[ "${1:-}" = "--clang" ] && packages+=(clang libclang-rt-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: installing ${missing[*]} (once; this takes a few minutes)" >&2
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT
echo "setup: updating the package lists" >&2
$sudo apt-get update -q >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" 2>&1 | tee -a "$log" |
     { grep --line-buffered '^Setting up' | sed -u 's/^/setup: /' || true; } >&2; then
  cat "$log" >&2
  exit 1
fi
