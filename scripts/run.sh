#!/usr/bin/env bash
# Builds the program (not the tests) and starts it on the simulated board. Arguments go to the
# program. A first run says what it is doing on standard error (installing packages, configuring,
# compiling with its progress); once everything is built it starts at once without a word.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh qb4160-eval
exec build/qb4160-eval "$@"
