#!/usr/bin/env bash
# Checks the packages in dist/ (scripts/package.sh makes them): their contents,
# lintian without errors, and a database created by the packaged server program.
set -euo pipefail
cd "$(dirname "$0")/.."
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

deb() { ls dist/"$1"_*.deb 2>/dev/null | head -n1; }
expect_files() {
  local package="$1" file listing
  shift
  file="$(deb "$package")"
  [ -n "$file" ] || { fail "no package $package in dist/"; return; }
  listing="$(dpkg-deb -c "$file" | awk '{print $6}')"
  for path in "$@"; do
    grep -qx "./${path#/}" <<<"$listing" || fail "$package lacks $path"
  done
}

expect_files vorlane-station /usr/bin/vorlane /usr/lib/vorlane/vorlane /usr/share/applications/vorlane.desktop \
  /etc/xdg/autostart/vorlane.desktop /usr/share/xsessions/vorlane-station.desktop \
  /usr/libexec/vorlane/vorlane-session /usr/share/icons/hicolor/scalable/apps/vorlane.svg \
  /usr/share/man/man1/vorlane.1.gz /usr/share/doc/vorlane-station/README.station \
  /usr/share/doc/vorlane-station/examples/mnt-vorlane-SERVER-srv-vorlane.mount
expect_files vorlane-server /usr/bin/vorlane-server /usr/lib/vorlane/vorlane-server \
  /usr/share/applications/vorlane-server.desktop /lib/systemd/system/vorlane-server.service \
  /usr/share/man/man1/vorlane-server.1.gz /usr/share/doc/vorlane-server/examples/smb.conf
multiarch="$(gcc -dumpmachine)"
expect_files libhostlens1 "/usr/lib/$multiarch/libhostlens.so.1"
expect_files libhostlens-dev /usr/include/hostlens/hostlens.h "/usr/lib/$multiarch/libhostlens.so" \
  /usr/bin/hostlens-info

# lintian's warnings are shown; an error fails the check.
if ! lintian --fail-on error --tag-display-limit 0 dist/*.deb; then
  fail "lintian reports errors"
fi

# The server program taken out of its package creates a database.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$(deb vorlane-server)" "$work/root"
if "$work/root/usr/lib/vorlane/vorlane-server" --init-database "$work/srv" --admin-password adm1n \
  --guest-password gu3st >"$work/init.log" 2>&1; then
  database="$work/srv/systemfiles/vlsystem.mdb"
  if [ "$(head -c 15 "$database" 2>/dev/null)" = "SQLite format 3" ]; then
    echo "packaged vorlane-server created $(basename "$database") ($(stat -c %s "$database") bytes)"
  else
    fail "packaged vorlane-server wrote no database: $(cat "$work/init.log")"
  fi
else
  fail "packaged vorlane-server --init-database failed: $(cat "$work/init.log")"
fi

if [ "$failures" -ne 0 ]; then
  echo "package check: $failures failure(s)" >&2
  exit 1
fi
echo "package check: all packages passed"
