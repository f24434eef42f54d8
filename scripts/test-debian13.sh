#!/usr/bin/env bash
# Proves the README's test command on a fresh Debian 13: runs `VYX_SKIP_TSAN=1 bash
# scripts/test.sh` as root in a clean trixie root made with `debootstrap --variant=minbase`, on a
# clone of the current commit (uncommitted changes are not in it), and prints the ctest summary.
#
#   sudo bash scripts/test-debian13.sh
#
# Needs root and deb.debian.org (or $DEBIAN_MIRROR); installs debootstrap with apt-get when it is
# missing. The bare root is kept as a tarball in <build>/debian13/ (build, or $BUILD_DIR) for the
# next run; delete it to start from a new download. Each run unpacks it into <build>/debian13/root
# with /proc, /sys, /dev, /dev/pts and /dev/shm bound in, and unmounts them however the run ends;
# the root is removed after a pass and kept after a failure until the next run. The whole package
# set is downloaded on every run, so this is not part of .ci/run: run it whenever
# scripts/setup-deps.sh changes. The full log is <build>/debian13/test.log.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
    echo "test-debian13.sh needs root (chroot, mounts): sudo bash scripts/test-debian13.sh" >&2
    exit 2
fi

repo=$(pwd)
work="$repo/${BUILD_DIR:-build}/debian13"
tarball="$work/trixie-minbase.tar.gz"
root="$work/root"
log="$work/test.log"
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
mounts=(proc sys dev dev/pts dev/shm)
started=$SECONDS

if ! command -v debootstrap >/dev/null; then
    echo "Installing debootstrap (used by this script only)"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends debootstrap
fi

# Process ids whose root directory is $1.
inside() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$1" ] && echo "${p#/proc/}"
    done
    return 0
}

# Ends what still runs inside the root, then unmounts in reverse order. The root is removed only
# when nothing is mounted in it any more, so a removal can never reach the host's /dev or /proc.
release_root() {
    [ -d "$root" ] || return 0
    local real pid i
    real=$(realpath "$root")
    for ((i = 0; i < 50; i++)); do
        local left=0
        for pid in $(inside "$real"); do
            kill -KILL "$pid" 2>/dev/null && left=1
        done
        [ "$left" -eq 0 ] && break
        sleep 0.1
    done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        if mountpoint -q "$root/${mounts[i]}"; then
            umount "$root/${mounts[i]}" 2>/dev/null || umount -l "$root/${mounts[i]}"
        fi
    done
    if findmnt -rno TARGET | grep -q "^$real/"; then
        echo "still mounted under $root; not removing it" >&2
        return 1
    fi
}
remove_root() {
    release_root && rm -rf --one-file-system "$root"
}
trap 'release_root' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mkdir -p "$work"
remove_root  # left over from a run that was killed

if [ ! -f "$tarball" ]; then
    echo "Making a minimal Debian 13 root with debootstrap (kept as $tarball)"
    debootstrap --variant=minbase trixie "$root" "$mirror"
    tar -C "$root" -czf "$tarball.part" .
    mv "$tarball.part" "$tarball"
    remove_root
fi
mkdir -p "$root"
tar -C "$root" -xzf "$tarball"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# Nothing the packages bring along starts as a service inside the root.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
for m in "${mounts[@]}"; do
    mkdir -p "$root/$m"
    mount --bind "/$m" "$root/$m"
done

commit=$(git rev-parse HEAD)
[ -z "$(git status --porcelain --untracked-files=no)" ] || echo "Note: uncommitted changes are not tested"
git clone -q --no-checkout "$repo" "$root/root/zyntra-terminal"
git -C "$root/root/zyntra-terminal" checkout -q --detach "$commit"
echo "Testing $(git log -1 --format='%h %s' "$commit") on Debian $(cat "$root/etc/debian_version")"

status=0
chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" VYX_SKIP_TSAN=1 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /root/zyntra-terminal && bash scripts/test.sh' >"$log" 2>&1 || status=$?

echo
echo "== Debian 13 ($(cat "$root/etc/debian_version")), commit ${commit:0:7}: ctest summary"
sed -n '/tests passed, /,$p' "$log" | grep -v '^Errors while running CTest' || tail -n 40 "$log"
if [ "$status" -eq 0 ]; then
    remove_root
else
    release_root
    echo "FAILED (exit $status); the root stays in $root until the next run; log: $log"
fi
echo "time: $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
exit "$status"
