// The browser's share of the toolkit that Emscripten declares but does not supply, and the
// page's address and caption as the web entry sees them.
#include "app/swap_interval.h"
#include "app/window_identity.h"
#include "platform_glut.h"
#include "web/web_page.h"

#include <emscripten.h>

#include <vector>

// What the page shows is set from JavaScript, through `Module.page`: the page's own functions
// where the program runs on the page, messages to the page where it runs in a Worker.
EM_JS(void, setPageCaption, (const char* text), { Module.page.caption(UTF8ToString(text)); });

EM_JS(void, showMessageInPage, (const char* text),
      { Module.page.showMessage(UTF8ToString(text)); });

EM_JS(void, hideMessageInPage, (), { Module.page.hideMessage(); });

EM_JS(void, followWindowInPage, (), { Module.page.followWindow(); });

EM_JS(void, setFrameReady, (), { Module.page.frameReady(); });

EM_JS(void, setPageMoment, (double seconds), { Module.page.held(seconds); });

EM_JS(int, pageOpensPaused, (), { return Module.page.paused ? 1 : 0; });

// The page's address, which a Worker does not share: the page hands over its query.
EM_JS(int, pageParameterBytes, (const char* name), {
    const value = new URLSearchParams(Module.page.query).get(UTF8ToString(name));
    return value == null ? -1 : lengthBytesUTF8(value);
});

EM_JS(void, copyPageParameter, (const char* name, char* buffer, int size), {
    stringToUTF8(new URLSearchParams(Module.page.query).get(UTF8ToString(name)), buffer, size);
});

// A page has no window caption of its own; the document's title and the line under the canvas
// show it instead.
void glutSetWindowTitle(const char* title) {
    setPageCaption(title);
}

// The browser draws on each display refresh, and a page has no way to ask it otherwise.
void disableSwapInterval() {}

// A page is named by its title and shown by its favicon and its manifest's icons.
void setWindowIdentity() {}

bool pageParameter(const char* name, std::string& value) {
    const int bytes = pageParameterBytes(name);
    if (bytes < 0) {
        return false;
    }
    // The terminating zero needs its byte too.
    std::vector<char> buffer(static_cast<std::size_t>(bytes) + 1);
    copyPageParameter(name, buffer.data(), bytes + 1);
    value.assign(buffer.data(), static_cast<std::size_t>(bytes));
    return true;
}

void markFrameReady() {
    setFrameReady();
}

void showPageMessage(const char* text) {
    showMessageInPage(text);
}

void hidePageMessage() {
    hideMessageInPage();
}

void followPageWindow() {
    followWindowInPage();
}

void showPageMoment(double seconds) {
    setPageMoment(seconds);
}

bool pageStartsPaused() {
    return pageOpensPaused() != 0;
}
