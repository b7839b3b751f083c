// SPDX-License-Identifier: MIT
#pragma once
// The application object: an exception that escapes any event handler is shown through the
// general error report (widgets/ErrorReport) and the program goes on with the state that was
// reached. Handlers therefore need no try/catch of their own.

#include "widgets/ErrorReport.h"

#include <QApplication>

namespace velkora {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* Receiver, QEvent* Event) override;

    // Where the error report goes instead of a message box (tests collect the messages).
    using TErrorSink = velkora::TErrorSink;
    static void SetErrorSink(TErrorSink Sink) { velkora::SetErrorSink(std::move(Sink)); }
};

} // namespace velkora
