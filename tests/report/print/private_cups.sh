# A CUPS scheduler of the test's own, for the printing tests (sourced by
# them): configuration, spool, cache, logs and output under one temporary
# folder, listening on a local socket only, with one queue "talven-test"
# (fixtures/queue.ppd) whose jobs land as PDF files in $CUPS_OUT. The
# machine's own CUPS configuration and service are never touched: every
# client here talks to this scheduler through CUPS_SERVER.
#
#   start_private_cups FIXTURES   exits 77 (skipped) where it cannot start
#   wait_for_jobs N               until N jobs have come out (30 s at most)
#   stop_private_cups             (also on exit)

start_private_cups() {
  fixtures=$1
  if [ "$(id -u)" -ne 0 ]; then echo "SKIP: the private CUPS scheduler needs root"; exit 77; fi
  for tool in cupsd lpadmin lpstat pdfinfo pdftotext; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
  done
  [ -x /usr/lib/cups/filter/pdftopdf ] || { echo "SKIP: the CUPS filters are not installed"; exit 77; }
  CUPS_DIR=$(mktemp -d /tmp/talven-cups.XXXXXX)
  trap stop_private_cups EXIT
  mkdir -p "$CUPS_DIR/spool" "$CUPS_DIR/tmp" "$CUPS_DIR/cache" "$CUPS_DIR/state" "$CUPS_DIR/log" \
           "$CUPS_DIR/out" "$CUPS_DIR/bin/backend"
  # Filters run as the scheduler's user (lp): they must reach the folder.
  chmod 755 "$CUPS_DIR"
  chmod 1777 "$CUPS_DIR/tmp"
  for d in filter daemon cgi-bin notifier monitor; do ln -s "/usr/lib/cups/$d" "$CUPS_DIR/bin/$d"; done
  install -m 700 "$fixtures/pdf_backend" "$CUPS_DIR/bin/backend/pdfdir"
  cat > "$CUPS_DIR/cupsd.conf" <<CONF
Listen $CUPS_DIR/sock
LogLevel info
WebInterface No
Browsing No
BrowseLocalProtocols none
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
  cat > "$CUPS_DIR/cups-files.conf" <<CONF
ServerRoot $CUPS_DIR
ServerBin $CUPS_DIR/bin
RequestRoot $CUPS_DIR/spool
TempDir $CUPS_DIR/tmp
CacheDir $CUPS_DIR/cache
StateDir $CUPS_DIR/state
AccessLog $CUPS_DIR/log/access_log
ErrorLog $CUPS_DIR/log/error_log
PageLog $CUPS_DIR/log/page_log
Printcap $CUPS_DIR/printcap
CONF
  cupsd -f -c "$CUPS_DIR/cupsd.conf" -s "$CUPS_DIR/cups-files.conf" > "$CUPS_DIR/log/cupsd.out" 2>&1 &
  CUPS_PID=$!
  export CUPS_SERVER="$CUPS_DIR/sock"
  CUPS_OUT="$CUPS_DIR/out"
  for _ in $(seq 1 50); do
    [ -S "$CUPS_SERVER" ] && lpstat -r >/dev/null 2>&1 && break
    kill -0 "$CUPS_PID" 2>/dev/null || break
    sleep 0.2
  done
  if ! lpstat -r >/dev/null 2>&1; then
    echo "SKIP: the private CUPS scheduler did not start:"
    cat "$CUPS_DIR/log/cupsd.out" "$CUPS_DIR/log/error_log" 2>/dev/null | tail -5
    exit 77
  fi
  lpadmin -p talven-test -v "pdfdir:$CUPS_OUT" -P "$fixtures/queue.ppd" -E 2>/dev/null &&
    lpadmin -d talven-test || { echo "SKIP: the test queue cannot be added"; exit 77; }
}

wait_for_jobs() {
  for _ in $(seq 1 150); do
    n=$(find "$CUPS_OUT" -name 'job-*.pdf' | wc -l)
    [ "$n" -ge "$1" ] && [ -z "$(lpstat -o 2>/dev/null)" ] && return 0
    sleep 0.2
  done
  echo "FAIL: expected $1 job(s), have $(find "$CUPS_OUT" -name 'job-*.pdf' | wc -l)"
  tail -20 "$CUPS_DIR/log/error_log"
  return 1
}

stop_private_cups() {
  if [ -n "${CUPS_PID:-}" ]; then
    kill "$CUPS_PID" 2>/dev/null
    wait "$CUPS_PID" 2>/dev/null
    CUPS_PID=
  fi
  [ -n "${CUPS_DIR:-}" ] && rm -rf "$CUPS_DIR"
}
