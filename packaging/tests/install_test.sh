#!/usr/bin/env bash
# install_test.sh --build BUILD_DIR | --package PACKAGE
#
# The kit as an administrator gets it: BUILD_DIR installed with `cmake --install`
# into a temporary prefix, or the Debian package PACKAGE unpacked into a
# temporary root. Either way the installed files must be exactly those README.md
# lists (the block after "The package holds:"), and a headless export with
# messages of a sample server, started by name through the bin/ links from
# another folder, must find the extractor and the language files beside the
# real programs. A package must also depend on exactly the packages README.md
# lists (the line starting "Depends:").
set -euo pipefail
readme="$(cd "$(dirname "$0")/../.." && pwd)/README.md"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "install test: $*" >&2
  failures=$((failures + 1))
}
# Package names of a Depends-like list, without versions, one per line, sorted.
package_names() { tr -d '`' | tr ',' '\n' | sed 's/(.*)//; s/^ *//; s/ *$//' | sed '/^$/d' | sort; }

case "${1:-}" in
  --build)
    prefix="$work/prefix"
    cmake --install "$2" --prefix "$prefix" >/dev/null
    ;;
  --package)
    package="$(realpath "$2")"
    dpkg-deb -x "$package" "$work/root"
    prefix="$work/root/usr"
    listed_depends="$(sed -n 's/^Depends: //p' "$readme" | package_names)"
    packaged_depends="$(dpkg-deb -f "$package" Depends | package_names)"
    [ -n "$listed_depends" ] || fail "README.md lists no Depends"
    if [ "$listed_depends" != "$packaged_depends" ]; then
      fail "the package's Depends differ from README.md's:"
      diff <(echo "$listed_depends") <(echo "$packaged_depends") >&2 || true
    fi
    ;;
  *)
    echo "usage: install_test.sh --build BUILD_DIR | --package PACKAGE" >&2
    exit 64
    ;;
esac

# The README lists the package's files under /usr; a link with its target.
listed_files="$(awk '/^The package holds:/ { block = 1; next }
  block && /^```/ { if (++fences == 2) exit; next }
  fences == 1 { print }' "$readme" | sort)"
installed_files="$(find "$prefix" ! -type d -printf '/usr/%P\t%l\n' | sed 's/\t$//; s/\t/ -> /' | sort)"
[ -n "$listed_files" ] || fail "README.md lists no package contents"
if [ "$listed_files" != "$installed_files" ]; then
  fail "the installed files differ from README.md's list:"
  diff <(echo "$listed_files") <(echo "$installed_files") >&2 || true
fi

cd "$work"
mkdir -m 700 runtime
run() {
  env PATH="$prefix/bin:/usr/bin:/bin" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/runtime" XDG_CONFIG_HOME="$work/config" \
    KORVEL_REGISTRY="$work/server/registry.reg" KORVEL_DB_CONNECT="sqlite:$work/server/KorvelDb.sqlite" "$@"
}

version="$(run KorvelToMaelisMigrationExport --version)"
grep -qx 'Language files: DEU, FRA, JPN' <<<"$version" || fail "the installed program finds other language files: $version"

run korvel-sample server --subscribers 39 --messages 40 --seed 7 >/dev/null
mkdir export
status=0
run KorvelToMaelisMigrationExport --headless --output export/ --include-messages --accept-account \
  >export.out 2>export.err || status=$?
[ "$status" -eq 0 ] || fail "the installed export ended with status $status: $(tail -n 3 export.err)"
grep -q '^errors: ' export.out || fail "the installed export did not reach its end"
extraction_log="$(sed -n 's/^extraction log: //p' export.out)"
if [ ! -f "$extraction_log" ]; then
  fail "no extraction log: the installed export did not start the extractor"
else
  tail -n 1 "$extraction_log" | grep -q '^LogFile closed at' || fail "the extraction log has no closing line"
  [ -n "$(find export -name '*.msg')" ] || fail "the installed extractor wrote no message file"
fi

[ "$failures" -eq 0 ]
