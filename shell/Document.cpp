// SPDX-License-Identifier: MIT
#include "shell/Document.h"

namespace velkora {

TDocument::TDocument(QObject* Parent) : QObject(Parent) {
    connect(&fUndoStack, &QUndoStack::cleanChanged, this,
            [this](bool Clean) { emit ModifiedChanged(!Clean); });
}

TDocument::~TDocument() {
    fUndoStack.clear();
}

bool TDocument::ChangedOnDisk() const {
    return !fFileName.isEmpty() && MyTypes::FileStampOf(fFileName) != fStamp;
}

} // namespace velkora
