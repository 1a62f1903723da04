#!/usr/bin/env bash
# Builds the program and starts it on the simulated board. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null
exec build/qb4160-eval "$@"
