#!/bin/bash
# Sourced by tests/cluster/run.sh and bench.sh: a Slurm cluster made here, for the demo of
# demo/cluster. munge, slurmctld and two slurmd nodes (n1, n2, 2 CPUs each); the controller and
# each node in a network namespace of its own that this makes (a bridge in the controller's
# namespace joins them; no other address is used and nothing else is contacted), all removed at
# the end, also when a check fails or the script is interrupted. Every wait is bounded.
#
# Before sourcing, the script may set cluster_config (lines added to slurm.conf),
# cluster_scheduler (its SchedulerParameters; by default the scheduler runs every second) and
# octave_seconds (the bound of run_octave, default 120); its first argument, if any, is the
# folder of the Octave modules (default build/octave of this source tree). After it: $work (the
# scratch folder: configuration, daemon logs, results; removed at the end unless KEEP_WORK=1),
# $ctl, $n1, $n2 (the namespaces), $slurmd_n1, $script (the demo's sbatch script), jobs see
# OCTAVE_PATH with the modules, the demo and tests/cluster, and these functions: skip, fail, say,
# slurm (a client command where the controller is), wait_for, run_octave, nodes_idle, job_done.
# Set passed=yes at the end: a failure prints the end of each log.
#
# Exit status of the script: 77 skipped (one line "skipped: <reason>": not root, Slurm, munge,
# Octave or network namespaces missing, or munged, slurmctld or a slurmd installed but not
# coming up here, with the daemon's own first error line).
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
modules=$(cd "${1:-$root/build/octave}" 2>/dev/null && pwd) || modules=${1:-$root/build/octave}
script=$root/demo/cluster/chains.sbatch

