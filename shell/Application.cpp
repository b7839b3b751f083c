// SPDX-License-Identifier: MIT
#include "shell/Application.h"

namespace velkora {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        ReportException();
        return true;
    }
}

} // namespace velkora
