#!/usr/bin/env bash
# Crawl benchmark: generates the benchmark site, serves it with nginx on loopback, crawls it with
# tarnwick-crawl at 10 and 40 connections, runs the 20000-URL list scan next to ab (a new
# connection per request, as the crawler makes), and checks that every URL of the site was found
# and none invented.
#
# Usage: bench/crawl_bench.sh [PAGES]      (default 20000; needs the release build of tarnwick-crawl)
set -euo pipefail
cd "$(dirname "$0")/.."

pages=${1:-20000}
port=${BENCH_PORT:-18089}
work=${BENCH_DIR:-/tmp/tarnwick-bench}
crawl=build/release/cli/tarnwick-crawl

scripts/install-deps.sh
if [ ! -x "$crawl" ] || [ -n "${BENCH_REBUILD:-}" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target tarnwick-crawl
fi

if [ ! -f "$work/expected-urls.txt" ] || [ "$(wc -l <"$work/list-urls.txt")" -ne "$pages" ]; then
  rm -rf "$work"
  echo "Generating $pages pages in $work ..."
  python3 bench/gen_site.py "$work" "$port" "$pages"
fi

nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!
trap 'kill $nginx_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do curl -fs "http://127.0.0.1:$port/s0/p0.html" >/dev/null && break; sleep 0.1; done

# Prints the figures of one run from /usr/bin/time -v's report.
report() { # label count timefile
  local label=$1 count=$2 tf=$3
  local wall user sys rss
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/{print $2}' "$tf")
  user=$(awk -F': ' '/User time/{print $2}' "$tf")
  sys=$(awk -F': ' '/System time/{print $2}' "$tf")
  rss=$(awk -F': ' '/Maximum resident/{print $2}' "$tf")
  python3 - "$label" "$count" "$wall" "$user" "$sys" "$rss" <<'PY'
import sys
label, count, wall, user, sys_, rss = sys.argv[1:]
parts = [float(x) for x in wall.split(":")]
secs = parts[-1] + (parts[-2] * 60 if len(parts) > 1 else 0) + (parts[-3] * 3600 if len(parts) > 2 else 0)
count = int(count)
cpu = float(user) + float(sys_)
print(f"{label}: {count} URLs in {secs:.2f} s = {count / secs:.0f} URLs/s; "
      f"CPU {cpu:.2f} s = {cpu / count * 1e6:.0f} us/URL; peak RSS {int(rss) / 1024:.0f} MiB")
PY
}

# Compares the URLs of a CSV export with the site's expected URLs.
check_urls() { # csv
  python3 - "$1" "$work/expected-urls.txt" <<'PY'
import csv, sys
found = set()
with open(sys.argv[1], newline="", encoding="latin-1") as f:
    rows = csv.reader(f)
    next(rows)
    for row in rows:
        found.add(row[0])
expected = set(l.strip() for l in open(sys.argv[2]) if l.strip())
missing = expected - found
invented = found - expected
print(f"  rows {len(found)}, expected {len(expected)}, missing {len(missing)}, invented {len(invented)}")
for u in sorted(missing)[:5]: print("  missing:", u)
for u in sorted(invented)[:5]: print("  invented:", u)
PY
}

echo "== Whole-site crawl from the start page"
for c in 10 40; do
  /usr/bin/time -v -o "$work/time-$c.txt" "$crawl" --quiet --connections "$c" --csv "$work/crawl-$c.csv" \
    "http://127.0.0.1:$port/s0/p0.html"
  rows=$(($(wc -l <"$work/crawl-$c.csv") - 1))
  report "crawl, $c connections" "$rows" "$work/time-$c.txt"
  check_urls "$work/crawl-$c.csv"
done

echo "== List scan of $pages pages against ab, 40 connections"
/usr/bin/time -v -o "$work/time-list.txt" "$crawl" --quiet --connections 40 --list "$work/list-urls.txt" \
  --csv "$work/list.csv"
report "tarnwick-crawl --list" "$pages" "$work/time-list.txt"
ab -q -c 40 -n "$pages" "http://127.0.0.1:$port/s0/p0.html" 2>&1 | grep -E "Requests per second|Failed requests"
