#!/usr/bin/env bash
# Crawls the same loopback sites with ZAVEL's engine and with wget, wget2 and httrack, no robots
# rules, no rate limit, and prints pages per second and the ratios. ZAVEL runs with its default
# requests at once and with one; wget2 with its defaults and with one thread; wget and httrack
# over one connection. Two sites, each served twice: answering at once, and with every response
# delayed by PEER_DELAY_MS (default 20) milliseconds, like a server a round trip away: a
# generated site of `pages` pages (a tenth of them when delayed), and a real HTML manual
# (Debian's PostgreSQL 15 manual, 1,169 pages; PEER_MANUAL names another folder with an
# index.html).
# A further run serves the generated site over HTTPS (see the end); PEER_TLS=no leaves it out,
# PEER_TLS=only runs the generated site over HTTP and over HTTPS and nothing else.
# Usage: bench/peers.sh [pages]   (default 20000; build first with scripts/zavel test)
set -euo pipefail
cd "$(dirname "$0")/.."
pages="${1:-20000}"
bench="${ZAVEL_BUILD_DIR:-build}/bench/zavel_crawl_bench"
[ -x "$bench" ] || { echo "build first: scripts/zavel test" >&2; exit 2; }
manual="${PEER_MANUAL:-/usr/share/doc/postgresql-doc-15/html}"

missing=()
needed=(wget wget2 httrack bc openssl)
[ "${PEER_TLS:-}" != only ] || needed=(wget wget2 bc openssl)
for p in "${needed[@]}"; do command -v "$p" >/dev/null || missing+=("$p"); done
[ -n "${PEER_MANUAL:-}" ] || [ -f "$manual/index.html" ] || [ "${PEER_TLS:-}" = only ] ||
    missing+=(postgresql-doc-15)
