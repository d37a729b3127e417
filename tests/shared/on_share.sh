#!/usr/bin/env bash
# Runs a command with a real SMB share mounted twice, as two PCs see one data
# folder on a file server:
#   - Samba (smbd, a private configuration) serves a temporary folder on
#     127.0.0.1, port 445;
#   - two FUSE mounts of that share made with smbnetfs, each its own SMB
#     session (its own "PC");
#   - the command runs with KPV_FOLDER_A and KPV_FOLDER_B set to the share as
#     seen through each mount.
# Everything runs in private network, mount and process namespaces: port 445
# and the mounts are this run's own, so other worktrees or CI runs on the
# machine running the same tests at the same time never collide; when the
# run ends the kernel ends whatever is left in it. Before that, the script
# unmounts both mounts and ends smbd and smbnetfs by their process ids,
# whether the command passed or failed.
#
# Without FUSE (no /dev/fuse) or without the programs, it says so in one line
# and fails: the share cases must not pass without a share.
set -euo pipefail

if [ -z "${KPV_SHARE_INSIDE:-}" ]; then
  if [ ! -c /dev/fuse ]; then
    echo "share tests: FUSE is missing (no /dev/fuse), the SMB share cannot be mounted: failing" >&2
    exit 1
  fi
  for tool in smbd smbclient smbnetfs unshare ip; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "share tests: $tool is missing (bash scripts/install-deps.sh installs it): failing" >&2
      exit 1
    fi
  done
  # --kill-child: should this script be killed outright (a test driver's
  # hard timeout), the namespace's first process goes with it, and with it
  # every process of the run.
  exec unshare --net --mount --pid --fork --kill-child --mount-proc --propagation private \
    env KPV_SHARE_INSIDE=1 bash "$0" "$@"
fi

ip link set lo up
work=$(mktemp -d "${TMPDIR:-/tmp}/kpv-share.XXXXXX")
smbd_pid="" command_pid="" fs_pids=() mounts=()

cleanup() {
  local status=${1:-$?}
  set +e
  trap - EXIT INT TERM
  [ -n "$command_pid" ] && [ "$command_pid" -gt 1 ] && kill "$command_pid" 2>/dev/null && wait "$command_pid" 2>/dev/null
  for m in "${mounts[@]}"; do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null
  done
  for p in "${fs_pids[@]}"; do
    [ "$p" -gt 1 ] && kill "$p" 2>/dev/null
  done
  [ -n "$smbd_pid" ] && [ "$smbd_pid" -gt 1 ] && kill "$smbd_pid" 2>/dev/null
  for p in "${fs_pids[@]}" $smbd_pid; do wait "$p" 2>/dev/null; done
  rm -rf "$work"
  exit $status
}
trap cleanup EXIT
# Ended from outside: fail, whatever the command had done so far.
trap 'cleanup 130' INT
trap 'cleanup 143' TERM

mkdir -p "$work/data" "$work/samba"/{pid,lock,state,cache,private}
chmod 0777 "$work/data"
cat >"$work/smb.conf" <<EOF
[global]
server role = standalone server
interfaces = 127.0.0.1
bind interfaces only = yes
smb ports = 445
pid directory = $work/samba/pid
lock directory = $work/samba/lock
state directory = $work/samba/state
cache directory = $work/samba/cache
private dir = $work/samba/private
log file = $work/samba/log.%m
map to guest = Bad User
guest account = root
load printers = no
disable spoolss = yes
# smbnetfs (libsmbclient) answers an oplock break only when it next talks to
# the server, so the server would hold another PC's open for up to 30 s:
# without oplocks every open goes to the server at once.
oplocks = no
level2 oplocks = no
kernel oplocks = no
[data]
path = $work/data
read only = no
guest ok = yes
force user = root
EOF
# In a process group of its own: smbd ends its whole process group when it
# stops, which would otherwise include this script (and end it with TERM, its
# status lost).
setsid smbd --foreground --no-process-group -s "$work/smb.conf" </dev/null >"$work/smbd.log" 2>&1 &
smbd_pid=$!
for _ in $(seq 100); do
  smbclient -N //127.0.0.1/data -c ls >/dev/null 2>&1 && break
  sleep 0.1
done
if ! smbclient -N //127.0.0.1/data -c ls >/dev/null 2>&1; then
  echo "share tests: smbd did not answer on 127.0.0.1:445" >&2
  cat "$work/smbd.log" >&2
  exit 1
fi

for pc in a b; do
  home="$work/home-$pc"
  mkdir -p "$home/.smb" "$work/mnt-$pc"
  echo 'auth "guest" ""' >"$home/.smb/smbnetfs.conf"
  chmod 600 "$home/.smb/smbnetfs.conf"
  : >"$home/.smb/smb.conf"
  HOME="$home" smbnetfs "$work/mnt-$pc" -f -o allow_other </dev/null >"$work/smbnetfs-$pc.log" 2>&1 &
  fs_pids+=($!)
  mounts+=("$work/mnt-$pc")
done
for pc in a b; do
  for _ in $(seq 100); do
    [ -d "$work/mnt-$pc/127.0.0.1/data" ] && break
    sleep 0.1
  done
  if [ ! -d "$work/mnt-$pc/127.0.0.1/data" ]; then
    echo "share tests: the smbnetfs mount of PC $pc did not come up" >&2
    cat "$work/smbnetfs-$pc.log" >&2
    exit 1
  fi
done

export KPV_FOLDER_A="$work/mnt-a/127.0.0.1/data/"
export KPV_FOLDER_B="$work/mnt-b/127.0.0.1/data/"
export KPV_SHARE_SERVER_FOLDER="$work/data/"
# In the background and waited for, so that a TERM (ctest's timeout) ends it
# and the clean-up still runs.
"$@" &
command_pid=$!
wait "$command_pid"
