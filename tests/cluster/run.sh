#!/bin/bash
# The cluster example of demo/cluster run for real on a Slurm cluster made here (cluster.sh: munge,
# slurmctld and two slurmd nodes, n1 and n2, each in a network namespace of its own that this
# script makes, all removed at the end, also when a check fails or the script is interrupted).
# Every wait is bounded.
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
units=4
master=2026
many=2000 pertask=100 killed=250 failing=1650   # units 250 and 1650: in tasks 3 and 17
cluster_config=MaxArraySize=11 cluster_scheduler=sched_interval=1,sched_min_interval=100000,max_array_tasks=8
source "$(dirname "$0")/cluster.sh"

export UNIT=testunit MASTER=$master TESTUNIT_CONTROL=$work/control

# submit FOLDER SBATCH-OPTIONS...: submits the demo's script from FOLDER once both nodes are idle
# (placements are then as asked); prints the job's id.
submit() {
  local folder=$1; shift
  wait_for 30 "two idle nodes" nodes_idle
  mkdir -p "$folder"
  (cd "$folder" && slurm sbatch --parsable --array=1-$units "$@" "$script" $units) || fail "sbatch $* did not submit"
}

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
