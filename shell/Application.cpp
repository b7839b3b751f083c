#include "shell/Application.h"

#include "shell/MyTypes.h"

#include <QMessageBox>

#include <new>

namespace velkora {

namespace {
TApplication::TErrorSink& Sink() {
    static TApplication::TErrorSink s;
    return s;
}
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        HandleException();
        return true;
    }
}

void TApplication::HandleException() {
    try {
        throw;
    } catch (const Exception& e) {
        ShowException(e.Message());
    } catch (const std::bad_alloc&) {
        ShowException(QStringLiteral("Out of memory."));
    } catch (const std::exception& e) {
        ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowException(QStringLiteral("Unknown error."));
    }
}

void TApplication::ShowException(const QString& Message) {
    if (Sink()) {
        Sink()(Message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          Message);
}

void TApplication::SetErrorSink(TErrorSink NewSink) {
    Sink() = std::move(NewSink);
}

} // namespace velkora
