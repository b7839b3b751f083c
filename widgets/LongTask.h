// SPDX-License-Identifier: MIT
#pragma once
// Loads and saves that may take long (a map of millions of cells): after a second a modal
// progress dialog with Cancel shows, and the windows keep painting while the work goes on.

#include "shell/Progress.h"

#include <QString>

#include <functional>

class QWidget;

namespace velkora {

namespace LongTask {
// Runs Work on this thread, giving it a TProgress. Once Work has run for ShowAfter() ms, a modal
// dialog (Text, a bar, Cancel) over Parent's window shows how far it is, and pending events
// (paints among them) are handled at its reports, a few times a second; Cancel raises ECancelled
// out of the next report. Returns false when Work was cancelled, true when it finished; other
// errors pass through.
bool Run(QWidget* Parent, const QString& Text, const std::function<void(const TProgress&)>& Work);
// The wait before the dialog shows, in milliseconds (1000). Tests set 0: the dialog then shows at
// the first report and handles events at every report.
int& ShowAfter();
} // namespace LongTask

} // namespace velkora
