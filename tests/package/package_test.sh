#!/usr/bin/env bash
# The Debian package as a user gets it: made from this build tree with CPack,
# its file list and fields, and the programs unpacked from it run against a
# fresh host; every man page renders without a warning; lintian finds no
# error and no warning in either package (the test skips at its end, naming
# lintian, where lintian is missing).
#   package_test.sh BUILD_DIR VERSION DEBIAN_VERSION
set -euo pipefail
build=$1
version=$2
deb_version=$3
for tool in dpkg-deb cpack man; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/zel0661_*.deb)
dialog_deb=$(ls "$work"/out/zel0661-dialog_*.deb 2>/dev/null || true)

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' | sort >"$work/files"
cat >"$work/expected" <<LIST
/usr/bin/formsetup
/usr/bin/sendsummary
/usr/bin/zelhost
/usr/lib/zel0661/extension/zeljet.so
/usr/share/bash-completion/completions/zelhost
/usr/share/doc/zel0661/README.md
/usr/share/doc/zel0661/changelog.Debian.gz
/usr/share/doc/zel0661/changelog.gz
/usr/share/doc/zel0661/copyright
/usr/share/lintian/overrides/zel0661
/usr/share/man/man1/formsetup.1.gz
/usr/share/man/man1/sendsummary.1.gz
/usr/share/man/man1/zelhost.1.gz
LIST
diff -u "$work/expected" "$work/files" || fail "the package's files"

[ "$(dpkg-deb -f "$deb" Package)" = zel0661 ] || fail "Package"
[ "$(dpkg-deb -f "$deb" Version)" = "$deb_version" ] || fail "Version"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "Maintainer"
# The Debian changelog's newest entry is this version.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/zel0661/changelog.Debian.gz | gzip -dc |
  head -n 1 | grep -qF "zel0661 ($deb_version) " || fail "changelog.Debian.gz does not begin with $deb_version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libsqlite3-0 libsodium23; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Suggests)" = sqlite3 ] || fail "Suggests"
# Where the dialog helper is built it is a package of its own, which the
# programs only recommend; GTK is its dependency, never theirs.
grep -q gtk <<<"$depends" && fail "the programs depend on GTK: $depends"
if [ -n "$dialog_deb" ]; then
  [ "$(dpkg-deb -f "$deb" Recommends)" = zel0661-dialog ] || fail "Recommends"
  dialog_depends=$(dpkg-deb -f "$dialog_deb" Depends)
  grep -q libgtk-3 <<<"$dialog_depends" || fail "the dialog package's Depends: $dialog_depends"
  grep -qF "zel0661 (= $deb_version)" <<<"$dialog_depends" || fail "the dialog package's Depends: $dialog_depends"
  [ -z "$(dpkg-deb -f "$dialog_deb" Suggests)" ] || fail "the dialog package suggests something"
  dpkg-deb -c "$dialog_deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./|/|' | sort >"$work/dialog_files"
  printf '%s\n' /usr/libexec/zel0661/zeldialog /usr/share/doc/zel0661-dialog/changelog.Debian.gz \
    /usr/share/doc/zel0661-dialog/changelog.gz /usr/share/doc/zel0661-dialog/copyright \
    /usr/share/lintian/overrides/zel0661-dialog | sort |
    diff -u - "$work/dialog_files" || fail "the dialog package's files"
fi

root=$work/root
dpkg-deb -x "$deb" "$root"
export WINDIR=$work/windows SOURCE_DATE_EPOCH=1718454225 ZEL_MESSAGE_LOG=$work/messages.jsonl
mkdir -p "$WINDIR"
[ "$("$root/usr/bin/zelhost" --version)" = "zelhost $version" ] || fail "zelhost --version"
"$root/usr/bin/zelhost" init "$work/host" >/dev/null
"$root/usr/bin/formsetup" || fail "formsetup"
record=$("$root/usr/bin/zelhost" sample "$work/host" | tail -n 1)
"$root/usr/bin/sendsummary" "$record" || fail "sendsummary"
[ ! -s "$work/messages.jsonl" ] || fail "a message box: $(cat "$work/messages.jsonl")"
ls "$work/host/TMP/"*.txt >/dev/null || fail "no text summary"
# The installed shell finds the installed extension: the engine's collation
# makes 'rp0019 ' equal to RP0019.
rows=$("$root/usr/bin/zelhost" shell "$work/host/zel.db" "SELECT count(*) FROM SPOOL WHERE CodRep = 'rp0019 '")
[ "$rows" = 1 ] || fail "zelhost shell: $rows"

for page in formsetup sendsummary zelhost; do
  warnings=$(man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done
echo "package: $(basename "$deb") holds what it should, and its programs run"

# lintian as Debian runs it, pedantic and with the information tags: any
# error or warning fails; the rest is shown.
command -v lintian >/dev/null ||
  { echo "SKIP: lintian is not installed (install-deps.sh package); the rest passed"; exit 77; }
status=0
lintian -I --pedantic --tag-display-limit 0 "$deb" $dialog_deb >"$work/lintian.log" 2>"$work/lintian.err" || status=$?
cat "$work/lintian.log"
found=$(grep -c '^[EW]: ' "$work/lintian.log" || true)
[ "$found" -eq 0 ] || fail "lintian: $found errors and warnings"
# A failure that reported no tag is lintian's own.
[ "$status" -eq 0 ] || { cat "$work/lintian.err"; fail "lintian did not run (exit status $status)"; }
echo "lintian: no error, no warning"
