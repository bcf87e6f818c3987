# Debian packages the project needs, and a helper that installs the missing ones.
# Sourced by the other scripts.
BUILD_PACKAGES=(g++ make cmake pkg-config libgtest-dev libgmock-dev tzdata libcurl4-openssl-dev python3 libpugixml-dev libcpp-httplib-dev libssl-dev libcrypt-dev sblim-wbemcli openssl libbenchmark-dev nlohmann-json3-dev libcli11-dev)
# What the full test run adds: clang with its sanitizer and libFuzzer runtimes, and the
# symbolizer that turns their reports' addresses into file and line.
CHECK_PACKAGES=(clang libclang-rt-14-dev llvm)
# What building OpenWBEM's own daemon (the real-host stage) needs.
REAL_HOST_PACKAGES=(autoconf automake libtool bison flex zlib1g-dev libpam0g-dev)
# What the Ansible collection's stage runs: Ansible, and Debian's copies of the linters its
# sanity tests use.
FLEET_PACKAGES=(ansible-core python3-voluptuous python3-pycodestyle pylint yamllint)
# What the package stage (scripts/package-check.sh) adds: the Debian package tools, and what the
# package depends on, installed beforehand so that purging it leaves the system as it was.
PACKAGE_PACKAGES=(debhelper dpkg-dev fakeroot lintian man-db adduser openssl)

ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing missing packages: ${missing[*]}"
        if [ "$(id -u)" -ne 0 ]; then
            echo "error: run as root, or install them first: apt-get install ${missing[*]}" >&2
            return 1
        fi
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}
