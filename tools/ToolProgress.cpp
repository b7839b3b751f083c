// SPDX-License-Identifier: MIT
#include "tools/ToolProgress.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace velkora::tool {

namespace {

volatile std::sig_atomic_t Interrupted = 0;

extern "C" void OnInterrupt(int) {
    if (Interrupted) {
        // Asked twice: the default action, at once.
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    Interrupted = 1;
}

} // namespace

void CatchInterrupts() {
    // A command started where Ctrl+C is ignored (in the background of a script) keeps ignoring it.
    if (std::signal(SIGINT, OnInterrupt) == SIG_IGN)
        std::signal(SIGINT, SIG_IGN);
}

TToolProgress::TToolProgress(const QString& Task)
    : fTask(Task), fTerminal(isatty(STDERR_FILENO) == 1) {
    fClock.start();
}

TToolProgress::~TToolProgress() {
    if (fShown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

TProgress TToolProgress::Whole() {
    return [this](uint64_t Done, uint64_t Total) { Show(Done, Total); };
}

void TToolProgress::Show(uint64_t Done, uint64_t Total) {
    if (Interrupted)
        throw ECancelled();
    if (!fTerminal)
        return;
    const int Percent = Total == 0 ? 100 : int(Done * 100 / Total);
    const qint64 Now = fClock.elapsed();
    // A few times a second at most, and only after a moment: quick commands print nothing.
    if (Percent == fPercent || Now < 500 || Now - fLast < 200)
        return;
    fPercent = Percent;
    fLast = Now;
    fShown = true;
    std::fprintf(stderr, "\r%s: %d%%", fTask.toLocal8Bit().constData(), Percent);
    std::fflush(stderr);
}

} // namespace velkora::tool
