// SPDX-License-Identifier: MIT
#pragma once
// The editor's general error report: an exception that escapes an event handler is shown in a
// message box with its message, and the program goes on with the state that was reached. The
// application object reports what escapes event delivery; windows report what escapes the
// handlers they run themselves (a create handler run from a constructor).

#include <QString>

#include <functional>

namespace velkora {

// Reports the exception being handled (call from a catch block).
void ReportException();
// Shows one error message the way the editor reports errors, cut to ReportedMessageLength
// characters and ReportedMessageLines lines (a message may quote a file's own words).
void ReportError(const QString& Message);
constexpr int ReportedMessageLength = 600;
constexpr int ReportedMessageLines = 8;

// While one lives, a message is reported once: the same failure met again (the two workspaces
// reading the same file at start-up, say) is not shown a second time.
class TReportOnce {
public:
    TReportOnce();
    ~TReportOnce();
    TReportOnce(const TReportOnce&) = delete;
    TReportOnce& operator=(const TReportOnce&) = delete;
};

// Where error messages go; by default a modal message box. Tests install their own sink.
using TErrorSink = std::function<void(const QString&)>;
void SetErrorSink(TErrorSink Sink);

// Runs Handler and reports an exception that leaves it.
template <typename F> void RunReported(F&& Handler) {
    try {
        Handler();
    } catch (...) {
        ReportException();
    }
}

} // namespace velkora
