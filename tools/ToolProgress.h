// SPDX-License-Identifier: MIT
#pragma once
// How far a long command is, on the terminal, and Ctrl+C: the command stops at its next report
// of progress, before anything is written.

#include "shell/Progress.h"

#include <QElapsedTimer>
#include <QString>

namespace velkora::tool {

// Makes Ctrl+C (SIGINT) stop a command at its next report of progress (ECancelled) instead of
// killing it; a second Ctrl+C kills it at once.
void CatchInterrupts();

// The progress of one command ("map render"), shown on stderr as "map render: 42%" when stderr is
// a terminal, a few times a second; cleared when the command ends. Every report checks Ctrl+C.
class TToolProgress {
public:
    explicit TToolProgress(const QString& Task);
    ~TToolProgress();
    TToolProgress(const TToolProgress&) = delete;
    TToolProgress& operator=(const TToolProgress&) = delete;

    // The whole command's progress, and that of a step that is the part [First, First + Share) of
    // it.
    TProgress Whole();
    TProgress Step(double First, double Share) { return PartOf(Whole(), First, Share); }

private:
    void Show(uint64_t Done, uint64_t Total);

    QString fTask;
    bool fTerminal;
    bool fShown = false;
    int fPercent = -1;
    QElapsedTimer fClock;
    qint64 fLast = -1000;
};

} // namespace velkora::tool
