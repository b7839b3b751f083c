#include "widgets/ErrorReport.h"

#include "shell/MyTypes.h"

#include <QApplication>
#include <QMessageBox>

#include <new>

namespace velkora {

namespace {
TErrorSink& Sink() {
    static TErrorSink s;
    return s;
}
} // namespace

void ReportException() {
    try {
        throw;
    } catch (const Exception& e) {
        ReportError(e.Message());
    } catch (const std::bad_alloc&) {
        ReportError(QStringLiteral("Out of memory."));
    } catch (const std::exception& e) {
        ReportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("Unknown error."));
    }
}

void ReportError(const QString& Message) {
    if (Sink()) {
        Sink()(Message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          Message);
}

void SetErrorSink(TErrorSink NewSink) {
    Sink() = std::move(NewSink);
}

} // namespace velkora
