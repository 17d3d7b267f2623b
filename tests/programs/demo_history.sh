#!/usr/bin/env bash
# The demo, then `brevix --history 10234`: one line, naming the PDF, with the SHA-256 that
# sha256sum gives for the archive copy.
set -euo pipefail
build=$1 scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
BREVIX_DEMO_DIR=$scratch env -u DISPLAY -u WAYLAND_DISPLAY bash "$(dirname "$0")/../../demo/run-demo.sh" "$build" >/dev/null
line=$(TORVIK_UNC_ROOT=$scratch/unc XDG_CONFIG_HOME=$scratch/config "$build/mailer/brevix" --history 10234)
sha=$(sha256sum "$scratch/unc/demo/tarnlnk/TVK7/STATEMENTS/1226/10234.1226.PDF" | cut -d' ' -f1)
want="10234.txt	10234	10234.1226.PDF	\\\\demo\\tarnlnk\\TVK7\\STATEMENTS\\1226\\10234.1226.PDF	$sha	STMT_10234.TXT	mailed"
[ "$(printf '%s\n' "$line" | cut -f4,5,7-11)" = "$want" ] || { printf 'got:\n%s\nwanted:\n%s\n' "$line" "$want" >&2; exit 1; }
