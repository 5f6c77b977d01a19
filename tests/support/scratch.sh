# Shared by the test scripts: a scratch folder `work`, removed on exit; `fail`; and,
# for scripts given the CLI as `cli` and wine's loader as `runner`, how a path is given to it (as a
# Windows user types it under wine, as it is elsewhere) and a run of it with its output as text.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
native() { if [ -n "$runner" ]; then printf 'Z:%s' "$1" | tr / '\\'; else printf '%s' "$1"; fi; }
run() { $runner "$cli" "$@" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
