#!/usr/bin/env bash
# Installs the Debian packages of the groups named (runtime, build, test; none named: all three),
# and only those missing. Safe to run again: with everything present it only checks and returns.
#   runtime  what the application needs on the machine it runs on
#   build    what compiling the programs needs
#   test     what the tests need besides
set -euo pipefail

runtime=(
    # the interface's texts are Japanese: a font with their glyphs, and fc-list, with which the
    # install rules check that one is there
    fonts-noto-cjk fontconfig
    # Qt's own texts in Japanese
    qt6-translations-l10n
    # the interface's symbols: Adwaita's symbolic icons, drawn through Qt's SVG support
    adwaita-icon-theme libqt6svg6
    # the session bus, and a Secret Service that keeps the device keys
    dbus gnome-keyring
)
build=(
    # toolchain
    g++ make cmake ninja-build pkg-config clang libclang-rt-14-dev
    # libraries
    nlohmann-json3-dev libssl-dev libcurl4-openssl-dev qt6-base-dev libsecret-1-dev
    libxcb1-dev libxcb-res0-dev libqrencode-dev qt6-svg-dev
    # Unicode text rules and the local calendar of the shared library
    libicu-dev
)
test=(
    # the check of the sources' form
    clang-format-14
    # GoogleTest, a private session bus, an X display, the openssl command
    libgtest-dev libgmock-dev dbus-bin xvfb xauth openssl
    # a local HTTPS server for the backend client
    libcpp-httplib-dev
    # model tests: a real notification server for the re-lock warning
    dunst
    # the browser test of the native-messaging host: a real headless browser
    chromium
    # shell tests: real window managers for the lock panel, a compositing one (GNOME's) among
    # them, and a real XEmbed tray, tinted dark, that names no colour for its icons
    openbox mutter trayer
    # view tests: a QR reader to check the pairing code
    zbar-tools
    # the login item's entry checked and launched as the desktop does; the install test checks
    # the desktop entry with desktop-file-validate
    desktop-file-utils libglib2.0-bin
    # journey and install tests: a real pointer and keyboard (XTest); journey tests: the
    # accessibility bus through which they find the programs' buttons and read their texts
    libxcb-xtest0-dev at-spi2-core
)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(runtime build test)
packages=()
for group in "${groups[@]}"; do
    case "$group" in
        runtime) packages+=("${runtime[@]}") ;;
        build) packages+=("${build[@]}") ;;
        test) packages+=("${test[@]}") ;;
        *) echo "install-deps: unknown group \"$group\" (runtime, build, test)" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo (missing: ${missing[*]})" >&2; exit 1; }
    as_root=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
