#!/usr/bin/env bash
# Brevix's figures as monitoring reads them, and the mail sender watched, with the real parts: the
# node exporter of Debian's package on a loopback port, its text-file collector on the test's
# folder, and `brevix --watch` on a copy of the demo share with no mail sender taking the requests.
# usage: node_exporter.sh BUILD_FOLDER   (exit 77: skipped, with the reason)
set -euo pipefail
build=$(cd "$1" && pwd) here=$(cd "$(dirname "$0")" && pwd)
exporter=$(command -v prometheus-node-exporter || true)
[ -n "$exporter" ] || { echo "skipped: prometheus-node-exporter is not installed"; exit 77; }

work=$(mktemp -d) pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; echo "--- brevix said:" >&2; cat "$work/err" >&2; exit 1; }
wait_for() {  # seconds, what, command...
  local limit=$1 what=$2; shift 2
  for _ in $(seq $((limit * 5))); do "$@" && return 0; sleep 0.2; done
  fail "$what (after $limit s)"
}

cp -r "$here/../../demo/share" "$work/unc"
find "$work/unc" -name .keep -delete
store=$work/unc/demo/parlow/email7
mkdir -p "$work/config/Torvik" "$work/figures"
# 0.05 minutes: 3 seconds, so the warning is due at the second look at the in folder, a minute on.
printf '[eStatements]\nSettings\\Host=demo\nSettings\\Directory=7\nSettings\\SettleMs=0\nSettings\\MailWaitMinutes=0.05\nSettings\\MetricsFolder=%s\n' \
  "$work/figures" >"$work/config/Torvik/Brevix.ini"

address=127.0.0.$((RANDOM % 200 + 20)):$((20000 + RANDOM % 20000))
"$exporter" --web.listen-address="$address" --collector.disable-defaults --collector.textfile \
  --collector.textfile.directory="$work/figures" >"$work/exporter.log" 2>&1 & pids+=($!)
scrape() { curl -sf "http://$address/metrics" >"$work/metrics"; }
has() { scrape && grep -qxF "$1" "$work/metrics"; }
wait_for 20 "the node exporter did not answer on $address: $(cat "$work/exporter.log")" scrape

TORVIK_UNC_ROOT=$work/unc TORVIK_HOME=$here/../../demo/install XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache \
  "$build/mailer/brevix" --watch >"$work/out" 2>"$work/err" & pids+=($!)
brevix=$!

labels='server="demo",store="7"'
in_folder_holds() { [ "$(ls "$store/in" | wc -l)" -eq "$1" ]; }
wait_for 60 "the four requests did not reach the in folder" in_folder_holds 4
start=$(date +%s)  # the requests' age counts from here
wait_for 30 "the figures of four mailed statements were not scraped" \
  has "brevix_statements_total{outcome=\"mailed\",$labels} 4"
for line in "brevix_statements_total{outcome=\"filed_without_mail\",$labels} 1" "brevix_statements_waiting{$labels} 0" \
  "brevix_requests_waiting{$labels} 4" "brevix_holds_store{$labels} 1" 'node_textfile_scrape_error 0'; do
  grep -qxF "$line" "$work/metrics" || fail "no \"$line\" in the scrape: $(grep -e brevix -e textfile "$work/metrics")"
done
grep -q '^node_textfile_mtime_seconds{file=".*brevix_demo_7.prom"} ' "$work/metrics" || fail "no time of the file"

warning='The mail sender has not taken 4 requests from \\demo\parlow\email7\in for 1 minute (the oldest, STMT_'
wait_for 65 "no warning that the mail sender stopped, within 0.05 minutes and a minute" grep -qF "$warning" "$work/err"
[ $(($(date +%s) - start)) -le 65 ] && grep -q '): statements are not reaching customers\.$' "$work/err" || fail "late or cut"
rm "$store"/in/STMT_*.TXT  # the mail sender takes them at last
wait_for 70 "no notice once the requests were taken" grep -qF 'The mail sender takes the requests from \\demo\parlow\email7\in again' "$work/err"
wait_for 20 "the scrape still shows requests waiting" has "brevix_requests_waiting{$labels} 0"
[ "$(grep -c 'The mail sender' "$work/err")" -eq 2 ] || fail "not one warning and one notice"
kill -TERM "$brevix"
wait "$brevix" || fail "brevix --watch ended with status $?"
echo "ok"
