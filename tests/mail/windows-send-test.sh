#!/usr/bin/env bash
# The Windows edition's "brindlecast send" under Wine, against the tests' mail server on the
# loopback address: its newsletters made by the stand-in for Word (registered by the CTest
# fixture word_standin), a dry run, a send over TLS from the start with --ca-file (libcurl on
# Windows' own TLS, the system's certificates and the test's authority together), a server whose
# certificate no one vouches for, and a password file others may read.
# Usage: windows-send-test.sh PROGRAM_EXE PYTHON   (run by CTest with scripts/windows/wine-env)
set -euo pipefail
program=$(realpath "$1")
python=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?" >&2' ERR
step() { echo "-- $*"; }
winpath() { printf 'Z:%s' "$(realpath -m "$1")" | tr / '\\'; }
wine=${BRINDLECAST_WINE64:-/usr/lib/wine/wine64}

"$python" "$here/smtp_server.py" make-certs "$work/certs"
start_server() { # FOLDER CERTIFICATE
  rm -f "$work/ready"
  "$python" "$here/smtp_server.py" serve --folder "$1" --ready "$work/ready" --mode tls \
    --cert "$work/certs/$2.pem" --key "$work/certs/$2.key" --user dana --password secret &
  server_pid=$!
  for ((i = 0; i < 100; i++)); do [ -f "$work/ready" ] && break; sleep 0.1; done
  [ -f "$work/ready" ] || fail "the mail server did not start"
  port=$(cat "$work/ready")
}
stop_server() { kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; server_pid=""; }

cd "$work"
printf 'Name,Email\nZo\xc3\xab \xc3\x85ngstr\xc3\xb6m,zoe@example.org\nAnn Lee,ann@example.org\n' >list.csv
printf 'Dear [Name],\n\nthe newsletter is attached.\n' >body.txt
printf 'secret' >password
chmod 600 password
mkdir -p temp home config
export TEMP=$(winpath temp)
send() {
  "$wine" "$program" send --no-stored --recipients "$(winpath list.csv)" \
    --subject 'News for [Name]' --body "$(winpath body.txt)" --from 'Club <news@example.org>' \
    --rate 0 --user dana --password-file "$(winpath password)" "$@"
}

step "a dry run writes the messages"
send --dry-run "$(winpath drafts)" >out.txt 2>err.txt || fail "dry run exited with $?: $(cat err.txt)"
grep -q "Wrote 2 of 2 messages" out.txt || fail "dry run said: $(cat out.txt err.txt)"
"$python" "$here/read_messages.py" drafts >drafts.json
"$python" - drafts.json <<'PY'
import json, sys
messages = json.load(open(sys.argv[1]))
assert [m["to_address"] for m in messages] == ["zoe@example.org", "ann@example.org"], messages
zoe = messages[0]
assert zoe["to_name"] == "Zo\u00eb \u00c5ngstr\u00f6m", zoe["to_name"]
assert zoe["Subject"] == "News for Zo\u00eb \u00c5ngstr\u00f6m", zoe["Subject"]
attachment = zoe["attachments"][0]
assert attachment["name"] == "001-Zo\u00eb \u00c5ngstr\u00f6m.pdf", attachment["name"]
data = open(attachment["saved"], "rb").read()
assert data.startswith(b"%PDF-") and "Zo\u00eb".encode() in data, data[:200]
PY

# By name: libcurl 7.88 on Schannel, checking a certificate against an added authority, matches
# the certificate's DNS names only, never an IP address (mail servers go by name).
step "a send over TLS from the start, the test's authority added to Windows' own"
start_server "$work/got" server
send --smtp "smtps://localhost:$port" --ca-file "$(winpath certs/ca.pem)" >out.txt 2>err.txt ||
  fail "send exited with $?: $(cat out.txt err.txt)"
grep -q "Sent 2 of 2 messages" out.txt || fail "send said: $(cat out.txt)"
[ "$(ls got/*.eml | wc -l)" = 2 ] || fail "the server took $(ls got) "
[ "$(grep -c "^sent	" list.sent.txt)" = 2 ] || fail "journal: $(cat list.sent.txt)"
send --smtp "smtps://localhost:$port" --ca-file "$(winpath certs/ca.pem)" >out.txt 2>err.txt
grep -q "Sent earlier: 2" out.txt || fail "the second run said: $(cat out.txt)"
stop_server

step "a certificate no one vouches for: nothing is sent, no password either"
rm list.sent.txt # everyone is to be sent to again
start_server "$work/stranger" stranger
set +e
send --smtp "smtps://localhost:$port" --ca-file "$(winpath certs/ca.pem)" >out.txt 2>err.txt
code=$?
set -e
[ "$code" = 2 ] || fail "an untrusted server gave $code: $(cat out.txt err.txt)"
grep -q "is not trusted" err.txt || fail "it said: $(cat err.txt)"
! grep -q AUTH stranger/log.txt || fail "a password went to an untrusted server"
[ -z "$(ls stranger/*.eml 2>/dev/null)" ] || fail "a message went to an untrusted server"
stop_server

step "a password file others may read is refused"
chmod 644 password
set +e
send --smtp "smtps://127.0.0.1:1" >out.txt 2>err.txt
code=$?
set -e
[ "$code" = 2 ] && grep -q "may be read by others" err.txt ||
  fail "a shared password file gave $code: $(cat err.txt)"
echo "passed"
