#!/bin/sh
# Runs inside the desktop root of test_wheel.sh: starts Xvfb and a PulseAudio server whose only
# sink is a null sink, runs the smoke test with SDL's x11 and pulseaudio drivers while recording
# what reaches the sink, and checks that the recording holds sound. Ends both servers on exit.
set -eu
export DISPLAY=:99 XDG_RUNTIME_DIR=/tmp/runtime PULSE_SERVER=unix:/tmp/runtime/pulse.sock
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
PIDS=""
trap 'for p in $PIDS; do kill "$p" 2>/dev/null || true; done' EXIT

Xvfb :99 -screen 0 640x480x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
PIDS="$PIDS $!"
pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n --use-pid-file=no \
  --load="module-null-sink sink_name=smoke" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse.sock" \
  >/tmp/pulseaudio.log 2>&1 &
PIDS="$PIDS $!"

waited=0
until [ -e /tmp/.X11-unix/X99 ] && pactl info >/dev/null 2>&1; do
  waited=$((waited + 1))
  if [ $waited -gt 100 ]; then
    echo "Xvfb or PulseAudio did not start:"; cat /tmp/xvfb.log /tmp/pulseaudio.log; exit 1
  fi
  sleep 0.1
done

parec --device=smoke.monitor --latency-msec=20 --raw --format=s16le --channels=2 --rate=44100 >/tmp/sink.raw &
RECORDER=$!
PIDS="$PIDS $RECORDER"
sleep 0.5
cd /tmp
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=pulseaudio /opt/venv/bin/python /work/smoke.py /work/assets /work/out
sleep 0.3
kill "$RECORDER" && wait "$RECORDER" || true
/opt/venv/bin/python - <<'EOF'
import array, sys
samples = array.array("h", open("/tmp/sink.raw", "rb").read())
loud = sum(1 for s in samples if abs(s) > 1000)
print(f"smoke: the PulseAudio sink received {len(samples) // 2} frames, {loud} samples louder than 1000")
if loud < 10000:
    sys.exit("smoke: FAILED: no sound reached the PulseAudio sink")
print("smoke: ok: sound played through PulseAudio")
EOF
