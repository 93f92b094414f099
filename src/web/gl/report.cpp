#include "web/gl/report.h"

#include <cstdio>

namespace {

constexpr int MAX_REPORTS = 32;

const char* reported[MAX_REPORTS];
int reportCount = 0;

} // namespace

void reportUnsupported(const char* what) {
    for (int i = 0; i < reportCount; ++i) {
        if (reported[i] == what) {
            return;
        }
    }
    if (reportCount < MAX_REPORTS) {
        reported[reportCount++] = what;
    }
    std::fprintf(stderr, "plume: the browser's OpenGL layer does not support %s\n", what);
}
