#!/usr/bin/env bash
# The demo, then `brevix --history 10234`: one line for the statement, naming its PDF, whose
# SHA-256 is that of the archive copy as sha256sum reads it.
set -euo pipefail
build=$1
top=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
BREVIX_DEMO_DIR=$scratch env -u DISPLAY -u WAYLAND_DISPLAY bash "$top/demo/run-demo.sh" "$build" >/dev/null
export TORVIK_UNC_ROOT=$scratch/unc XDG_CONFIG_HOME=$scratch/config

line=$("$build/mailer/brevix" --history 10234)
archive=$scratch/unc/demo/tarnlnk/TVK7/STATEMENTS/1226/10234.1226.PDF
want="10234.txt	10234	10234.1226.PDF	\\\\demo\\tarnlnk\\TVK7\\STATEMENTS\\1226\\10234.1226.PDF	$(sha256sum "$archive" | cut -d' ' -f1)	STMT_10234.TXT	mailed"
got=$(printf '%s\n' "$line" | cut -f4,5,7-11)
if [ "$got" != "$want" ]; then
  printf 'brevix --history 10234 gave:\n%s\nwanted the fields:\n%s\n' "$line" "$want" >&2
  exit 1
fi
# All five statements, newest first, and nothing else.
[ "$("$build/mailer/brevix" --history | cut -f4 | sort | tr '\n' ' ')" = "10234.txt 10388.txt 20417.txt 30551.TXT 40026.txt " ]
echo "ok: $line"
