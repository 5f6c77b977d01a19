# Shared by scripts/run and scripts/test: installs missing Debian packages and builds the project.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ORBSKIN_BUILD_DIR:-$ROOT/build}

# What building needs on a fresh Debian 12. The DejaVu fonts make text metrics the same everywhere,
# and Noto CJK draws the preview sheet's captions in Chinese and Japanese;
# the image-format plugins let import read TIFF and WebP; zlib inflates PNG for our reader;
# gettext and Python check the translations and compile them into our own tables.
BUILD_PACKAGES=(g++ cmake ninja-build libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
                gettext python3
                zlib1g-dev qt6-base-dev qt6-image-formats-plugins fonts-dejavu-core fonts-noto-cjk)
# What the tests need besides: an X server, a window manager, X tools, the .deb tools, and
# ImageMagick, rsvg-convert, GraphicsMagick and cjpeg to write pictures as real image tools do.
TEST_PACKAGES=(xvfb openbox xdotool x11-utils dpkg-dev file imagemagick lintian desktop-file-utils
               librsvg2-bin graphicsmagick libjpeg-turbo-progs)
# What the benchmarks compare with: ImageMagick's dithering.
BENCH_PACKAGES=(imagemagick)
# The page: Debian's emscripten builds it (through CMake and Ninja, also when scripts/web runs
# alone); Chromium and WebKitGTK, driven by Selenium, and Firefox, over its own protocol, test it.
WEB_PACKAGES=(emscripten cmake ninja-build gettext python3 zopfli)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium firefox-esr webkit2gtk-driver xvfb
    libgs-common)  # a colour profile that the engines apply

# not_installed PACKAGE...: prints those of them that are not installed, one a line.
not_installed() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            echo "$package"
    done
}

# install_packages PACKAGE...: installs those that are not installed yet, as root. When the
# package lists cannot all be refreshed (a mirror in the middle of a sync, say), it says so and
# installs from the lists it has; it fails only when installing fails, naming what is missing.
# It returns rather than relying on set -e, so that a caller may test it with if.
install_packages() {
    local missing=()
    mapfile -t missing < <(not_installed "$@")
    [ ${#missing[@]} -eq 0 ] && return 0

    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || {
            echo "Missing packages: ${missing[*]}. Run this as root to install them." >&2
            return 1
        }
        as_root=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${as_root[@]}" apt-get update -q ||
        echo "apt-get update failed; installing from the package lists already here" >&2
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends \
        "${missing[@]}" && return 0
    mapfile -t missing < <(not_installed "${missing[@]}")
    echo "apt-get install failed${missing[*]:+; still not installed: ${missing[*]}}" >&2
    return 1
}

build_project() {
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$BUILD"
}
