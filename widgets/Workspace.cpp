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

bool TWorkspace::MayDiscard() {
    if (!IsModified())
        return true;
    switch (AskSaveChanges(QuestionParent(), DocumentTitle())) {
    case TSaveAnswer::Discard:
        return true;
    case TSaveAnswer::Cancel:
        return false;
    case TSaveAnswer::Save:
        break;
    }
    try {
        SaveDocument();
    } catch (...) {
        ReportException();
        return false;
    }
    return !IsModified();
}

} // namespace velkora
