#!/bin/sh
# compare-castool.sh [TONVALE_CLI]
# Times the whole `tonvale-cli wav` process against MAME's castool (Debian package mame-tools,
# an independent converter) turning the same 32 KB Level 2 tape into a WAV file, and prints
# both means and the ratio. Goal: tonvale-cli at least ten times faster. RUNS sets the number
# of runs of each (default 30).
set -eu

cli=${1:-build/default/tonvale-cli}
runs=${RUNS:-30}

if [ ! -x "$cli" ]; then
    echo "compare-castool: no tonvale-cli at $cli (give its path)" >&2
    exit 2
fi
if ! command -v castool >/dev/null 2>&1; then
    echo "compare-castool: castool not found (apt-get install mame-tools)" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tonvale-castool.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The tape, as it is laid down: a leader of 256 bytes 00h, the sync byte A5h, then data up to
# 32 KB in all.
tape="$work/tape32k.cas"
{
    head -c 256 /dev/zero
    printf '\245'
    head -c $((32768 - 257)) /dev/urandom
} >"$tape"

# Mean wall time of one run in microseconds.
mean_us() {
    start=$(date +%s%N)
    i=0
    while [ $i -lt "$runs" ]; do
        "$@" >/dev/null 2>&1 || true
        i=$((i + 1))
    done
    end=$(date +%s%N)
    echo $(((end - start) / runs / 1000))
}

# One run each first, so that both start with warm caches.
"$cli" wav --level 2 -o "$work/tonvale.wav" "$tape" >/dev/null 2>&1 || true
castool convert trs80l2 "$tape" "$work/castool.wav" >/dev/null 2>&1
if [ ! -s "$work/tonvale.wav" ] || [ ! -s "$work/castool.wav" ]; then
    echo "compare-castool: a converter wrote no WAV file" >&2
    exit 1
fi

tonvale=$(mean_us "$cli" wav --level 2 -o "$work/tonvale.wav" "$tape")
castool=$(mean_us castool convert trs80l2 "$tape" "$work/castool.wav")

echo "32 KB Level 2 tape, mean of $runs runs each:"
printf '  tonvale-cli wav          %8d us  (%d bytes)\n' "$tonvale" "$(wc -c <"$work/tonvale.wav")"
printf '  castool convert trs80l2  %8d us  (%d bytes)\n' "$castool" "$(wc -c <"$work/castool.wav")"
awk -v t="$tonvale" -v c="$castool" 'BEGIN { printf "  tonvale-cli is %.1f times as fast\n", c / t }'
