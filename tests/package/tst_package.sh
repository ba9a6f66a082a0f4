#!/usr/bin/env bash
# The Debian packages as a tablet gets them: built with CPack from the build folder, their contents,
# their Depends against the QML the views import, lintian (errors fail), the AppStream metainfo, and
# the app unpacked into an empty folder and started from there with the system's QML and plugins only.
# Usage: tst_package.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
SRC=$1
BUILD=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }

(cd "$BUILD" && cpack -G DEB -B "$WORK/out" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack"; exit 1; }
VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
ARCH=$(dpkg --print-architecture)
APP="$WORK/out/kinderopvang_${VERSION}_${ARCH}.deb"
SERVER="$WORK/out/kinderopvang-server_${VERSION}_${ARCH}.deb"
[ -f "$APP" ] && [ -f "$SERVER" ] && pass "both packages named as apt expects" || { ls "$WORK/out"; fail "package names"; exit 1; }

# --- contents
check_paths() {
    local deb=$1; shift
    local listing
    listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for path in "$@"; do
        grep -qx "./$path" <<<"$listing" && pass "$(basename "$deb") holds /$path" || fail "$(basename "$deb") lacks /$path"
    done
}
icons=()
for size in 16 24 32 48 64 128 256; do icons+=("usr/share/icons/hicolor/${size}x${size}/apps/kinderopvang.png"); done
check_paths "$APP" usr/bin/kinderopvang usr/share/applications/org.kinderopvang.Kinderopvang.desktop \
    usr/share/metainfo/org.kinderopvang.Kinderopvang.metainfo.xml \
    usr/share/kinderopvang/translations/kinderopvang_en.qm usr/share/man/man1/kinderopvang.1.gz \
    usr/share/doc/kinderopvang/copyright usr/share/doc/kinderopvang/changelog.gz "${icons[@]}"
check_paths "$SERVER" usr/bin/kinderopvang-server lib/systemd/system/kinderopvang-server.service \
    etc/default/kinderopvang-server usr/share/man/man1/kinderopvang-server.1.gz \
    usr/share/doc/kinderopvang-server/copyright
dpkg-deb -I "$SERVER" conffiles | grep -qx /etc/default/kinderopvang-server && pass "the defaults file is a conffile" \
    || fail "/etc/default/kinderopvang-server is no conffile"
# Off until enabled: the maintainer scripts never enable or start the service.
dpkg-deb -e "$SERVER" "$WORK/server-control"
if grep -hE 'systemctl[^|]*(enable|start)|deb-systemd-invoke' "$WORK/server-control"/post* "$WORK/server-control"/pre* 2>/dev/null; then
    fail "a maintainer script enables or starts the service"
else
    pass "the service stays off until enabled"
fi

# --- Depends: every QML module a view imports, and the run-time plugins
DEPENDS=$(dpkg-deb -f "$APP" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
QMLDIR=$(qtpaths6 --query QT_INSTALL_QML 2>/dev/null || echo /usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qt6/qml)
modules=$(grep -rhoE '^\s*import\s+[A-Z][A-Za-z0-9_.]*' "$SRC/src" --include='*.qml' | awk '{print $2}' | sort -u)
[ -n "$modules" ] || fail "no QML imports found"
for module in $modules; do
    qmldir="$QMLDIR/${module//.//}/qmldir"
    pkg=$(dpkg -S "$qmldir" 2>/dev/null | cut -d: -f1)
    if [ -z "$pkg" ]; then fail "no Debian package holds $qmldir ($module)"; continue; fi
    grep -qx "$pkg" <<<"$DEPENDS" && pass "Depends names $pkg ($module)" || fail "Depends lacks $pkg for import $module"
done
# The QML modules the app's imports load in turn (the keyboard's folder model and sounds, the style's
# shapes) are in the project's package list, checked against the module tree by tst_qmlpackages.
source "$SRC/scripts/packages.sh"
runtime=$(printf '%s\n' "${CC_PACKAGES[@]}" | grep -E '^qml6-module-' | grep -vx qml6-module-qttest)
for pkg in $runtime qt6-qpa-plugins qt6-virtualkeyboard-plugin fonts-dejavu-core libqt6network6 libqt6gui6; do
    grep -qx "$pkg" <<<"$DEPENDS" && pass "Depends names $pkg" || fail "Depends lacks $pkg"
done

# --- lintian: errors fail, warnings are shown
lintian --tag-display-limit 0 "$APP" "$SERVER" >"$WORK/lintian.log" 2>&1
cat "$WORK/lintian.log"
grep -q '^E: ' "$WORK/lintian.log" && fail "lintian reports errors" || pass "lintian: no errors"

# --- unpacked into an empty folder, started from there
ROOT="$WORK/root"
dpkg-deb -x "$APP" "$ROOT"
dpkg-deb -x "$SERVER" "$ROOT"
appstreamcli validate --no-net "$ROOT/usr/share/metainfo/org.kinderopvang.Kinderopvang.metainfo.xml" \
    && pass "appstreamcli validate" || fail "appstreamcli validate"
clean_env=(env -u QML_IMPORT_PATH -u QML2_IMPORT_PATH -u QT_PLUGIN_PATH -u QT_QPA_PLATFORM_PLUGIN_PATH
    -u LD_LIBRARY_PATH HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=offscreen)
mkdir -p "$WORK/home" "$WORK/run" && chmod 700 "$WORK/run"
out=$("${clean_env[@]}" "$ROOT/usr/bin/kinderopvang" --version 2>&1)
[ "$out" = "kinderopvang $VERSION" ] && pass "unpacked app --version" || fail "unpacked app --version: $out"
out=$("${clean_env[@]}" "$ROOT/usr/bin/kinderopvang-server" --version 2>&1)
[ "$out" = "kinderopvang-server $VERSION" ] && pass "unpacked server --version" || fail "unpacked server --version: $out"
# One start to the coupling screen, in English, with the catalogue the package installed.
out=$("${clean_env[@]}" LC_ALL=en_GB.UTF-8 timeout 60 "$ROOT/usr/bin/kinderopvang" --selftest 2>"$WORK/selftest.err")
status=$?
echo "$out"
if [ $status -eq 0 ] && grep -qx "first screen: login (serverAddress)" <<<"$out"; then
    pass "unpacked app shows the server address step"
else
    cat "$WORK/selftest.err"; fail "unpacked app --selftest (exit $status)"
fi
grep -qx "catalogue: $ROOT/usr/share/kinderopvang/translations/kinderopvang_en.qm" <<<"$out" \
    && pass "the installed English catalogue is used" || fail "the installed catalogue was not used"

echo "$failures failure(s)"
[ $failures -eq 0 ]
