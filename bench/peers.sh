#!/usr/bin/env bash
# Crawls the same generated loopback site with ZAVEL's engine and with wget, wget2 and httrack,
# each over one connection, no robots rules, no rate limit, and prints pages per second and
# the ratios. Usage: bench/peers.sh [pages]   (default 20000; build first with scripts/zavel test)
set -euo pipefail
cd "$(dirname "$0")/.."
pages="${1:-20000}"
bench="${ZAVEL_BUILD_DIR:-build}/bench/zavel_crawl_bench"
[ -x "$bench" ] || { echo "build first: scripts/zavel test" >&2; exit 2; }

missing=()
for p in wget wget2 httrack; do command -v "$p" >/dev/null || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=(); [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

work="$(mktemp -d)"
trap 'exec 3>&- 2>/dev/null || true; rm -rf "$work"' EXIT
mkfifo "$work/in"
"$bench" --serve "$pages" <"$work/in" >"$work/port" &
exec 3>"$work/in"   # the server runs while this stays open
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
port="$(head -n1 "$work/port")"
url="http://127.0.0.1:$port/p0.html"

# Each peer gets at most this many seconds; its rate is what it saved in that time.
limit="${PEER_SECONDS:-180}"

rate() {  # name, command...; counts the .html files it saved
    local name="$1"; shift
    local out="$work/$name"; mkdir -p "$out"
    local start end n
    start=$(date +%s.%N)
    (cd "$out" && timeout "$limit" "$@" </dev/null >/dev/null 2>&1) || true
    end=$(date +%s.%N)
    n=$(find "$out" -name 'p*.html' | wc -l)
    echo "$name $n $(echo "$n / ($end - $start)" | bc -l)"
}

zavel_line=$("$bench" "$pages" | grep 'pages per second')
zavel_rate=$(echo "$zavel_line" | sed 's/.*pages per second: //')
results=("zavel - $zavel_rate")
results+=("$(rate wget wget -r -l 100 -e robots=off -nv "$url")")
results+=("$(rate wget2 wget2 -r -l 100 --robots=off --max-threads=1 -q "$url")")
results+=("$(rate httrack httrack "$url" -O . -c1 -%c1000 -r100 -s0 -A1000000000 -q)")

printf '%-8s %8s %12s %14s\n' crawler pages pages/s "zavel/crawler"
for line in "${results[@]}"; do
    read -r name n r <<<"$line"
    printf '%-8s %8s %12.0f %14.2f\n' "$name" "$n" "$r" "$(echo "$zavel_rate / $r" | bc -l)"
done