if [ ${#missing[@]} -gt 0 ]; then
    sudo=(); [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Each peer gets at most this many seconds; its rate is the pages it fetched in that time.
limit="${PEER_SECONDS:-180}"
work="$(mktemp -d)"
trap 'exec 3>&- 2>/dev/null || true; rm -rf "$work"' EXIT

rate() {  # name, pattern, command...; counts the HTML pages it fetched
    local name="$1" pattern="$2"; shift 2
    local out="$work/$name"
    rm -rf "$out"; mkdir -p "$out"
    local start end n
    start=$(date +%s.%N)
    (cd "$out" && timeout "$limit" "$@" </dev/null >/dev/null 2>&1) || true
    end=$(date +%s.%N)
    n=$(find "$out" -name "$pattern" | wc -l)
    # httrack keeps what it fetched in its cache and writes most pages out only at its end,
    # which a crawl stopped by the time limit never reaches; its cache list counts them all.
    local list="$out/hts-cache/new.txt"
    if [ -f "$list" ]; then
        local listed
        listed=$(awk -F'\t' '$4 == 200 && $6 == "text/html"' "$list" | wc -l)
        [ "$listed" -le "$n" ] || n=$listed
    fi
    echo "$name $n $(echo "$n / ($end - $start)" | bc -l)"
}

compare() {  # title, pattern of saved pages, start path, site arguments of the benchmark...
    local title="$1" pattern="$2" path="$3"; shift 3
    local delayed=0
    [ "$1" != --delay ] || [ "$2" = 0 ] || delayed=1
    rm -f "$work/in" "$work/port"
    mkfifo "$work/in"
    "$bench" --serve "$@" <"$work/in" >"$work/port" &
    exec 3>"$work/in"   # the server runs while this stays open
    for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
    local url="http://127.0.0.1:$(head -n1 "$work/port")$path"

    local zavel_out zavel_rate zavel_pages results=() requests
    for requests in 6 1; do
        zavel_out=$("$bench" --requests "$requests" "$@")
        zavel_pages=$(echo "$zavel_out" | sed -n 's/.*fetched: //p')
        results+=("zavel-$requests $zavel_pages $(echo "$zavel_out" | sed -n 's/.*pages per second: //p')")
    done
    zavel_rate=$(echo "${results[0]}" | cut -d' ' -f3)
    results+=("$(rate wget "$pattern" wget -r -l 100 -e robots=off -nv "$url")")
    results+=("$(rate wget2 "$pattern" wget2 -r -l 100 --robots=off -q "$url")")
    results+=("$(rate wget2-1 "$pattern" wget2 -r -l 100 --robots=off --max-threads=1 -q "$url")")
    [ "$delayed" = 1 ] ||
        results+=("$(rate httrack "$pattern" httrack "$url" -O . -c1 -%c1000 -r100 -s0 -A1000000000 -q)")
    exec 3>&-
    wait

    echo
    echo "$title"
    printf '%-8s %8s %12s %14s\n' crawler pages pages/s "zavel-6/crawler"
    local line name n r
    for line in "${results[@]}"; do
        read -r name n r <<<"$line"
        printf '%-8s %8s %12.0f %14.2f\n' "$name" "$n" "$r" "$(echo "$zavel_rate / $r" | bc -l)"
    done
}

echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), load $(cut -d' ' -f1-3 /proc/loadavg)"
delay="${PEER_DELAY_MS:-20}"
if [ "${PEER_TLS:-}" != only ]; then
    compare "Generated site, $pages pages" 'p*.html' /p0.html "$pages"
    compare "HTML manual: $manual" '*.html' /index.html --dir "$manual"
    compare "Generated site, $((pages / 10)) pages, $delay ms per response" 'p*.html' /p0.html \
        --delay "$delay" "$((pages / 10))"
    compare "HTML manual, $delay ms per response" '*.html' /index.html --delay "$delay" --dir "$manual"
fi

# ---- HTTPS variant ---------------------------------------------------------------------------
# The generated site over TLS on loopback, with a certificate made for this run that every
# crawler is told to trust (ZAVEL's benchmark through the platform's test seam, wget and wget2
# with --ca-certificate). httrack verifies no certificate at all and is left out. With
# PEER_TLS=only the same site over plain HTTP comes first, measured the same way.
tls_compare() {  # title, scheme (http or https)
    local title="$1" scheme="$2"
    local site=("$pages") ca=()
    if [ "$scheme" = https ]; then
        site+=(--tls "$work/cert.pem" "$work/key.pem")
        ca=(--ca-certificate="$work/cert.pem")
    fi
    rm -f "$work/in" "$work/port"
    mkfifo "$work/in"
    "$bench" --serve "${site[@]}" <"$work/in" >"$work/port" &
    exec 3>"$work/in"
    for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
    local url="$scheme://127.0.0.1:$(head -n1 "$work/port")/p0.html"

    local zavel_out zavel_rate zavel_pages
    zavel_out=$("$bench" "${site[@]}")
    zavel_rate=$(echo "$zavel_out" | sed -n 's/.*pages per second: //p')
    zavel_pages=$(echo "$zavel_out" | sed -n 's/.*fetched: //p')
    local results=("zavel $zavel_pages $zavel_rate")
    results+=("$(rate wget 'p*.html' wget -r -l 100 -e robots=off -nv "${ca[@]}" "$url")")
    results+=("$(rate wget2 'p*.html' wget2 -r -l 100 --robots=off --max-threads=1 -q \
        "${ca[@]}" "$url")")
    exec 3>&-
    wait

    echo
    echo "$title"
    printf '%-8s %8s %12s %14s\n' crawler pages pages/s "zavel/crawler"
    local line name n r
    for line in "${results[@]}"; do
        read -r name n r <<<"$line"
        printf '%-8s %8s %12.0f %14.2f\n' "$name" "$n" "$r" "$(echo "$zavel_rate / $r" | bc -l)"
    done
}

if [ "${PEER_TLS:-}" != no ]; then
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
        -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 \
        -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
    [ "${PEER_TLS:-}" != only ] || tls_compare "Generated site, $pages pages, HTTP" http
    tls_compare "Generated site, $pages pages, HTTPS" https
fi
# ---- end of the HTTPS variant ----------------------------------------------------------------
