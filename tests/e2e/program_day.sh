#!/usr/bin/env bash
# Runs the real program through one bell with nobody at the keyboard: a copy of the built
# program in a scratch folder with its own settings file, a schedule left in "dorrel.dat", a
# faked date and time (libfaketime), a simulated board (a stand-in HID library) and a private
# sound server with a null sink. Nothing is clicked. The board's log then shows what rang.
#
#   program_day.sh SCENARIO PROGRAM SIMBOARD_DIR
#
# SCENARIO  unattended  AutoArm=1, Tuesday 2027-01-05, a common slot at 8:30: output on at
#                       the minute and off after the sound; SIGTERM then saves the pages.
#           holiday     AutoArm=1, NationalHolidays=1: the same slot on Monday 2027-01-11
#                       (Coming of Age Day) stays silent and rings on Tuesday 2027-01-12.
#           nohid       AutoArm=1 with a HID library the loader refuses: its message waits for
#                       nobody, the start arms and the 8:30 chime plays by sound alone.
#           plans       AutoArm=1, one run over four faked days in February 2027 (the clock is
#                       moved on between them): a 短縮日課 at 8:29 rings instead of the common
#                       8:30, a Tuesday swapped to Saturday rings Saturday's 8:29 only, an
#                       extra 8:31 rings after a Wednesday's own 8:30, a ノーチャイム Thursday
#                       stays silent; the bell record names the plan, the swap and the extra.
# Exit 0 passed, 1 failed, 77 skipped (something the run needs is missing here).
set -euo pipefail

scenario=$1
program=$(realpath "$2")
simboard=$(realpath "$3")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

skip() {
  echo "SKIP: $*"
  exit 77
}
fail() {
  echo "FAIL: $*"
  [ -f "$work/program.log" ] && sed 's/^/  program: /' "$work/program.log" | tail -n 40
  exit 1
}

