#!/usr/bin/env python3
"""The live page's frame rate in headless Chromium, and where a frame's time goes.

    scripts/web --build && bench/web_profile.py [SECONDS]

Serves build-web/ on a loopback port, opens the live page, lets it run 3 s, then for SECONDS
(default 10) counts the program's frames (a caption every 100 frames) and the browser's
animation frames, samples the page's main thread with the DevTools profiler, and reads the CPU
time of Chromium's processes from /proc. Prints per-frame figures.
"""
import functools
import http.server
import json
import os
import re
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--enable-unsafe-swiftshader", "--remote-debugging-pipe"]
# Runs before the page's own scripts: notes the time of each caption the program sets, counts
# the animation frames the browser offers and the WebGL draws and buffer uploads.
WATCH = """
window.plumeWatch = {captions: [], animationFrames: 0, calls: {}};
for (const name of ['drawArrays', 'drawElements', 'bufferData', 'bufferSubData']) {
  const call = WebGLRenderingContext.prototype[name];
  WebGLRenderingContext.prototype[name] = function (...args) {
    plumeWatch.calls[name] = (plumeWatch.calls[name] || 0) + 1;
    return call.apply(this, args);
  };
}
requestAnimationFrame(function frame() {
  plumeWatch.animationFrames++;
  requestAnimationFrame(frame);
});
const title = Object.getOwnPropertyDescriptor(Document.prototype, 'title');
Object.defineProperty(document, 'title', {
  get() { return title.get.call(this); },
  set(text) { plumeWatch.captions.push([performance.now(), text]); title.set.call(this, text); },
});
"""
STATE = "({now: performance.now(), animationFrames: plumeWatch.animationFrames," \
        " captions: plumeWatch.captions, calls: {...plumeWatch.calls}})"


def serve(directory):
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=directory)
    handler.func.log_message = lambda *args: None
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_port}/"


class Browser:
    """Chromium driven over its DevTools pipe: commands on fd 3, answers on fd 4, NUL-ended."""

    def __init__(self, profile):
        command_in, self.command_out = os.pipe()
        self.answer_in, answer_out = os.pipe()
        wire = [(command_in, 3), (answer_out, 4)]
        self.process = subprocess.Popen(
            ["chromium", *FLAGS, f"--user-data-dir={profile}"], close_fds=False,
            stderr=subprocess.DEVNULL,
            preexec_fn=lambda: [os.set_inheritable(os.dup2(*pair), True) for pair in wire])
        self.next_id = 0
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target,
                                 flatten=True)["sessionId"]

    def call(self, method, session=None, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        os.write(self.command_out, json.dumps(message).encode() + b"\0")
        while True:
            raw = b"".join(iter(lambda: os.read(self.answer_in, 1) or b"\0", b"\0"))
            reply = json.loads(raw)
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    sys.exit(f"{method}: {reply['error']}")
                return reply["result"]

    def page(self, method, **params):
        return self.call(method, self.session, **params)

    def evaluate(self, expression):
        return self.page("Runtime.evaluate", expression=expression, awaitPromise=True,
                         returnByValue=True)["result"].get("value")


def cpu_seconds(root):
    """CPU time of `root` and each of its descendants, by the process's Chromium type."""
    parents, kinds, seconds = {}, {}, {}
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{entry}/stat") as file:
                fields = file.read().rsplit(")", 1)[1].split()
            with open(f"/proc/{entry}/cmdline", "rb") as file:
                # Chromium rewrites its command line as one string, with spaces.
                kind = re.search(rb"--type=([\w-]+)", file.read())
        except (OSError, IndexError):
            continue
        pid = int(entry)
        parents[pid] = int(fields[1])
        kinds[pid] = kind.group(1).decode() if kind else "browser"
        seconds[pid] = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    totals = {}
    for pid in seconds:
        ancestor = pid
        while ancestor not in (root, 0, 1) and ancestor in parents:
            ancestor = parents[ancestor]
        if ancestor == root:
            totals[kinds[pid]] = totals.get(kinds[pid], 0.0) + seconds[pid]
    return totals


def self_times(profile):
    """Milliseconds of the sampled thread by kind of code, from a DevTools CPU profile."""
    nodes = {node["id"]: node["callFrame"] for node in profile["nodes"]}
    totals = {}
    for sample, delta in zip(profile["samples"], profile["timeDeltas"][1:] + [0]):
        frame = nodes[sample]
        name, url = frame["functionName"], frame["url"]
        if name in ("(idle)", "(program)", "(garbage collector)"):
            kind = name
        elif url.startswith("wasm://") or ".wasm" in url:
            kind = "plume.wasm: the program"
        elif url.endswith("plume.js"):
            kind = "plume.js: GL emulation and glue"
        else:
            kind = "native (WebGL and other browser calls)" if not url else url
        totals[kind] = totals.get(kind, 0.0) + delta / 1000.0
    return totals


def program_frames(captions, start, end):
    """Frames per second between the first and last caption set in [start, end]."""
    inside = [when for when, _ in captions if start <= when <= end]
    if len(inside) < 2:
        return None
    return 100 * (len(inside) - 1) / ((inside[-1] - inside[0]) / 1000.0)


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    base = serve(os.path.join(ROOT, "build-web"))
    with tempfile.TemporaryDirectory() as profile:
        browser = Browser(profile)
        try:
            browser.page("Page.enable")
            browser.page("Page.addScriptToEvaluateOnNewDocument", source=WATCH)
            browser.page("Page.navigate", url=base)
            time.sleep(3.0)
            browser.page("Profiler.enable")
            browser.page("Profiler.setSamplingInterval", interval=200)
            before, cpu_before = browser.evaluate(STATE), cpu_seconds(browser.process.pid)
            browser.page("Profiler.start")
            time.sleep(seconds)
            profile_data = browser.page("Profiler.stop")["profile"]
            after, cpu_after = browser.evaluate(STATE), cpu_seconds(browser.process.pid)
        finally:
            browser.process.terminate()
            browser.process.wait()
    report(before, after, cpu_before, cpu_after, self_times(profile_data))


def report(before, after, cpu_before, cpu_after, threads):
    elapsed = (after["now"] - before["now"]) / 1000.0
    rate = program_frames(after["captions"], before["now"], after["now"])
    animation = (after["animationFrames"] - before["animationFrames"]) / elapsed
    captions = [text.split("FPS:")[1].split()[0] for when, text in after["captions"]
                if before["now"] <= when <= after["now"]]
    print(f"over {elapsed:.1f} s: the program drew {rate or 0:.1f} frames/s; the browser offered"
          f" {animation:.1f} animation frames/s; captions said FPS {', '.join(captions)}")
    frames = (rate or 1) * elapsed
    calls = {name: (count - before["calls"].get(name, 0)) / frames
             for name, count in after["calls"].items()}
    print("WebGL calls per program frame: " +
          ", ".join(f"{name} {count:.0f}" for name, count in sorted(calls.items())))
    print("the page's main thread, sampled (ms per program frame):")
    for kind, ms in sorted(threads.items(), key=lambda item: -item[1]):
        print(f"  {ms / frames:7.2f}  {kind}")
    print("CPU time of Chromium's processes (ms per program frame):")
    for kind in sorted(cpu_after, key=lambda k: cpu_before.get(k, 0.0) - cpu_after[k]):
        used = cpu_after[kind] - cpu_before.get(kind, 0.0)
        print(f"  {1000 * used / frames:7.2f}  {kind}")


if __name__ == "__main__":
    main()
