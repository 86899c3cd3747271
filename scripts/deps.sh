# The Debian packages Pelora needs, and a function that installs the missing
# ones. Sourced (by bash) by run.sh, test.sh and .ci/run.

# Building and running the program: what run.sh installs.
PELORA_RUN_PACKAGES=(
    cmake g++ make
    qt6-base-dev qt6-serialport-dev
    libmosquitto-dev pkg-config         # the home network's MQTT client
    qt6-l10n-tools qt6-tools-dev        # the English translation: lupdate, lrelease, their CMake functions
    qt6-translations-l10n               # Qt's own texts (the standard buttons) in the window's language
    qt6-httpserver-dev qt6-websockets-dev libqrencode-dev   # the web remote, its event stream, its pairing code
)

# What the test command adds. One purpose a line; add new test tools here.
PELORA_TEST_PACKAGES=(
    libgtest-dev libgmock-dev           # unit, window, simulator and end-to-end tests
    fonts-dejavu-core                   # the window tests render text offscreen
    clang libclang-rt-14-dev            # fuzz targets: libFuzzer and the sanitizer runtimes
    dpkg-dev file                       # cpack: library dependencies of the Debian package
    lintian appstream desktop-file-utils man-db   # checks of the package, metainfo, desktop entry, manual
    xvfb dbus-daemon at-spi2-core python3-pyatspi   # the window on the accessibility bus, as a screen reader reads it
    orca xdotool                        # the screen reader itself on a keyboard tour, keys typed as on a keyboard
    libxcb1-dev                         # idle_bench: sees the window mapped, as the X server reports it
    dbus-daemon dbus-bin playerctl      # media interface end to end: a private session bus, dbus-send, the client
    libglib2.0-bin                      # media interface end to end: gdbus, to introspect and call it
    mosquitto mosquitto-clients         # home network end to end: a broker of the test's own, mosquitto_sub/_pub
    openssl                             # home network end to end: the broker's CA and certificate for TLS
    chromium chromium-driver python3-selenium   # the web remote in a real browser, driven over WebDriver
)

# pelora_install_deps run|test: installs the missing packages of the run
# command, or of the test command (which includes the run command's).
pelora_install_deps() {
    local wanted=("${PELORA_RUN_PACKAGES[@]}")
    [ "${1:-run}" = test ] && wanted+=("${PELORA_TEST_PACKAGES[@]}")
    local missing=() p sudo=""
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    # axe-core comes from npm: the machine's own Node.js, else Debian's.
    [ "${1:-run}" = test ] && ! command -v npm >/dev/null && missing+=(npm)
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
