# Shared by ./demo and ./test: install what is missing, then configure and build.
# Sourced, not run.

KORVEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORVEL_BUILD="$KORVEL_ROOT/build"
# Everything again with clang under AddressSanitizer and UndefinedBehaviorSanitizer,
# with the fuzz targets.
KORVEL_SANITIZE_BUILD="$KORVEL_ROOT/build-sanitize"
# The Release build the Debian package is made from: the programs only.
KORVEL_PACKAGE_BUILD="$KORVEL_ROOT/build-package"

# Debian packages the kit needs to build, run and test (see README.md).
KORVEL_PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc
  unixodbc unixodbc-dev libsqliteodbc odbc-postgresql
  libsqlite3-dev sqlite3 libdw-dev libssl-dev python3
  help2man file
  googletest libgtest-dev time
  fonts-ipafont-gothic qt6-translations-l10n
  clang-14 libclang-rt-14-dev
)

korvel_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

korvel_install_missing() {
  local missing=() pkg
  for pkg in "${KORVEL_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    korvel_as_root apt-get update
    korvel_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
  fi
}

korvel_configure() {
  cmake -S "$KORVEL_ROOT" -B "$KORVEL_BUILD" "$@" >/dev/null
}

korvel_build() {
  cmake --build "$KORVEL_BUILD" --parallel "$(nproc)" "$@"
}

korvel_configure_sanitized() {
  CC=clang-14 CXX=clang++-14 cmake -S "$KORVEL_ROOT" -B "$KORVEL_SANITIZE_BUILD" \
    -DKORVEL_FUZZ=ON -DKORVEL_BUILD_TESTS=ON "$@" >/dev/null
}

korvel_build_sanitized() {
  cmake --build "$KORVEL_SANITIZE_BUILD" --parallel "$(nproc)" "$@"
}

# Configures (with the options given) and builds the Release build, then makes
# the Debian package in it; korvel_package_file names the package.
korvel_package() {
  cmake -S "$KORVEL_ROOT" -B "$KORVEL_PACKAGE_BUILD" -DCMAKE_BUILD_TYPE=Release \
    -DKORVEL_BUILD_TESTS=OFF "$@" >/dev/null
  cmake --build "$KORVEL_PACKAGE_BUILD" --parallel "$(nproc)"
  rm -f "$KORVEL_PACKAGE_BUILD"/*.deb
  (cd "$KORVEL_PACKAGE_BUILD" && cpack -G DEB >/dev/null)
}

korvel_package_file() {
  local packages=("$KORVEL_PACKAGE_BUILD"/*.deb)
  echo "${packages[0]}"
}
