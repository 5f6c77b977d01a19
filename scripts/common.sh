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
# The page: Debian's emscripten builds it (through CMake and Ninja, also when scripts/web runs
# alone); Chromium and WebKitGTK, driven by Selenium, and Firefox, over its own protocol, test it.
WEB_PACKAGES=(emscripten cmake ninja-build gettext python3)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium firefox-esr webkit2gtk-driver xvfb)

# install_packages PACKAGE...: installs those that are not installed yet, as root.
install_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || {
            echo "Missing packages: ${missing[*]}. Run this as root to install them." >&2
            exit 1
        }
        as_root=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${as_root[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
}

build_project() {
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$BUILD"
}
