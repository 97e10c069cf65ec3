#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# A machine that has just booted may run apt itself for a while; this waits for it, at most
# ZELVORIN_APT_LOCK_TIMEOUT seconds (600 by default).
set -euo pipefail

packages=(
    cmake g++ make ccache pkg-config lld
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-odbc libsqlite3-dev libgl-dev
    libquazip1-qt6-dev libopencv-dev qt6-image-formats-plugins
    zip unzip
    unixodbc unixodbc-dev tdsodbc libsqliteodbc
    dbus xvfb xauth fonts-dejavu-core
)

# One query for all: a package dpkg does not know is left out of its answer.
declare -A installed=()
while IFS=$'\t' read -r package status; do
    if [ "$status" = "install ok installed" ]; then
        installed[$package]=1
    fi
done < <(dpkg-query -W -f='${Package}\t${Status}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for package in "${packages[@]}"; do
    if [ -z "${installed[$package]:-}" ]; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
lock_timeout=${ZELVORIN_APT_LOCK_TIMEOUT:-600}
apt_get=("${sudo_cmd[@]}" apt-get -o "DPkg::Lock::Timeout=$lock_timeout")

# apt waits for the package database's lock by itself, not for the package lists' lock that
# an update takes: that wait is ours.
deadline=$((SECONDS + lock_timeout))
until errors=$("${apt_get[@]}" update -qq 2>&1 >/dev/null); do
    if ! grep -q "Could not get lock" <<<"$errors" || [ "$SECONDS" -ge "$deadline" ]; then
        echo "$errors" >&2
        exit 100
    fi
    echo "Waiting for another apt run to finish ..." >&2
    sleep 2
done
if [ -n "$errors" ]; then
    echo "$errors" >&2
fi
"${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
