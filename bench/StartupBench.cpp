// SPDX-License-Identifier: MIT
// Start-up of the whole editor, in-process: the units' start-up steps, the main window, its
// first show (which builds both workspaces and opens the first map) and its first paint.

#include "bench/GuiBenchSupport.h"
#include "maps/MapFrm.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "sprites/SpriteEditor.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include <chrono>
#include <memory>

using namespace velkora;
using namespace velkora::bench;

namespace {

using Clock = std::chrono::steady_clock;

// The library of the demo plus 10,000 sprites; the 1024 x 1024 map first in the list.
const TEditorRoot& FullRoot() {
    static const TEditorRoot Root({true, 10000, 1024});
    return Root;
}

// The same data root without any sprite.
const TEditorRoot& EmptyLibraryRoot() {
    static const TEditorRoot Root({false, 0, 1024});
    return Root;
}

// The first start-up of the process, in milliseconds: it also loads the fonts and the platform's
// pieces that later ones find ready, as a user's start of the program does.
double FirstStartMs = -1;

// One start-up per iteration; the teardown of each is not timed.
void StartUp(benchmark::State& State, const TEditorRoot& Root, int ExpectedSprites,
             int ExpectedMapSide) {
    if (!Root.Ok()) {
        State.SkipWithError(Root.Error().toUtf8().constData());
        return;
    }
    ClearReportedErrors();
    bool Shown = true;
    int MapSide = 0;
    for (auto _ : State) {
        const Clock::time_point Start = Clock::now();
        auto Session = std::make_unique<TSession>(Root.Path());
        auto Window = std::make_unique<TMainFrm>(*Session);
        Shown = ShowAndWaitForFirstPaint(Window.get()) && Window->MapFrm() != nullptr;
        const Clock::time_point End = Clock::now();
        State.SetIterationTime(std::chrono::duration<double>(End - Start).count());
        if (FirstStartMs < 0)
            FirstStartMs = std::chrono::duration<double, std::milli>(End - Start).count();

        if (Shown) {
            MapSide = Window->MapFrm()->MapParams().Width;
            Shown = Session->SpriteContainer().SpriteNames().size() == ExpectedSprites;
        }
        Window.reset();
        Session.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!Shown)
            break;
    }
    if (!Shown)
        State.SkipWithError("the editor did not start as expected");
    else if (MapSide != ExpectedMapSide)
        State.SkipWithError("the map opened first is not the one expected");
    else if (!ReportedErrors().isEmpty())
        State.SkipWithError(ReportedErrors().first().toUtf8().constData());
    State.counters["sprites"] = double(ExpectedSprites);
}

// The cold start is the first benchmark of this binary.
void Startup(benchmark::State& State) {
    StartUp(State, FullRoot(), 8 + 10000, 1024);
    State.counters["first_start_ms"] = FirstStartMs;
}

BENCHMARK(Startup)->Name("Startup")->UseManualTime()->Unit(benchmark::kMillisecond);

void StartupEmptyLibrary(benchmark::State& State) {
    // Without a library the workspace opens empty: no map is read.
    StartUp(State, EmptyLibraryRoot(), 0, 0);
}
BENCHMARK(StartupEmptyLibrary)
    ->Name("Startup/ref:empty-library")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A bare window of the main window's size, shown until its first paint.
void StartupBareWindow(benchmark::State& State) {
    for (auto _ : State) {
        const Clock::time_point Start = Clock::now();
        auto Window = std::make_unique<QWidget>();
        Window->resize(735, 528);
        const bool Shown = ShowAndWaitForFirstPaint(Window.get());
        const Clock::time_point End = Clock::now();
        State.SetIterationTime(std::chrono::duration<double>(End - Start).count());
        Window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!Shown) {
            State.SkipWithError("the window was not painted");
            break;
        }
    }
}
BENCHMARK(StartupBareWindow)
    ->Name("Startup/ref:bare-window")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

VELKORA_GUI_BENCH_MAIN()