faketime_lib=
for candidate in /usr/lib/*/faketime/libfaketimeMT.so.1 /usr/lib/faketime/libfaketimeMT.so.1; do
  [ -f "$candidate" ] && faketime_lib=$candidate && break
done
[ -n "$faketime_lib" ] || skip "libfaketime is not installed"
command -v pulseaudio >/dev/null || skip "pulseaudio is not installed"
command -v gst-launch-1.0 >/dev/null || skip "gst-launch-1.0 is not installed"
[ -f "$simboard/libhidapi-hidraw.so.0" ] || skip "no simulated board in $simboard"

work=$(mktemp -d "${TMPDIR:-/tmp}/tollvane-e2e-XXXXXX")
pulse_pid=
cleanup() {
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/bin" "$work/school" "$work/run" "$work/home" "$work/state" "$work/config"
chmod 700 "$work/run"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_STATE_HOME=$work/state
export XDG_CONFIG_HOME=$work/config

# A sound server of our own, with a sink that plays into nothing in real time.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=false --system=false \
  -F /dev/null --load="module-null-sink sink_name=bells" \
  --load="module-native-protocol-unix socket=$work/run/bells.sock auth-anonymous=1" \
  >"$work/pulse.log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER=unix:$work/run/bells.sock
for _ in $(seq 50); do
  [ -S "$work/run/bells.sock" ] && break
  sleep 0.1
done
[ -S "$work/run/bells.sock" ] || skip "the sound server did not start: $(tail -n 3 "$work/pulse.log")"

# The program beside its own settings file, as an operator's copy would be.
cp "$program" "$work/bin/tollvane"
gst-launch-1.0 -q audiotestsrc num-buffers=43 samplesperbuffer=1024 freq=880 \
  ! audio/x-raw,rate=44100,channels=1 ! wavenc ! filesink location="$work/school/chime.wav" \
  >/dev/null
{
  printf '[SOUND]\r\nItem1=chime.wav\r\n[OPTION]\r\nAutoArm=1\r\n'
  [ "$scenario" = holiday ] && printf '[CALENDAR]\r\nNationalHolidays=1\r\n'
  [ "$scenario" = plans ] &&
    printf '[CALENDAR]\r\nPlan1=%s\r\nSwap1=%s\r\nExtra1=%s\r\nPlan2=%s\r\n' \
      "2027/02/15 短縮日課" "2027/02/16 土" "2027/02/17 8:31 1" "2027/02/18 ノーチャイム"
  true
} >"$work/bin/tollvane.INI"
[ "$scenario" = plans ] && printf '[短縮日課]\n8:29 1\n\n[ノーチャイム]\n' >"$work/bin/tollvane.plans"
# dorrel.dat: the common timetable's slot 1 at 8:30 with sound 1 (and for the plans, Saturday's
# slot 1 at 8:29), every other slot reset.
python3 - "$work/school/dorrel.dat" "$scenario" <<'EOF'
import sys
lines = []
for timetable in (8, 1, 2, 3, 4, 5, 6, 7):
    for slot in range(24):
        first = timetable == 8 and slot == 0
        saturday = timetable == 7 and slot == 0 and sys.argv[2] == "plans"
        lines += [timetable, 8 if first or saturday else 0,
                  30 if first else 29 if saturday else 0, 1]
open(sys.argv[1], "w", newline="").write("".join(f"{n}\r\n" for n in lines))
EOF

hid_dir=$simboard

# Waits up to 10 s for a program sent SIGTERM to end; one that does not fails the run.
await_end() {
  local pid=$1
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    fail "the program did not end after SIGTERM"
  fi
  wait "$pid" || true
}

# Starts the program at the faked moment and lets it run for the given seconds, then ends
# the session the way a logout does (SIGTERM).
run_program() {
  local start=$1 seconds=$2 log=$3
  (
    cd "$work/school"
    # A sanitizer build's runtime must otherwise come first in the library list.
    ASAN_OPTIONS=verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS} \
      FAKETIME="@$start" FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD=$faketime_lib \
      TZ=UTC LD_LIBRARY_PATH=$hid_dir TOLLVANE_SIMBOARD_LOG=$log QT_QPA_PLATFORM=offscreen \
      exec "$work/bin/tollvane"
  ) >>"$work/program.log" 2>&1 &
  local pid=$!
  sleep "$seconds"
  kill -TERM "$pid" 2>/dev/null || fail "the program ended by itself"
  await_end "$pid"
}

# One run over several faked moments, given as pairs "MOMENT SECONDS": the clock is set to each
# moment in turn (libfaketime reads its file again) and runs on for the seconds given. A jump
# this far forward is handled as its current second alone, so nothing in between rings.
run_timeline() {
  local log=$1
  shift
  local stamp=$work/faked-time
  echo "@$1" >"$stamp"
  (
    cd "$work/school"
    ASAN_OPTIONS=verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS} \
      FAKETIME_TIMESTAMP_FILE=$stamp FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1 \
      LD_PRELOAD=$faketime_lib TZ=UTC LD_LIBRARY_PATH=$simboard TOLLVANE_SIMBOARD_LOG=$log \
      QT_QPA_PLATFORM=offscreen exec "$work/bin/tollvane"
  ) >>"$work/program.log" 2>&1 &
  local pid=$!
  while [ $# -gt 0 ]; do
    echo "@$1" >"$stamp"
    sleep "$2"
    kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
    shift 2
  done
  kill -TERM "$pid"
  await_end "$pid"
}

# The board's reports at or after 8:30:00 of the faked day: "on" and "off" in order, with the
# faked wall-clock time of each.
signals() {
  python3 "$here/board_signals.py" "$1"
}

case "$scenario" in
  unattended)
    # What the sound server really played, with a recorder at 20 ms latency, which the null
    # sink then keeps too.
    python3 "$here/monitor_record.py" "$work/heard" bells.monitor &
    recorder_pid=$!
    sleep 1
    run_program "2027-01-05 08:29:54" 16 "$work/board.log"
    kill -TERM "$recorder_pid"
    wait "$recorder_pid" || true
    got=$(signals "$work/board.log")
    echo "board: $got"
    echo "heard (monotonic first, last): $(cat "$work/heard")"
    python3 - "$work/board.log" "$(cat "$work/heard")" <<'EOF' ||
import sys
# Monotonic stamps of the board's on and off reports after the start's own switch-off.
reports = []
for line in open(sys.argv[1]):
    fields = line.split()
    data = [int(b, 16) for b in fields[2:]]
    if len(data) >= 4 and data[1] == 0x20 and data[2] == 0x02:
        reports.append(("on" if data[3] == 0 else "off", float(fields[0])))
first, last = (float(t) for t in sys.argv[2].split())
on = [t for kind, t in reports if kind == "on"][0]
off = [t for kind, t in reports if kind == "off" and t > on][0]
print("chime %.3f s after output-on, heard %.3f s, output off %.3f s after its last sample"
      % (first - on, last - first, off - last))
# The chime arrives 5 s after output-on, is heard to its end, and the output goes off after
# its last sample, within a tenth of a second (plus the recorder's 10 ms reads).
# (the player leads a sound server's stream in with 0.3 s of silence, so the first note is whole)
assert 4.9 <= first - on <= 5.8, ("lead-in", first - on)
assert 0.85 <= last - first <= 1.1, ("heard", last - first)
assert -0.02 <= off - last <= 0.12, ("off after the last sample", off - last)
EOF
      fail "the chime was not heard 5 s after output-on, whole, with the output off after it"
    python3 - "$got" <<'EOF' || fail "the bell did not ring as scheduled"
import sys
events = [e.split("@") for e in sys.argv[1].split()]
# The start drives the output off once; then the bell: on at 8:30:00, off after the sound.
ons = [float(t) for kind, t in events if kind == "on"]
offs = [float(t) for kind, t in events if kind == "off"]
assert len(ons) == 2, events  # two reports for one signal
on_at = ons[0] % 86400
assert abs(on_at - (8 * 3600 + 30 * 60)) < 1.0, on_at
after = [t for t in offs if t > ons[-1]]
assert len(after) == 2, events
# 5 s of lead-in and a 1 s chime played out to its last sample: off no earlier than 6 s after
# on, and no later than the null sink's latency (up to 2 s) after that.
delay = after[0] - ons[0]
assert 6.0 <= delay < 8.5, delay
EOF
    grep -q $'^30\r$' "$work/school/dorrel.dat" || fail "dorrel.dat lost its schedule"
    # The session end saved the pages again without asking.
    [ "$(find "$work/school/dorrel.dat" -newer "$work/bin/tollvane.INI")" ] ||
      fail "the pages were not saved when the session ended"
    grep -rq "出力オン" "$work/state/tollvane" 2>/dev/null || fail "the bell record has no output-on"
    ;;
  holiday)
    run_program "2027-01-11 08:29:56" 12 "$work/monday.log"
    run_program "2027-01-12 08:29:56" 12 "$work/tuesday.log"
    monday=$(signals "$work/monday.log")
    tuesday=$(signals "$work/tuesday.log")
    echo "Monday (成人の日): $monday"
    echo "Tuesday: $tuesday"
    case "$monday" in *on@*) fail "the bell rang on a national holiday" ;; esac
    case "$tuesday" in *on@*) ;; *) fail "the bell did not ring on the school day after" ;; esac
    ;;
  nohid)
    hid_dir=$(dirname "$simboard")/simboard_unloadable
    [ -f "$hid_dir/libhidapi-hidraw.so.0" ] || skip "no unloadable stand-in in $hid_dir"
    # What an earlier save cut short left behind is named in the record at start.
    install -d -m 700 "$work/state/tollvane"
    left="$work/state/tollvane/dorrel.dat.Ab12Cd.before-save"
    printf 'old\r\n' >"$left"
    run_program "2027-01-05 08:29:54" 14 "$work/board.log"
    grep -rq "Error at Load" "$work/state/tollvane" 2>/dev/null ||
      fail "the library's message is not in the record"
    grep -rqF "元の内容が $left に残っています" "$work/state/tollvane" ||
      fail "the copy an unfinished save left is not in the record"
    grep -rq "起動時に自動で" "$work/state/tollvane" ||
      fail "the start did not arm: something waited for OK"
    grep -rqE "音1 .* を鳴らします" "$work/state/tollvane" || fail "the 8:30 chime did not play"
    ;;
  plans)
    run_timeline "$work/board.log" \
      "2027-02-15 08:28:56" 13 "2027-02-15 08:29:57" 5 \
      "2027-02-16 08:28:56" 13 "2027-02-16 08:29:57" 5 \
      "2027-02-17 08:29:56" 13 "2027-02-17 08:30:56" 13 \
      "2027-02-18 08:29:57" 5
    got=$(signals "$work/board.log")
    echo "board: $got"
    python3 - "$got" <<'EOF' || fail "the planned days did not ring as assigned"
import sys, datetime
ons = [float(t) for kind, t in (e.split("@") for e in sys.argv[1].split()) if kind == "on"]
# Each bell's minute as the faked clock showed it (two reports make one signal), at :00.
at = [datetime.datetime.fromtimestamp(t, datetime.timezone.utc) for t in ons]
rang = sorted({a.strftime("%m/%d %H:%M") for a in at})
assert rang == ["02/15 08:29", "02/16 08:29", "02/17 08:30", "02/17 08:31"], rang
assert all(a.second == 0 for a in at), at
# Each bell ends with the output off, before the clock is moved on.
offs = [float(t) for kind, t in (e.split("@") for e in sys.argv[1].split()) if kind == "off"]
for t in ons:
    assert any(t < off < t + 10 for off in offs), ("output left on", t)
EOF
    record=$(cat "$work"/state/tollvane/* 2>/dev/null || true)
    grep -E "短縮日課|土曜日|臨時|ノーチャイム" <<<"$record" | cut -c1-160
    for name in 短縮日課 土曜日のチャイム 臨時 ノーチャイム; do
      grep -q "$name" <<<"$record" || fail "the bell record does not name $name"
    done
    ;;
  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
echo "PASS: $scenario"
