#!/bin/bash
# Timings of the cluster example on the test's two-node cluster (cluster.sh), for the sizing
# advice of demo/cluster/README.md; not part of the test command. As root:
#
#   tests/cluster/bench.sh [OCTAVE_MODULES_DIR]
#
# BENCH_GROUPS (default "50 500"): the group sizes to time; BENCH_SCHEDULER: SchedulerParameters
# (default: the scheduler runs every second, as in the test; "default_queue_depth=100" gives
# Slurm's defaults). It prints, each timed in one process or job after another:
#   - Octave's start-up (octave-cli --eval 1), the first call of a module in a fresh Octave
#     (loading it) and unitrun's own work for a unit that draws nothing (seeding, checking,
#     saving, reading back, renaming), medians of 5;
#   - the cost of a task: 40 tasks of one unit that draws nothing, from submission to the end
#     of the last, times the cluster's 4 CPUs, over 40;
#   - 10,000 units of about 5 ms (testunit: a chain of 35 sweeps) as demo/cluster/README says:
#     unitgather on the empty folder prints the sbatch commands, run as printed; the time from
#     submission to the end of the last task, per unit; for each group size;
#   - the same units one after another in one Octave (1000 of them), per unit;
#   - unitgather over the 10,000 files.
# The 4 CPUs of the cluster are the machine's: on a machine of 2 cores two tasks share one.
octave_seconds=900
cluster_scheduler=${BENCH_SCHEDULER:-}
source "$(dirname "$0")/cluster.sh"
export UNIT=testunit TESTUNIT_CONTROL=$work/control
master=2026 units=10000

now() { date +%s.%N; }
# median COMMAND...: the median of 5 wall times of COMMAND, in seconds.
median() {
  local i start
  for i in 1 2 3 4 5; do
    start=$(now)
    "$@" >/dev/null 2>&1 || fail "$* failed"
    echo "$(now) - $start" | bc -l
  done | sort -n | sed -n 3p
}
# all_done JOBS...: every job has ended.
all_done() { local job; for job in "$@"; do job_done "$job" || return 1; done; }
# run_array FOLDER UNITS PERTASK: submits the units with the commands gather prints for the empty
# FOLDER, run as printed from it; waits for the end; prints the seconds from submission.
run_array() {
  local folder=$1 n=$2 pertask=$3 text line jobs="" start
  mkdir -p "$folder"
  text=$(cd "$folder" && run_octave "unitgather('results', $master, $n, '$script', $pertask);")
  wait_for 30 "two idle nodes" nodes_idle
  start=$(now)
  while read -r line; do
    jobs="$jobs $(cd "$folder" && slurm sh -c "$line" | sed -n 's/^Submitted batch job //p')"
  done < <(echo "$text" | grep '^  sbatch ')
  [ -n "${jobs// /}" ] || fail "nothing submitted: $text"
  wait_for 3600 "end of jobs$jobs" all_done $jobs
  echo "$(now) - $start" | bc -l
}

export TESTUNIT_SWEEPS=0
startup=$(median nsenter --net=/run/netns/$n1 octave-cli --norc --no-history --eval 1)
loaded=$(median nsenter --net=/run/netns/$n1 octave-cli --norc --no-history --eval "waitdraw(1);")
filework=$(run_octave "evalc('unitrun(''$work/one'', 1, 1:200, @testunit);'); t = tic; evalc('unitrun(''$work/one2'', 1, 1:200, @testunit);'); printf('%.4f', toc(t) / 200)")
say "Octave start-up ${startup} s; with a module loaded and called ${loaded} s; unitrun's own work ${filework} s a unit"
seconds=$(run_array "$work/tasks" 40 1)
say "40 tasks of one empty unit: ${seconds} s, $(echo "$seconds * 4 / 40" | bc -l | cut -c1-5) s of a CPU a task"

export TESTUNIT_SWEEPS=35
serial=$(run_octave "evalc('unitrun(''$work/serial'', $master, 1:1000, @testunit);'); t = tic; evalc('unitrun(''$work/serial2'', $master, 1:1000, @testunit);'); printf('%.4f', toc(t) / 1000)")
say "one after another in one Octave: $serial s a unit (the unit itself about 0.005 s)"
for pertask in ${BENCH_GROUPS:-50 500}; do
  seconds=$(run_array "$work/group$pertask" $units $pertask)
  say "$units units, $pertask a task: ${seconds} s, $(echo "$seconds / $units" | bc -l | cut -c1-6) s a unit"
  gathered=$(run_octave "t = tic; unitgather('$work/group$pertask/results', $master, $units); printf('gather: %.1f s\n', toc(t));")
  echo "$gathered" | grep -q "^unitgather: $units of $units units done" || fail "not all done: $gathered"
  say "$(echo "$gathered" | grep '^gather: ') for $units files"
done
passed=yes
