#!/usr/bin/env bash
# Configures and builds (after installing what is missing).
#   bash scripts/build.sh [TARGET...]              g++, into build/
#   bash scripts/build.sh --sanitize [TARGET...]   clang with AddressSanitizer and
#                                                  UndefinedBehaviorSanitizer, into build-sanitize/
# Without targets everything is built. What it does goes to standard error: the packages it
# installs, configuring, each file compiled with the build's progress, and warnings; nothing at
# all when everything is up to date. A failed step shows its whole output.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
setup=()
configure=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  shift
  dir=build-sanitize
  setup=(--clang)
  configure+=(-DCMAKE_CXX_COMPILER=clang++ "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g"
              "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer"
              "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" -DQB_BUILD_BENCH=OFF)
fi
# A compiler cache, where there is one, makes rebuilds quick; nothing depends on it.
command -v ccache >/dev/null 2>&1 && configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

bash scripts/setup-debian.sh "${setup[@]}"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if [ ! -f "$dir/CMakeCache.txt" ]; then
  echo "build: configuring $dir/ (the first build takes a few minutes)" >&2
  cmake -S . -B "$dir" "${configure[@]}" >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
fi

targets=()
for t in "$@"; do targets+=(--target "$t"); done
if ! cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}" 2>&1 | tee "$log" |
     { grep --line-buffered -E '^\[ *[0-9]+%\] (Building|Linking)|warning:' | sed -u 's/^/build: /' || true; } >&2; then
  grep -v -E '^\[ *[0-9]+%\] (Building|Linking|Built target)' "$log" >&2 || true
  echo "build: failed" >&2
  exit 1
fi
