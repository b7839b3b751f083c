#include "widgets/Workspace.h"

#include "widgets/ErrorReport.h"
#include "widgets/Questions.h"

namespace velkora {

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
