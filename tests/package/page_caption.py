"""Opens PAGE_URL in headless Chromium over its DevTools pipe and waits up to SECONDS for the
page to put an FPS caption in its title; prints the title, exit status 0 if it came.
Arguments: PAGE_URL SECONDS PROFILE_DIR"""
import json, os, subprocess, sys

url, seconds, profile = sys.argv[1], int(sys.argv[2]), sys.argv[3]
(command_in, command_out), (answer_in, answer_out) = os.pipe(), os.pipe()
browser = subprocess.Popen(  # Chromium reads commands on fd 3, answers on fd 4; NUL ends each.
    ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--enable-unsafe-swiftshader",
     "--no-first-run", "--disable-background-networking", "--remote-debugging-pipe",
     f"--user-data-dir={profile}"], close_fds=False, stderr=subprocess.DEVNULL,
    preexec_fn=lambda: [os.set_inheritable(os.dup2(a, b), True)
                        for a, b in ((command_in, 3), (answer_out, 4))])


def call(method, session=None, **params):  # One at a time, so every answer has id 1.
    message = {"id": 1, "method": method, "params": params, "sessionId": session}
    os.write(command_out, json.dumps({k: v for k, v in message.items() if v}).encode() + b"\0")
    while True:
        reply = json.loads(b"".join(iter(lambda: os.read(answer_in, 1) or b"\0", b"\0")))
        if reply.get("id") == 1:
            return reply.get("result") or sys.exit(f"{method}: {reply}")


try:
    target = call("Target.createTarget", url="about:blank")["targetId"]
    session = call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
    call("Page.navigate", session, url=url)
    wait = ("new Promise(ok => { const end = Date.now() + %d; (function poll() {"
            " document.title.includes('FPS:') || Date.now() > end ? ok(document.title)"
            " : setTimeout(poll, 100); })(); })" % (seconds * 1000))
    title = call("Runtime.evaluate", session, expression=wait, awaitPromise=True,
                 returnByValue=True)["result"].get("value")
finally:
    browser.terminate()
    browser.wait()
print(f"      page title: {title}")
sys.exit(0 if "FPS:" in str(title) else 1)
