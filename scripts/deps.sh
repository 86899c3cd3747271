# Installs the Debian packages the build and the tests need, when missing.
# Sourced by run.sh and test.sh.
PELORA_PACKAGES="cmake g++ make clang libclang-rt-14-dev qt6-base-dev qt6-serialport-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core dbus-daemon dbus-bin playerctl"

pelora_install_deps() {
    missing=""
    for p in $PELORA_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}
