# Debian packages the project needs; sourced by the scripts.
CC_PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts qml6-module-qtquick-templates
  qml6-module-qtquick-window qml6-module-qtqml-workerscript qml6-module-qttest
  qml6-module-qtqml qml6-module-qtqml-models qt6-multimedia-dev
  # The Basic style's selection rectangle draws with Qt Quick Shapes.
  qml6-module-qtquick-shapes
  libsqlite3-dev libicu-dev libcpp-httplib-dev libgl-dev
  xvfb xauth fonts-dejavu-core
  # Rebuilds that reuse earlier object files; the scripts use it where it is there.
  ccache
)
# Translations (lupdate, lrelease and their CMake functions); pdftotext for the tests that read PDFs.
CC_PACKAGES+=(qt6-tools-dev qt6-l10n-tools poppler-utils)
# The sanitized build and the fuzz targets: clang with its sanitizer runtimes and libFuzzer, and the
# symbolizer that names the frames of a report (the leak suppressions match on those names).
CC_PACKAGES+=(clang libclang-rt-14-dev libfuzzer-14-dev llvm)
# HTTPS: the reference server's TLS, and the openssl command that makes the tests' certificates.
CC_PACKAGES+=(libssl-dev openssl)
# The on-screen keyboard: its QML module and the input-context plugin Qt loads at run time. Its keyboard
# lists its layouts with the folder model and makes its key sounds with Qt Multimedia's QML module;
# neither is among the module's Debian dependencies.
CC_PACKAGES+=(qml6-module-qtquick-virtualkeyboard qt6-virtualkeyboard-plugin qml6-module-qt-labs-folderlistmodel
  qml6-module-qtmultimedia)
# Packaging: CPack's DEB generator uses dpkg-shlibdeps; the packages and their metainfo are checked.
CC_PACKAGES+=(dpkg-dev fakeroot lintian appstream)

# Installs what is missing; as non-root prints the exact command and fails.
cc_install_packages() {
  local missing=()
  for p in "${CC_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local cmd="apt-get install -y --no-install-recommends ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Run as root:" >&2
    echo "  apt-get update && $cmd" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
