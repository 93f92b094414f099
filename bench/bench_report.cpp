#include "bench_report.h"

void printStartup(std::FILE* out, const StartupTimes& times) {
    const auto line = [out](const char* label, double ms) {
        std::fprintf(out, "  %-38s %8.1f\n", label, ms);
    };
    std::fprintf(out, "%-40s %8s\n", "Start-up", "ms");
    if (times.beforeMainMs >= 0.0) {
        line("process start to main (whole ticks)", times.beforeMainMs);
    }
    line("window and context", times.windowMs);
    line("scene start (startScene)", times.sceneMs);
    line("  reading the images (again, after)", times.readingMs);
    line("  mipmaps and upload (again, after)", times.uploadMs);
    line("first frame (display, glFinish)", times.firstFrameMs);
    line("main to first swap", times.sinceMainMs);
    if (times.sinceProcessStartMs >= 0.0) {
        line("process start to first swap", times.sinceProcessStartMs);
    }
}

void printPassTableHeader(std::FILE* out) {
    std::fprintf(out, "%-6s %7s %10s %8s %8s %8s %8s %9s\n", "pass", "frames", "median ms",
                 "p95 ms", "mean ms", "min ms", "max ms", "fps");
}

void printPassRow(std::FILE* out, BenchPass pass, const FrameStats& stats) {
    std::fprintf(out, "%-6s %7d %10.3f %8.3f %8.3f %8.3f %8.3f %9.1f\n", benchPassName(pass),
                 stats.frames, stats.medianMs, stats.p95Ms, stats.meanMs, stats.minMs, stats.maxMs,
                 stats.framesPerSecond);
}

void printPassResult(std::FILE* out, BenchPass pass, const FrameStats& stats) {
    std::fprintf(out, "RESULT pass=%s frames=%d ms_median=%.3f ms_p95=%.3f fps=%.1f\n",
                 benchPassName(pass), stats.frames, stats.medianMs, stats.p95Ms,
                 stats.framesPerSecond);
}
