#!/usr/bin/env bash
# A server killed loses nothing acknowledged: sixteen people on the loopback
# address build for three seconds while the server writes the city again and
# again (SIGHUP every 100 ms, but in the last second), then the server is
# killed with SIGKILL; half a second before, one of them used a picture new
# to the city. Started again on the same file, it applies its journal: every
# change that came back to its sender more than 0.2 s before the kill is in
# the city it sends and, after a clean stop, in its file, and the picture is
# in the city's picture folder.
source "$(dirname "$0")/common.bash"

PEOPLE="${TAMO_TEST_BIN:-$BUILD_DIR/tests}/probe_journal_people"
SERVER_PID=""
stop_server() {
    [ -n "$SERVER_PID" ] && kill -9 "$SERVER_PID" 2>/dev/null
    cleanup
}
trap stop_server EXIT
mkdir -p "$SCRATCH/server"

# Starts the server on city.map at $PORT, appending to $1; a free port is
# chosen again when another run holds the one tried.
start_server() {
    for try in 1 2 3; do
        [ -n "${PORT:-}" ] && [ "$try" = 1 ] || PORT=$((20000 + RANDOM % 20000))
        (cd "$SCRATCH/server" && exec "$TAMOTOWN" --serve city.map --port "$PORT" 2>>"$1") &
        SERVER_PID=$!
        for ((i = 0; i < 300; i++)); do
            grep -q "^serving city.map.* port $PORT," "$1" 2>/dev/null && return 0
            kill -0 "$SERVER_PID" 2>/dev/null || break
            sleep 0.1
        done
        log "the server did not start on port $PORT (try $try): $(tail -n 3 "$1")"
    done
    fail "the server did not start"
}

start_server "$SCRATCH/first.txt"
"$PEOPLE" send "$PORT" "$SERVER_PID" 3 "$SCRATCH/expected.txt" ||
    fail "the people's run failed: $(tail -n 5 "$SCRATCH/first.txt")"
wait "$SERVER_PID"
STATUS=$?
SERVER_PID=""
[ "$STATUS" = 137 ] || fail "the server ended with $STATUS rather than by the kill"
grep -q "^wrote city.map" "$SCRATCH/first.txt" || fail "the server wrote no city before the kill"
log "sixteen people built, the server wrote the city meanwhile and was killed"

start_server "$SCRATCH/second.txt"
grep -q "^applied [0-9]* batches" "$SCRATCH/second.txt" ||
    fail "the restarted server applied no journal: $(cat "$SCRATCH/second.txt")"
"$PEOPLE" check "$PORT" "$SCRATCH/expected.txt" ||
    fail "the restarted server's city lacks acknowledged changes"
log "the restarted server's city holds every change acknowledged 0.2 s before the kill"
[ -s "$SCRATCH/expected.txt.png" ] || fail "the picture did not reach the others 0.2 s before the kill"
cmp "$SCRATCH/expected.txt.png" "$SCRATCH/server/city.textures/250.png" ||
    fail "the picture used before the kill is not in the restarted server's picture folder"
log "the picture used half a second before the kill is in the city's picture folder"

kill -TERM "$SERVER_PID"
wait "$SERVER_PID"
STATUS=$?
SERVER_PID=""
[ "$STATUS" = 0 ] || fail "the server ended with $STATUS: $(tail -n 3 "$SCRATCH/second.txt")"
"$PEOPLE" check-file "$SCRATCH/server/city.map" "$SCRATCH/expected.txt" ||
    fail "the server's file lacks acknowledged changes"
log "after a clean stop its file holds them too"
