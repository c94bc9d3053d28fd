#!/usr/bin/env bash
# The emulator load matrix: makes the test tapes from tests/emulator/programs with
# `tonvale-cli make`, their WAV images with `tonvale-cli wav`, and loads them on emulated TRS-80
# ROMs (Model I Level 1, Model I Level 2, Model III); cases.json says what each case loads.
#
#   tests/emulator/run-matrix.sh TONVALE_CLI [WORKDIR]
#
# TONVALE_CLI is the built program. WORKDIR keeps the tapes and WAVs; without it a temporary
# directory is used and removed. Installs the emulator from the lock file when node_modules is
# missing. Exits non-zero when any case fails.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "Usage: $0 TONVALE_CLI [WORKDIR]" >&2
    exit 2
fi
cli=$(realpath -m "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [[ ! -x $cli ]]; then
    echo "$0: $cli is not a program; build it first" >&2
    exit 2
fi
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    echo "$0: Node.js 20 and npm are needed for the emulator matrix" >&2
    exit 2
fi

if [[ ! -d $here/node_modules/trs80-emulator ]]; then
    (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi

if [[ $# -eq 2 ]]; then
    work=$(realpath -m "$2")
    rm -rf "$work"
    mkdir -p "$work"
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/tonvale-emulator-matrix.XXXXXX")
    trap 'rm -rf "$work"' EXIT
fi

node "$here/run-matrix.mjs" --cli "$cli" --work "$work"
