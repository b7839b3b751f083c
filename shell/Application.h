#pragma once
// The application object and its general error report: an exception that escapes any event
// handler is shown in a message box with its message, and the program goes on with the state
// that was reached. Handlers therefore need no try/catch of their own.

#include <QApplication>

#include <functional>

namespace velkora {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* Receiver, QEvent* Event) override;

    // Reports the exception being handled (call from a catch block). Used by notify and by the
    // windows' create handlers, whose errors are reported while the window is still created.
    static void HandleException();
    // Shows one error message the way the application reports errors.
    static void ShowException(const QString& Message);

    // Where error messages go; by default a modal message box. Tests install their own sink.
    using TErrorSink = std::function<void(const QString&)>;
    static void SetErrorSink(TErrorSink Sink);
};

// Runs Handler and reports an exception that leaves it, for code that runs outside event
// delivery (a create handler called from a constructor).
template <typename F> void RunReported(F&& Handler) {
    try {
        Handler();
    } catch (...) {
        TApplication::HandleException();
    }
}

} // namespace velkora
