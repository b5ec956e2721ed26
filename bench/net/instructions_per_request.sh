#!/usr/bin/env bash
# Instructions the application server spends per request, counted by callgrind, for one or more
# builds of ngc-appserver side by side. Each is run twice under callgrind, with 200 and with 2,200
# keep-alive requests sent on one connection by curl; the difference over 2,000 requests leaves
# out start, migration, seeding and stop. Counts do not depend on the machine's load.
# Usage: bench/net/instructions_per_request.sh [--db URL] PROGRAM [PROGRAM...]
#        (needs valgrind and curl; the database is sqlite::memory: unless --db names another, such
#        as a PostgreSQL URL, whose own server processes are not counted)
set -euo pipefail
db=sqlite::memory:
if [ "${1:-}" = --db ]; then
    db="$2"
    shift 2
fi
declare -A bodies=(
    [Ping]='{"jsonrpc":"2.0","id":1,"method":"Ping"}'
    [GetItemCole]='{"jsonrpc":"2.0","id":1,"method":"GetItemCole","params":["0001","2026000001","1001","00001","1001","001"]}'
)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# collected PROGRAM METHOD COUNT: the instructions of one whole run.
collected() {
    valgrind --tool=callgrind --callgrind-out-file="$work/out" "$1" --listen 127.0.0.1:0 \
        --db "$db" --seed demo >"$work/stdout" 2>"$work/stderr" &
    local server=$! port=""
    while [ -z "$port" ]; do
        sleep 0.2
        port="$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$work/stdout")"
    done
    local url="http://127.0.0.1:$port/rpc/Ngc27451.rdmInfoPlanNeg" urls=()
    for ((i = 0; i < $3; i++)); do urls+=("$url"); done
    curl -s -H 'Content-Type: application/json' -d "${bodies[$2]}" "${urls[@]}" >/dev/null
    kill -TERM "$server"
    wait "$server"
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/stderr"
}

for program in "$@"; do
    for method in Ping GetItemCole; do
        few="$(collected "$program" "$method" 200)"
        many="$(collected "$program" "$method" 2200)"
        echo "$program $method: $(((many - few) / 2000)) instructions per request"
    done
done
