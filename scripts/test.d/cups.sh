#!/usr/bin/env bash
# Prints through a real CUPS queue: starts a CUPS server of our own (its own
# configuration folder, spool and socket in a temporary folder, never the
# system's server) with one cups-pdf printer, points the program's CUPS client
# at it with CUPS_SERVER and runs the tests that print there (one barcode, a
# label sheet, the printer set-up dialog). Stops the server on every way out.
# Where CUPS cannot run here it says why and skips, except under CI=true,
# where a run that did not print through CUPS must not pass. $1 is the build
# directory.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
QUEUE=Varsona_PDF

skip() {
  if [ "${CI:-}" = "true" ]; then
    echo "cups: FAILED: $* (CI must print through CUPS)" >&2
    exit 1
  fi
  echo "cups: skipped: $*"
  exit 0
}

for tool in cupsd lpadmin lpstat unshare mount pdftoppm pdftotext pdftocairo zbarimg; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -x /usr/lib/cups/backend/cups-pdf ] || skip "the cups-pdf backend is not installed"
PPD=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/CUPS-PDF*.ppd 2>/dev/null | head -n 1 || true)
[ -n "$PPD" ] || skip "the cups-pdf printer description is not installed"
TESTS=("$BUILD/tests/designer/designer_oracle_tests" "$BUILD/tests/labels/labels_oracle_tests")
for t in "${TESTS[@]}"; do
  [ -x "$t" ] || skip "$t is not built"
done
# cupsd runs its backends as root only from a root server; cups-pdf needs that
# to write its files.
[ "$(id -u)" -eq 0 ] || skip "the private server must run as root"
# cups-pdf reads its settings from /etc/cups alone: the server runs in a mount
# namespace of its own where /etc/cups is our folder, so the system's folder
# is never read or written.
unshare --mount --propagation private true 2>/dev/null || skip "no mount namespace can be made here"

DIR=$(mktemp -d /tmp/varsona-cups.XXXXXX)
SERVER_PID=
stop() {
  local rc=$?
  if [ -n "$SERVER_PID" ] && kill -0 "$SERVER_PID" 2>/dev/null; then
    kill "$SERVER_PID" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$SERVER_PID" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$SERVER_PID" 2>/dev/null || true
  fi
  rm -rf "$DIR"
  exit "$rc"
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Filters run as lp: the folders they read are theirs to enter.
mkdir -p "$DIR"/{etc/ppd,etc/ssl,spool/tmp,cache,run,log,out,pdf-spool,home}
chmod 755 "$DIR"
chown -R root:lp "$DIR/etc" "$DIR/spool" "$DIR/cache" "$DIR/run"
chmod 755 "$DIR/etc" "$DIR/cache" "$DIR/run" "$DIR/log"
chmod 710 "$DIR/spool"
chmod 1770 "$DIR/spool/tmp"
chmod 1777 "$DIR/out" "$DIR/pdf-spool"
SOCKET=$DIR/run/cups.sock

cat > "$DIR/etc/cups-files.conf" <<EOF
ServerRoot $DIR/etc
RequestRoot $DIR/spool
TempDir $DIR/spool/tmp
CacheDir $DIR/cache
StateDir $DIR/run
AccessLog $DIR/log/access_log
ErrorLog $DIR/log/error_log
PageLog $DIR/log/page_log
Printcap $DIR/run/printcap
ServerBin /usr/lib/cups
DataDir /usr/share/cups
FileDevice No
User lp
Group lp
SystemGroup root
Sandboxing Relaxed
EOF
cat > "$DIR/etc/cupsd.conf" <<EOF
Listen $SOCKET
LogLevel info
Browsing No
BrowseLocalProtocols none
DefaultAuthType None
WebInterface No
MaxJobs 0
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat > "$DIR/etc/cups-pdf.conf" <<EOF
Out $DIR/out
AnonDirName $DIR/out
Spool $DIR/pdf-spool
Log $DIR/log
LogType 3
Grp root
UserUMask 0022
AnonUMask 0022
Label 1
EOF

unshare --mount --propagation private sh -c \
  'mount --bind "$1/etc" /etc/cups && exec cupsd -f -c "$1/etc/cupsd.conf" -s "$1/etc/cups-files.conf"' \
  cupsd "$DIR" > "$DIR/log/cupsd.out" 2>&1 &
SERVER_PID=$!
for _ in $(seq 100); do
  [ -S "$SOCKET" ] && lpstat -h "$SOCKET" -r 2>/dev/null | grep -q "is running" && break
  kill -0 "$SERVER_PID" 2>/dev/null || break
  sleep 0.1
done
if ! lpstat -h "$SOCKET" -r 2>/dev/null | grep -q "is running"; then
  cat "$DIR/log/cupsd.out" "$DIR/log/error_log" 2>/dev/null | tail -n 20 || true
  skip "the private CUPS server did not start"
fi
# The PDF from Qt reaches cups-pdf as PostScript. Ghostscript, the default
# renderer of that step, redraws text as fonts without a Unicode map, so no
# reader could find the captions; poppler's cairo renderer keeps them.
if ! made=$(lpadmin -h "$SOCKET" -p "$QUEUE" -E -v cups-pdf:/ -P "$PPD" -o PageSize=A4 \
  -o printer-error-policy=abort-job -o pdftops-renderer-default=pdftocairo 2>&1) ||
  ! lpadmin -h "$SOCKET" -d "$QUEUE"; then
  echo "$made"
  echo "cups: the queue could not be set up"
  exit 1
fi
echo "cups: private server (pid $SERVER_PID) on $SOCKET, queue $QUEUE"
lpstat -h "$SOCKET" -p "$QUEUE"

export CUPS_SERVER=$SOCKET
export VARSONA_CUPS_QUEUE=$QUEUE
export VARSONA_CUPS_OUTPUT=$DIR/out/
export QT_QPA_PLATFORM=offscreen
export HOME=$DIR/home
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$DIR/home
  chmod 700 "$DIR/home"
fi
failed=0
for t in "${TESTS[@]}"; do
  "$t" --gtest_filter='Cups*' || failed=1
done
if [ "$failed" -ne 0 ]; then
  echo "cups: the server's log:"
  tail -n 40 "$DIR/log/error_log" 2>/dev/null || true
  tail -n 20 "$DIR"/log/cups-pdf*_log 2>/dev/null || true
  exit 1
fi
echo "cups: printed through queue $QUEUE: every check passed"
