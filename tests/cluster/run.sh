#!/bin/bash
# The cluster example of demo/cluster run for real on a Slurm cluster made here: munge, slurmctld
# and two slurmd nodes (n1, n2); the controller and each node in a network namespace of its own
# that this script makes (a bridge in the controller's namespace joins them; no other address is
# used and nothing else is contacted), all removed at the end, also when a check fails or the
# script is interrupted. Every wait is bounded.
#
#   tests/cluster/run.sh [OCTAVE_MODULES_DIR]      (default: build/octave of this source tree)
#
# Its scratch folder (/tmp/montemex-cluster.*: configuration, daemon logs, results) is removed at
# the end; KEEP_WORK=1 keeps it. A failure prints the end of each log.
#
# Exit status: 0 passed; 77 skipped (one line "skipped: <reason>": not root, Slurm, munge, Octave
# or network namespaces missing); anything else failed.
#
# It checks, with the demo's sbatch script and its chain (through tests/cluster/testunit.m, which
# can hold a unit or make it fail), each job array against the chains run one after another:
#   - bit for bit the same on node n1 alone, on both nodes, and forced onto n2 (-w);
#   - 2000 short chains, 100 a task, on a cluster whose MaxArraySize is 11 and max_array_tasks 8:
#     gather prints the commands that submit them (split into arrays Slurm accepts, with the
#     limits read from scontrol), run as printed; a task killed with SIGKILL part-way through its
#     units and a unit that fails: gather names the units left (the failure with its index and
#     message) and the tasks that hold them; its commands, run as printed, complete the set, and
#     the results already there keep their checksums and modification times; a sample of the
#     chains is the same bit for bit as run one after another;
#   - node n1 lost with units running on it: Slurm requeues them on n2, with the same results.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
modules=$(cd "${1:-$root/build/octave}" 2>/dev/null && pwd) || modules=${1:-$root/build/octave}
script=$root/demo/cluster/chains.sbatch
units=4
master=2026
many=2000 pertask=100 killed=250 failing=1650   # units 250 and 1650: in tasks 3 and 17

