#include "saver/saver_loop.h"

void runSaverFrames(const SaverHost& host) {
    while (host.handleEvents()) {
        if (!host.seen()) {
            host.waitForEvents(UNSEEN_WAIT_MS);
            continue;
        }
        stepFrame(host.views, host.viewCount);
        host.present();
        paceFrame(host);
    }
}
