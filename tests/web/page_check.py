"""The page in headless Chromium over its DevTools pipe, against plume-snapshot's frames in
WORK_DIR, named SECONDS-STEP.png. Arguments: PAGE_URL WORK_DIR PLUME_COMPARE CHROMIUM_FLAGS..."""
import atexit, base64, json, os, subprocess, sys

base, work, compare, *flags = sys.argv[1:]
POLL = "new Promise(ok => { const end = Date.now() + %d; (function poll() { let v = false; try {" \
       " v = %s; } catch (e) {} v || Date.now() > end ? ok(v) : setTimeout(poll, 50); })(); })"


def open_browser(*extra):  # Chromium reads commands on fd 3, answers on fd 4; NUL ends each.
    (command_in, command_out), (answer_in, answer_out) = os.pipe(), os.pipe()
    wire = [(command_in, 3), (answer_out, 4)]
    browser = subprocess.Popen(
        ["chromium", *flags, *extra, "--remote-debugging-pipe",
         f"--user-data-dir={work}/profile{len(extra)}"], close_fds=False, stderr=subprocess.DEVNULL,
        preexec_fn=lambda: [os.set_inheritable(os.dup2(*pair), True) for pair in wire])
    atexit.register(lambda: browser.terminate() or browser.wait())

    def call(method, session=None, **params):  # One at a time, so every answer has id 1.
        message = {"id": 1, "method": method, "params": params, "sessionId": session}
        os.write(command_out, json.dumps({k: v for k, v in message.items() if v}).encode() + b"\0")
        while True:
            reply = json.loads(b"".join(iter(lambda: os.read(answer_in, 1) or b"\0", b"\0")))
            if reply.get("id") == 1:
                return reply.get("result") or sys.exit(f"{method}: {reply}")

    target = call("Target.createTarget", url="about:blank")["targetId"]
    session = call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]

    def visit(query, condition, ms=30000):
        call("Page.navigate", session, url=base + query)
        return call("Runtime.evaluate", session, expression=POLL % (ms, condition),
                    awaitPromise=True, returnByValue=True)["result"].get("value")
    return lambda: base64.b64decode(call("Page.captureScreenshot", session, clip=dict(
        x=0, y=0, width=640, height=480, scale=1))["data"]), visit


def compared(shot, frame):  # plume-compare's status: 0 the same frame, 1 another.
    with open(f"{work}/shot.png", "wb") as file:
        file.write(shot)
    result = subprocess.run([compare, f"{work}/shot.png", f"{work}/{frame}.png"],
                            stdout=subprocess.PIPE, text=True)
    print(f"  against {frame}: {result.stdout.strip()}")
    return result.returncode


screenshot, visit = open_browser()
results = []
for query, frame in (("?time=10&step-ms=100", "10-100"), ("?time=2", "2-16")):
    ready, shot = visit(query, "document.documentElement.dataset.frame === 'ready'"), screenshot()
    results.append((f"{query} draws frame {frame}", ready is True and compared(shot, frame) == 0))
results.append(("control: ?time=2 is not frame 2.25-16", compared(shot, "2.25-16") == 1))
live = ("!document.documentElement.dataset.frame && document.title.includes('FPS:') &&"
        " document.getElementById('caption').textContent.includes('FPS:') && document.title")
title = visit("", live, 10000)
results.append((f"live caption within 10 s: {title}", isinstance(title, str)))
no_webgl = "!document.getElementById('message').hidden && document.getElementById('canvas').hidden"
results.append(("no WebGL, a message", open_browser("--disable-3d-apis")[1]("", no_webgl) is True))
print("\n".join(("ok    " if ok else "FAIL  ") + name for name, ok in results))
passed = sum(ok for _, ok in results)
print(f"web: {passed} passed, {len(results) - passed} failed")
sys.exit(passed < len(results))
