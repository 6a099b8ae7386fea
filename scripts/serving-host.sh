# Sourced by the scripts that start the centre stand-in on a free port (port 0).
# serving_host LOG: prints the host:port the stand-in says it serves on, waiting up to ten seconds for it;
# prints nothing when it never says so.
serving_host() {
    local host=
    for _ in $(seq 1 100); do
        host=$(sed -n 's#.*serving on http://\([^/]*\)/.*#\1#p' "$1")
        [ -n "$host" ] && break
        sleep 0.1
    done
    echo "$host"
}
