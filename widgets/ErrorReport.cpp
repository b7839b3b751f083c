// SPDX-License-Identifier: MIT
#include "widgets/ErrorReport.h"

#include "shell/MyTypes.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>

#include <new>

namespace velkora {

namespace {
TErrorSink& Sink() {
    static TErrorSink s;
    return s;
}

// The messages reported while a TReportOnce lives, and how many live.
QStringList& Reported() {
    static QStringList r;
    return r;
}
int OnceDepth = 0;

QString Shortened(const QString& Message) {
    QStringList Lines = Message.split(QLatin1Char('\n'));
    bool Cut = Lines.size() > ReportedMessageLines;
    Lines = Lines.mid(0, ReportedMessageLines);
    QString Text = Lines.join(QLatin1Char('\n'));
    if (Text.size() > ReportedMessageLength) {
        Text.truncate(ReportedMessageLength);
        Cut = true;
    }
    return Cut ? Text + QStringLiteral("...") : Text;
}
} // namespace

TReportOnce::TReportOnce() {
    ++OnceDepth;
}

TReportOnce::~TReportOnce() {
    if (--OnceDepth == 0)
        Reported().clear();
}

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

void ReportError(const QString& Full) {
    const QString Message = Shortened(Full);
    if (OnceDepth > 0) {
        if (Reported().contains(Message))
            return;
        Reported() << Message;
    }
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