skip() { passed=skipped; echo "skipped: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }
say() { echo "[$SECONDS s] $*"; }

[ "$(id -u)" = 0 ] || skip "needs root (network namespaces and the Slurm daemons)"
for tool in munged slurmctld slurmd sbatch squeue sinfo octave-cli ip nsenter setpriv timeout md5sum; do
  command -v $tool >/dev/null || skip "$tool not found (Debian: slurmctld slurmd slurm-client munge octave iproute2)"
done
id munge >/dev/null 2>&1 || skip "no user munge (Debian: munge)"
[ -f "$modules/unitrun.m" ] && [ -f "$modules/waitdraw.mex" ] ||
  fail "no Octave build of montemex in $modules (build it first, or name the folder)"

work=$(mktemp -d /tmp/montemex-cluster.XXXXXX)
chmod 711 "$work"                     # munged runs as munge and must reach its socket here
ctl=montemex-$$-ctl
n1=montemex-$$-n1
n2=montemex-$$-n2
namespaces=""
daemons=""
netns_mounted_before=no
mountpoint -q /run/netns 2>/dev/null && netns_mounted_before=yes
passed=no

# Ends every process in our namespaces (daemons and the jobs they started), then the namespaces.
teardown() {
  set +e
  trap - EXIT INT TERM HUP
  local ns pids left="" signal
  for signal in TERM KILL; do
    pids=""
    for ns in $namespaces; do pids="$pids $(ip netns pids "$ns" 2>/dev/null)"; done
    [ -n "${pids// /}" ] && kill -$signal $pids 2>/dev/null
    for _ in $(seq 50); do               # at most 5 s
      left=""
      for ns in $namespaces; do left="$left$(ip netns pids "$ns" 2>/dev/null)"; done
      [ -z "$left" ] && break
      sleep 0.1
    done
    [ -z "$left" ] && break
  done
  [ -n "$left" ] && echo "processes still running in the test's namespaces: $left" >&2
  [ -z "$left" ] && [ -n "$daemons" ] && wait $daemons 2>/dev/null   # they have ended: collect them
  for ns in $namespaces; do ip netns del "$ns" || echo "could not remove namespace $ns" >&2; done
  if [ $netns_mounted_before = no ] && [ -z "$(ip netns list)" ] && mountpoint -q /run/netns; then
    umount /run/netns 2>/dev/null
  fi
  if [ $passed = no ] && [ -d "$work" ]; then
    for log in "$work"/*.out "$work"/jobcomp.txt; do
      [ -s "$log" ] && { echo "--- $log (last lines)"; tail -n 6 "$log"; } >&2
    done
  fi
  if [ -n "${KEEP_WORK:-}" ]; then echo "kept $work" >&2; else rm -rf "$work"; fi
}
trap teardown EXIT
trap 'exit 1' INT TERM HUP

# start NAMESPACE NAME COMMAND...: runs a daemon in the foreground, as a child of this script, in
# a namespace; its output (the Slurm daemons' log) goes to NAME.out, its process id to $started.
start() {
  local ns=$1 name=$2; shift 2
  nsenter --net=/run/netns/"$ns" "$@" >"$work/$name.out" 2>&1 &
  started=$!
  daemons="$daemons $started"
}
# A Slurm client command, bounded, run where the controller is.
slurm() { timeout --foreground 20 nsenter --net=/run/netns/$ctl "$@"; }
# wait_for SECONDS WHAT COMMAND...: polls COMMAND every 0.2 s until it succeeds.
wait_for() {
  local limit=$1 what=$2; shift 2
  for _ in $(seq $((limit * 5))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  fail "no $what within $limit s"
}
# come_up SECONDS WHAT "PIDS" "LOGS" COMMAND...: waits as wait_for does, for daemons just started
# (PIDS) to give COMMAND's answer. Daemons that end or do not answer in time cannot run on this
# machine, whatever our code does: the test is skipped, with the first error in their LOGS.
come_up() {
  local limit=$1 what=$2 pids=$3 logs=$4 pid; shift 4
  for _ in $(seq $((limit * 5))); do
    "$@" >/dev/null 2>&1 && return 0
    for pid in $pids; do               # ended: gone, or a zombie not yet collected
      [ -e /proc/$pid ] && ! grep -q '^State:[[:space:]]*Z' /proc/$pid/status 2>/dev/null ||
        skip "$what: a daemon ended: $(daemon_error $logs)"
    done
    sleep 0.2
  done
  skip "$what: not within $limit s: $(daemon_error $logs)"
}
# daemon_error LOG...: the first line of the logs that reads like an error (a fatal one first),
# else the last line of a log. Not the errors Debian's Slurm prints on every start here (no PMIx
# library, a fresh controller's missing state files, a node's spool folder not made yet, hwloc).
daemon_error() {
  local pattern line="" log
  local noise='pmix|MPI: Cannot create context|state (save )?file|may be lost|Domain socket directory|xcpuinfo_hwloc'
  for pattern in 'fatal' 'error|fail|cannot|can.t|unable|denied|refused|insecure|invalid|not found'; do
    line=$(cat "$@" 2>/dev/null | grep -iE "$pattern" | grep -viE "$noise" | head -n 1)
    [ -n "$line" ] && break
  done
  for log in "$@"; do
    [ -z "$line" ] && line=$(grep -v '^[[:space:]]*$' "$log" 2>/dev/null | tail -n 1)
  done
  echo "${line:-their logs are empty}"
}
# Octave, bounded, where the controller is (so that scontrol reaches it).
run_octave() {
  timeout --foreground ${octave_seconds:-120} nsenter --net=/run/netns/$ctl octave-cli --norc --no-history --eval "$1" 2>&1 |
    grep -v "^error: ignoring const execution_exception"
  return "${PIPESTATUS[0]}"
}

# The network: namespaces ctl, n1, n2; a bridge in ctl; a veth pair from the bridge to each node.
for ns in $ctl $n1 $n2; do
  ip netns add "$ns" 2>/dev/null || skip "cannot make network namespaces here"
  namespaces="$namespaces $ns"
  ip -n "$ns" link set lo up
done
ip -n $ctl link add br0 type bridge &&
ip -n $ctl addr add 10.250.0.1/24 dev br0 &&
ip -n $ctl link set br0 up || skip "cannot make a bridge in a network namespace here"
for i in 1 2; do
  ns=$n1; [ $i = 2 ] && ns=$n2
  ip -n $ctl link add node$i type veth peer name eth0 netns "$ns" &&
  ip -n $ctl link set node$i master br0 up &&
  ip -n "$ns" addr add 10.250.0.1$i/24 dev eth0 &&
  ip -n "$ns" link set eth0 up || skip "cannot make veth pairs between network namespaces here"
done

# munge, as user munge, with a key made for this run.
mkdir -p "$work/munge"
head -c 1024 /dev/urandom >"$work/munge/key"
chown -R munge: "$work/munge"
chmod 700 "$work/munge"; chmod 400 "$work/munge/key"
mkdir -p "$work/socket"; chown munge: "$work/socket"; chmod 711 "$work/socket"
start $ctl munged setpriv --reuid=munge --regid=munge --init-groups munged --foreground \
  --socket="$work/socket/munge" --key-file="$work/munge/key" --pid-file="$work/munge/pid" \
  --log-file="$work/munge/log" --seed-file="$work/munge/seed"
come_up 10 "munged does not start" "$started" "$work/munged.out $work/munge/log" test -S "$work/socket/munge"

# Slurm: the controller at 10.250.0.1 (in ctl), nodes n1 at .11 and n2 at .12 with 2 CPUs each.
mkdir -p "$work/state" "$work/spool" "$work/control"
cat >"$work/slurm.conf" <<EOF
ClusterName=montemextest
SlurmctldHost=$(hostname -s)(10.250.0.1)
SlurmUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/socket/munge,cred_expire=5
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/filetxt
JobCompLoc=$work/jobcomp.txt
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
MailProg=/bin/true
ReturnToService=1
SlurmdTimeout=5
MessageTimeout=5
SchedulerParameters=${cluster_scheduler:-sched_interval=1,sched_min_interval=100000}
KillWait=2
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool/%n
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd-%n.pid
NodeName=n1 NodeAddr=10.250.0.11 CPUs=2 State=UNKNOWN
NodeName=n2 NodeAddr=10.250.0.12 CPUs=2 State=UNKNOWN
PartitionName=test Nodes=n1,n2 Default=YES MaxTime=INFINITE State=UP
${cluster_config:-}
EOF
export SLURM_CONF=$work/slurm.conf
start $ctl slurmctld slurmctld -D -f "$SLURM_CONF"
slurm_pids=$started
start $n1 slurmd-n1 slurmd -D -f "$SLURM_CONF" -N n1
slurmd_n1=$started
slurm_pids="$slurm_pids $started"
start $n2 slurmd-n2 slurmd -D -f "$SLURM_CONF" -N n2
slurm_pids="$slurm_pids $started"
nodes_idle() { [ "$(slurm sinfo -h -N -o '%N %t' | sort | tr '\n' ' ')" = "n1 idle n2 idle " ]; }
come_up 30 "the Slurm nodes do not become idle" "$slurm_pids" "$work/slurmctld.out $work/slurmd-n1.out $work/slurmd-n2.out" nodes_idle
say "cluster up: controller and nodes n1, n2 idle"

# What each job sees: the modules, the demo and the test unit on Octave's path.
export OCTAVE_PATH=$modules:$root/demo/cluster:$here
unset RESULTS UNIT MASTER
job_done() { local left; left=$(slurm squeue -h -j "$1" -o %i) && [ -z "$left" ]; }