skip() { echo "skipped: $*"; exit 77; }
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
# Octave, bounded, where the controller is (so that scontrol reaches it).
run_octave() {
  timeout --foreground 120 nsenter --net=/run/netns/$ctl octave-cli --norc --no-history --eval "$1" 2>&1 |
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
wait_for 10 "munge socket" test -S "$work/socket/munge"

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
SchedulerParameters=sched_interval=1,sched_min_interval=100000,max_array_tasks=8
MaxArraySize=11
KillWait=2
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool/%n
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd-%n.pid
NodeName=n1 NodeAddr=10.250.0.11 CPUs=2 State=UNKNOWN
NodeName=n2 NodeAddr=10.250.0.12 CPUs=2 State=UNKNOWN
PartitionName=test Nodes=n1,n2 Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF=$work/slurm.conf
start $ctl slurmctld slurmctld -D -f "$SLURM_CONF"
start $n1 slurmd-n1 slurmd -D -f "$SLURM_CONF" -N n1
slurmd_n1=$started
start $n2 slurmd-n2 slurmd -D -f "$SLURM_CONF" -N n2
nodes_idle() { [ "$(slurm sinfo -h -N -o '%N %t' | sort | tr '\n' ' ')" = "n1 idle n2 idle " ]; }
wait_for 30 "two idle nodes" nodes_idle
say "cluster up: controller and nodes n1, n2 idle"

# What each job sees: the modules, the demo and the test unit on Octave's path.
export OCTAVE_PATH=$modules:$root/demo/cluster:$here
export UNIT=testunit MASTER=$master TESTUNIT_CONTROL=$work/control
unset RESULTS

# submit FOLDER SBATCH-OPTIONS...: submits the demo's script from FOLDER once both nodes are idle
# (placements are then as asked); prints the job's id.
submit() {
  local folder=$1; shift
  wait_for 30 "two idle nodes" nodes_idle
  mkdir -p "$folder"
  (cd "$folder" && slurm sbatch --parsable --array=1-$units "$@" "$script" $units) || fail "sbatch $* did not submit"
}
job_done() { local left; left=$(slurm squeue -h -j "$1" -o %i) && [ -z "$left" ]; }

# The reference: the chains one after another in one process, without Slurm.
run_octave "unitrun('$work/serial/results', $master, 1:$units, @testunit);" >/dev/null ||
  fail "the serial run failed"
say "serial run done"

# Forced onto n1, placed freely on both nodes, forced onto n2.
for run in "n1 -w n1" "both" "n2 -w n2"; do
  set -- $run
  name=$1; shift
  job=$(submit "$work/$name" "$@") || exit 1
  wait_for 90 "end of job $job ($name)" job_done "$job"
  say "job $job (${*:-no placement given}) done"
done

# Many short chains, in tasks of 100. gather, given the empty folder, prints the commands that
# submit them all; they are run as printed. Unit 250 is killed part-way through task 3 (the
# task's units after it are not run), unit 1650 (task 17) fails.
export TESTUNIT_SWEEPS=1
mkdir -p "$work/many"
# run_printed TEXT: runs each command in gather's TEXT as printed, from the run's folder; prints
# the ids of the jobs submitted.
run_printed() {
  local line
  echo "$1" | grep '^  sbatch ' | while read -r line; do
    (cd "$work/many" && slurm sh -c "$line") | sed -n 's/^Submitted batch job //p'
  done
}
# the_commands TEXT EXPECTED...: gather's TEXT ends in exactly these commands.
the_commands() {
  local text=$1; shift
  [ "$(echo "$text" | grep '^  sbatch ')" = "$(printf '  %s\n' "$@")" ] || fail "gather's commands are not as expected: $text"
}
gathered=$(run_octave "unitgather('$work/many/results', $master, $many, '$script', $pertask);")
echo "$gathered" | grep -q "^  units 1-$many: no result" || fail "gather on the empty folder: $gathered"
echo "$gathered" | grep -q "MaxArraySize 11, max_array_tasks 8, from scontrol show config" ||
  fail "gather did not read the cluster's limits: $gathered"
the_commands "$gathered" "sbatch --array=1-8 $script $many $pertask" "sbatch --array=1-8 $script $many $pertask 8" \
  "sbatch --array=1-4 $script $many $pertask 16"
touch "$work/control/hold$killed" "$work/control/fail$failing"
wait_for 30 "two idle nodes" nodes_idle
jobs=$(run_printed "$gathered" | tr '\n' ' ')
[ "$(echo $jobs | wc -w)" = 3 ] || fail "the printed commands did not submit three jobs: $jobs"
wait_for 120 "start of unit $killed" test -s "$work/control/started$killed"
read -r pid node <"$work/control/started$killed"
kill -KILL "$pid" || fail "could not kill unit $killed (process $pid on $node)"
rm -f "$work/control/hold$killed" "$work/control/started$killed"
for job in $jobs; do wait_for 180 "end of job $job (many)" job_done "$job"; done
first=${jobs%% *}
grep "ArrayJobId=$first ArrayTaskId=3 " "$work/jobcomp.txt" | grep -q "JobState=FAILED .*ExitCode=0:9" ||
  fail "Slurm did not see task 3 killed by SIGKILL"
gathered=$(run_octave "unitgather('$work/many/results', $master, $many, '$script', $pertask);")
say "jobs ${jobs% }: $many units, unit $killed killed, unit $failing failed; gather says:"
echo "$gathered"
echo "$gathered" | grep -q "^unitgather: 1948 of $many units done" || fail "gather's count"
echo "$gathered" | grep -q "^  units $killed-300: no result" || fail "gather does not name the units of the killed task"
echo "$gathered" | grep -Eq "^  unit $failing: failed on node n[12]: testunit:planned: Planned failure in unit $failing\.$" ||
  fail "gather does not name the failed unit $failing with its error"
the_commands "$gathered" "sbatch --array=3 $script $many $pertask" "sbatch --array=1 $script $many $pertask 16"
finished=$(cd "$work/many/results" && ls | grep '^unit[0-9]*\.mat$')
kept() { (cd "$work/many/results" && stat -c '%n %y' $finished && md5sum $finished); }
before=$(kept)
rm -f "$work/control/fail$failing"
jobs=$(run_printed "$gathered" | tr '\n' ' ')
for job in $jobs; do wait_for 60 "end of job $job (resubmitted)" job_done "$job"; done
[ "$(kept)" = "$before" ] || fail "resubmitting changed results that were there"
[ ! -e "$work/many/results/unit$failing.error.mat" ] || fail "the record of unit $failing's failure was not removed"
say "jobs ${jobs% } (the printed commands) done; the other results untouched"
unset TESTUNIT_SWEEPS

# Node n1 lost while it runs units: every unit held until n1 is gone.
for k in $(seq $units); do touch "$work/control/hold$k"; done
job=$(submit "$work/lost") || exit 1
all_started() { [ "$(find "$work/control" -name 'started*' ! -name '*.part' | wc -l)" -eq $units ]; }
wait_for 60 "start of every unit" all_started
on_n1=$(cd "$work/control" && grep -l ' n1$' started* | sed 's/started//' | tr '\n' ' ')
[ -n "$on_n1" ] || fail "no unit started on n1"
# The node fails: its slurmd and its tasks end at once (collected here, so bash does not report it).
{ kill -KILL $(ip netns pids $n1); wait $slurmd_n1; } 2>/dev/null
ip -n $n1 link set eth0 down
rm -f "$work/control"/hold* "$work/control"/started*
wait_for 120 "end of job $job (node lost)" job_done "$job"
grep -q "JobState=NODE_FAIL" "$work/jobcomp.txt" || fail "no task ended with NODE_FAIL"
say "node n1 lost with units ${on_n1}running there: requeued and done"

# Every run gives the chains of the serial run, bit for bit, on the nodes it was given.
TESTUNIT_SWEEPS=1 run_octave "checkruns('$work', $master, $units, struct('n1', {{'n1'}}, 'both', {{'n1', 'n2'}}, 'n2', {{'n2'}}), [$on_n1], $many, [1:97:$many, $killed:300, $failing])" ||
  fail "the runs differ from the serial run or ran elsewhere"
passed=yes
say "passed"
