#!/usr/bin/env bash
# scripts/run.sh as a newcomer meets it: the first run says what it is doing (installing,
# configuring, compiling with progress) before the program starts; the next run starts the
# program without a word. The package tools and cmake are stand-ins that only act out their part.
#   bash tests/scripts/run_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/repo" "$work/bin" "$work/state"
cp -r "$source_dir/scripts" "$work/repo/"

stub() { printf '#!/usr/bin/env bash\nstate=%q\n%s\n' "$work/state" "$2" > "$work/bin/$1"; chmod +x "$work/bin/$1"; }
stub dpkg-query '[ -e "$state/installed" ] && echo "install ok installed"; exit 0'
stub apt-get 'if [ "$1" = install ]; then echo "Get:1 somewhere"; echo "Setting up cmake (3.25.1-1) ..."; touch "$state/installed"; fi'
stub sudo '"$@"'
stub ccache 'exit 0'
stub cmake '
if [ "$1" = -S ]; then mkdir -p "$4"; touch "$4/CMakeCache.txt"; echo "-- Configuring done"; exit 0; fi
dir=$2
if [ -e "$dir/qb4160-eval" ]; then echo "[100%] Built target qb4160-eval"; exit 0; fi
echo "[ 50%] Building CXX object CMakeFiles/qb_app.dir/src/app/main.cpp.o"
echo "[100%] Linking CXX executable qb4160-eval"
echo "[100%] Built target qb4160-eval"
printf "#!/usr/bin/env bash\necho \"program started with \$*\"\n" > "$dir/qb4160-eval"
chmod +x "$dir/qb4160-eval"'

run() { PATH="$work/bin:$PATH" bash "$work/repo/scripts/run.sh" "$@" 2>&1; }
failures=0
expect() {  # what, output, pattern (grep -E) that a line of it matches
  if grep -qE -- "$3" <<<"$2"; then
    echo "ok: $1"
  else
    echo "FAILED: $1"; echo "--- output was:"; echo "$2"; echo "---"; failures=$((failures + 1))
  fi
}

first=$(run --board=sim)
expect "the first run says it installs packages" "$first" '^setup: installing .*cmake'
expect "and shows each package set up" "$first" '^setup: Setting up cmake'
expect "the first run says it configures" "$first" '^build: configuring build/'
expect "the first run shows the compiling with its progress" "$first" '^build: \[ 50%\] Building CXX object'
expect "the program starts after the first build" "$first" 'program started with --board=sim$'
second=$(run --board=sim)
expect "once built, the program starts without a word" "$second" '^program started with --board=sim$'
[ "$second" = "program started with --board=sim" ] && echo "ok: nothing else is said" ||
  { echo "FAILED: a built program is started with more said:"; echo "$second"; failures=$((failures + 1)); }
echo "$((7 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
