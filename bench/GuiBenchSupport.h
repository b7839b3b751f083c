// SPDX-License-Identifier: MIT
#pragma once
// Support of the benchmarks that drive the editor's own widgets offscreen: the application
// object, the data root they open, and the process's memory figures.

#include "bench/BenchSupport.h"
#include "shell/MyTypes.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace velkora::bench {

// What an editor data root holds besides the demo of `velkora-tool make-demo`.
struct TRootContents {
    // Sprites: the demo's, or none at all (an empty Sprites folder).
    bool DemoSprites = true;
    // More sprites, copies of a demo sprite named z1.spr, z2.spr, ...: they sort after every
    // demo sprite, so the texture sets of the demo keep naming the same sprites.
    int ExtraSprites = 0;
    // A MapSide x MapSide map of random runs of the values 0 to 49, "A<side>.Map", which sorts
    // before the demo's maps and so is the map the map workspace opens first (0: none).
    int MapSide = 0;
};

// A data root in a temporary folder, removed with the object.
class TEditorRoot {
public:
    explicit TEditorRoot(const TRootContents& Contents);
    QString Path() const { return fDir.path(); }
    // Whether the root could be built; otherwise Error says why.
    bool Ok() const { return fError.isEmpty(); }
    const QString& Error() const { return fError; }

private:
    QTemporaryDir fDir;
    QString fError;
};

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 where it cannot be read.
int64_t ProcStatusKb(const char* Field);

// The messages the editor reported through the application's error report since the last
// ClearReportedErrors (no message box is ever shown).
const QStringList& ReportedErrors();
void ClearReportedErrors();

// Delivers the paint a widget's update() scheduled, at once: the pending events are processed,
// among them the update requests of the windows, so the backing stores repaint their dirty
// regions and flush.
void DeliverUpdates();

// Makes Window visible and waits (processing events) until its first paint is done; false
// after 10 seconds without one.
bool ShowAndWaitForFirstPaint(QWidget* Window);

// Runs Action after the last benchmark, while the application object still exists: the
// fixtures that hold widgets are freed there, not by the static destructors after it is gone.
// Actions run in the reverse order of their registration.
void AtBenchmarksEnd(std::function<void()> Action);

// The fixture a GUI benchmark binary drives (an editor and its widgets): made at its first use,
// BeforeFree run on it and freed after the last benchmark (see AtBenchmarksEnd).
template <class TFixture> TFixture& SharedFixture(std::function<void(TFixture&)> BeforeFree = {}) {
    static std::unique_ptr<TFixture> f;
    if (!f) {
        f = std::make_unique<TFixture>();
        AtBenchmarksEnd([BeforeFree] {
            if (f && BeforeFree)
                BeforeFree(*f);
            f.reset();
        });
    }
    return *f;
}

// False, with State skipped and Error as the reason, when a fixture could not be set up (Error
// not empty).
bool FixtureUsable(benchmark::State& State, const QString& Error);

// Runs the benchmarks of a GUI binary: creates the editor's application object (on the
// offscreen platform unless QT_QPA_PLATFORM names another), sends error reports to
// ReportedErrors, runs the benchmarks with the ratio table.
int RunGuiBenchmarks(int argc, char** argv);

} // namespace velkora::bench

// main() for a benchmark binary that needs the application object.
#define VELKORA_GUI_BENCH_MAIN()                                                                   \
    int main(int argc, char** argv) {                                                              \
        return velkora::bench::RunGuiBenchmarks(argc, argv);                                       \
    }
