"""Records a PulseAudio sink's monitor and notes, on the monotonic clock, when the first and the
last loud sample arrived. Runs until SIGTERM, then writes "first last" (seconds, or "none") to
the file named by its first argument.

  monitor_record.py RESULT_FILE SOURCE
"""
import signal
import subprocess
import sys
import time

RATE = 8000
CHUNK_BYTES = RATE * 2 // 100  # 10 ms of mono 16-bit samples
LOUD = 1000

result_file, source = sys.argv[1], sys.argv[2]
recorder = subprocess.Popen(
    ["parec", "--device=" + source, "--latency-msec=20", "--format=s16le",
     "--rate=%d" % RATE, "--channels=1", "--raw"],
    stdout=subprocess.PIPE)
first = last = None


def finish(*_):
    recorder.terminate()
    with open(result_file, "w") as out:
        out.write("%s %s\n" % (first if first is not None else "none",
                               last if last is not None else "none"))
    sys.exit(0)


signal.signal(signal.SIGTERM, finish)
while True:
    chunk = recorder.stdout.read(CHUNK_BYTES)
    if not chunk:
        finish()
    arrived = time.monotonic()
    loud = any(abs(int.from_bytes(chunk[i:i + 2], "little", signed=True)) > LOUD
               for i in range(0, len(chunk) - 1, 2))
    if loud:
        if first is None:
            first = arrived
        last = arrived
