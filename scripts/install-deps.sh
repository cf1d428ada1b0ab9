#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and only those missing.
# Safe to run again: with everything present it only checks and returns.
set -euo pipefail

packages=(
    # toolchain
    g++ make cmake ninja-build pkg-config clang libclang-rt-14-dev
    # libraries
    nlohmann-json3-dev libssl-dev libcurl4-openssl-dev qt6-base-dev libsecret-1-dev
    libxcb1-dev libxcb-res0-dev libqrencode-dev
    # Unicode text rules and the local calendar of the shared library
    libicu-dev
    # tests: GoogleTest, a private session bus, a Secret Service, an X display, the openssl command
    libgtest-dev libgmock-dev dbus dbus-bin gnome-keyring xvfb xauth openssl
    # tests: a local HTTPS server for the backend client
    libcpp-httplib-dev
    # model tests: a real notification server for the re-lock warning
    dunst
    # the browser test of the native-messaging host: a real headless browser
    chromium
    # shell tests: real window managers for the lock panel, a compositing one (GNOME's) among them
    openbox mutter
    # shell tests: a real XEmbed tray, tinted dark, that names no colour for its icons
    trayer
    # view tests: Japanese text in the screenshots, and a QR reader to check the pairing code
    fonts-noto-cjk zbar-tools
    # Qt's own texts in Japanese; tests: the login item's entry checked and launched as the
    # desktop does
    qt6-translations-l10n desktop-file-utils libglib2.0-bin
    # the interface's symbols: Adwaita's symbolic icons, drawn through Qt's SVG support; the
    # install test checks the desktop entry with desktop-file-validate
    adwaita-icon-theme qt6-svg-dev libqt6svg6
    # journey and install tests: a real pointer and keyboard (XTest); journey tests: the
    # accessibility bus through which they find the programs' buttons and read their texts
    libxcb-xtest0-dev at-spi2-core
)

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
