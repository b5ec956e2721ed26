# Shared by scripts/test, scripts/demo and scripts/bench: install what the project needs and
# build it. Sourced, not run.

NGC_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Exactly the Debian packages the project builds, tests and runs with.
NGC_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev libqt6sql6-psql fonts-dejavu-core fonts-dejavu-extra
    libcpp-httplib-dev libssl-dev zlib1g-dev libbrotli-dev openssl ca-certificates libboost1.81-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    postgresql
    # libpq-dev: the server prepares its PostgreSQL statements with the client library itself,
    # and the load benchmark measures a bare libpq point select beside it
    libpq-dev
    # dpkg-shlibdeps computes the packages' dependencies; systemd-analyze checks the service unit
    dpkg-dev systemd
)

ngc_sudo() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs only what is missing, so a second run installs nothing.
ngc_install() {
    local missing=()
    for p in "${NGC_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "installing: ${missing[*]}"
        ngc_sudo apt-get update -qq
        ngc_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
    fi
}

# ngc_build <preset> [targets...]
ngc_build() {
    local preset="$1"; shift
    cmake --preset "$preset" -S "$NGC_ROOT" >/dev/null
    if [ $# -gt 0 ]; then
        cmake --build "$NGC_ROOT/build/$preset" -j2 --target "$@"
    else
        cmake --build "$NGC_ROOT/build/$preset" -j2
    fi
}

# A port on 127.0.0.1 that nothing listens on. The default start lies below the kernel's range
# for outgoing connections (32768 and up), where a client's socket can hold a port for a while.
ngc_free_port() {
    local p
    for p in $(seq "${1:-25432}" 32767); do
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then
            echo "$p"
            return 0
        fi
    done
    return 1
}

# Starts a PostgreSQL cluster of our own on loopback and exports NGC_TEST_PG_URL; ngc_pg_stop
# stops it and removes its files.
ngc_pg_start() {
    local bin
    bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)"
    # Known before anything can fail, so that ngc_pg_stop can clean up after a failed start.
    NGC_PG_BIN="$bin"
    NGC_PG_DIR="$(mktemp -d /tmp/ngc-pg.XXXXXX)"
    local run=()
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres "$NGC_PG_DIR"
        run=(runuser -u postgres --)
    fi
    "${run[@]}" "$bin/initdb" -D "$NGC_PG_DIR/data" -A trust -U ngc -E UTF8 >/dev/null
    # The probe sees only listeners: a port can still be taken by the time the server binds it
    # (another cluster starting, a client's connection on it), so a few ports are tried.
    local attempt=1 from=25432
    while :; do
        NGC_PG_PORT="$(ngc_free_port "$from")"
        if "${run[@]}" "$bin/pg_ctl" -D "$NGC_PG_DIR/data" -l "$NGC_PG_DIR/log" -w -o \
            "-h 127.0.0.1 -p $NGC_PG_PORT -k $NGC_PG_DIR -c fsync=off -c max_connections=200" \
            start >/dev/null; then
            break
        fi
        [ "$attempt" -lt 5 ] || return 1
        attempt=$((attempt + 1))
        from=$((NGC_PG_PORT + 1))
    done
    "${run[@]}" "$bin/createdb" -h 127.0.0.1 -p "$NGC_PG_PORT" -U ngc ngc_test
    export NGC_TEST_PG_URL="postgresql://ngc@127.0.0.1:$NGC_PG_PORT/ngc_test"
    echo "PostgreSQL test cluster on 127.0.0.1:$NGC_PG_PORT"
}

ngc_pg_stop() {
    [ -n "${NGC_PG_DIR:-}" ] || return 0
    local run=()
    [ "$(id -u)" -eq 0 ] && run=(runuser -u postgres --)
    "${run[@]}" "$NGC_PG_BIN/pg_ctl" -D "$NGC_PG_DIR/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$NGC_PG_DIR"
    NGC_PG_DIR=
}
