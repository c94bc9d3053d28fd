#!/usr/bin/env bash
# The emulator load matrix: builds the test tapes, makes their WAV images with tonvale-cli and
# loads them on emulated TRS-80 ROMs (Model I Level 1, Model I Level 2, Model III).
#
#   tests/emulator/run-matrix.sh TONVALE_CLI [TONVALE_EMULATOR_TAPES [WORKDIR]]
#
# TONVALE_CLI and TONVALE_EMULATOR_TAPES are the built programs; the tape maker defaults to the
# one in the same build tree (BUILD/tests/emulator/tonvale_emulator_tapes beside BUILD/tonvale-cli).
# WORKDIR keeps the tapes and WAVs; without it a temporary directory is used and removed.
# Installs the emulator from the lock file when node_modules is missing. Exits non-zero when any
# case fails.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 3 ]]; then
    echo "Usage: $0 TONVALE_CLI [TONVALE_EMULATOR_TAPES [WORKDIR]]" >&2
    exit 2
fi
cli=$(realpath -m "$1")
tapes_program=$(realpath -m "${2:-$(dirname "$cli")/tests/emulator/tonvale_emulator_tapes}")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for program in "$cli" "$tapes_program"; do
    if [[ ! -x $program ]]; then
        echo "$0: $program is not a program; build it first" >&2
        exit 2
    fi
done
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    echo "$0: Node.js 20 and npm are needed for the emulator matrix" >&2
    exit 2
fi

if [[ ! -d $here/node_modules/trs80-emulator ]]; then
    (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi

if [[ $# -eq 3 ]]; then
    work=$3
    rm -rf "$work/tapes" "$work/wav"
    mkdir -p "$work"
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/tonvale-emulator-matrix.XXXXXX")
    trap 'rm -rf "$work"' EXIT
fi

"$tapes_program" "$work/tapes"
node "$here/run-matrix.mjs" --cli "$cli" --tapes "$work/tapes" --work "$work/wav"
