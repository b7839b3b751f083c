// SPDX-License-Identifier: MIT
#include "widgets/Workspace.h"

#include "widgets/ErrorReport.h"
#include "widgets/Questions.h"

#include <QMenu>

namespace velkora {

QList<QAction*> TWorkspace::MenuActions() const {
    QList<QAction*> Out;
    for (const QMenu* Menu : Menus)
        Out << Menu->actions();
    return Out;
}

bool MayDiscardChanges(QWidget* Parent, const QString& Title,
                       const std::function<bool()>& IsModified, const std::function<void()>& Save) {
    if (!IsModified())
        return true;
    switch (AskSaveChanges(Parent, Title)) {
    case TSaveAnswer::Discard:
        return true;
    case TSaveAnswer::Cancel:
        return false;
    case TSaveAnswer::Save:
        break;
    }
    try {
        Save();
    } catch (...) {
        ReportException();
        return false;
    }
    return !IsModified();
}

bool TWorkspace::MayDiscard() {
    return MayDiscardChanges(
        QuestionParent(), DocumentTitle(), [this] { return IsModified(); },
        [this] { SaveDocument(); });
}

} // namespace velkora
