// The browser's share of the toolkit that Emscripten declares but does not supply, and the
// page's address and caption as the web entry sees them.
#include "app/swap_interval.h"
#include "app/window_identity.h"
#include "platform.h"
#include "web/web_page.h"

#include <emscripten.h>

#include <vector>

// What the page shows is set from JavaScript; these run there.
EM_JS(void, setPageCaption, (const char* text), {
    const caption = UTF8ToString(text);
    document.title = caption;
    const line = document.getElementById('caption');
    if (line) {
        line.textContent = caption;
    }
});

// The page's own `showMessage` puts the text in place of the canvas.
EM_JS(void, showMessageInPage, (const char* text), {
    if (typeof showMessage == 'function') {
        showMessage(UTF8ToString(text));
    }
});

EM_JS(int, pageParameterBytes, (const char* name), {
    const value = new URLSearchParams(location.search).get(UTF8ToString(name));
    return value == null ? -1 : lengthBytesUTF8(value);
});

EM_JS(void, copyPageParameter, (const char* name, char* buffer, int size), {
    stringToUTF8(new URLSearchParams(location.search).get(UTF8ToString(name)), buffer, size);
});

EM_JS(void, hideMessageInPage, (), {
    if (typeof hideMessage == 'function') {
        hideMessage();
    }
});

EM_JS(void, followWindowInPage, (), {
    if (typeof followWindow == 'function') {
        followWindow();
    }
});

EM_JS(void, setFrameReady, (), { document.documentElement.dataset.frame = 'ready'; });

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
