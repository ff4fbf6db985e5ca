# Shared by scripts/run and scripts/test: installs what is missing, then configures and builds.
set -euo pipefail

ZORLITH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZORLITH_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libcurl4-openssl-dev nettle-dev libpcre2-dev nlohmann-json3-dev libsqlite3-dev
  libcpp-httplib-dev libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-webengine-dev libgl-dev libx11-dev
  xvfb xauth fonts-noto-cjk curl
)

zorlith_install_missing() {
  local missing=()
  for package in "${ZORLITH_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# zorlith_build PRESET: configure (once) and build with the preset.
zorlith_build() {
  local preset=$1
  cd "$ZORLITH_ROOT"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}
