// SPDX-License-Identifier: MIT
#include "widgets/LongTask.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

#include <memory>

namespace velkora {

int& LongTask::ShowAfter() {
    static int Ms = 1000;
    return Ms;
}

bool LongTask::Run(QWidget* Parent, const QString& Text,
                   const std::function<void(const TProgress&)>& Work) {
    constexpr int Steps = 1000;
    // Events are handled this often at most, so that the reports cost the work little.
    constexpr qint64 EventEveryMs = 40;
    QElapsedTimer Clock;
    Clock.start();
    qint64 LastEvents = -EventEveryMs;
    std::unique_ptr<QProgressDialog> Dialog;
    const TProgress Progress = [&](uint64_t Done, uint64_t Total) {
        const qint64 Now = Clock.elapsed();
        if (Now < ShowAfter() || (ShowAfter() > 0 && Now - LastEvents < EventEveryMs))
            return;
        LastEvents = Now;
        if (!Dialog) {
            Dialog = std::make_unique<QProgressDialog>(Text, QStringLiteral("Cancel"), 0, Steps,
                                                       Parent ? Parent->window() : nullptr);
            Dialog->setWindowTitle(QApplication::applicationDisplayName());
            Dialog->setWindowModality(Qt::ApplicationModal);
            Dialog->setMinimumDuration(0);
            Dialog->setAutoClose(false);
            Dialog->setAutoReset(false);
            Dialog->show();
        }
        Dialog->setValue(Total == 0 ? 0 : int(double(Done) / double(Total) * Steps));
        QApplication::processEvents();
        if (Dialog->wasCanceled())
            throw ECancelled();
    };
    try {
        Work(Progress);
    } catch (const ECancelled&) {
        return false;
    }
    return true;
}

} // namespace velkora
