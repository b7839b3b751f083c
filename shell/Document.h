// SPDX-License-Identifier: MIT
#pragma once
// What every document of the editor has, whatever it holds: the file it belongs to and that
// file's stamp as it was read or last saved here, the edit history, and the modified state the
// history gives. A document type adds what it holds and its edits; each edit is a command on
// UndoStack().

#include "shell/MyTypes.h"

#include <QObject>
#include <QUndoStack>

namespace velkora {

class TDocument : public QObject {
    Q_OBJECT
public:
    explicit TDocument(QObject* Parent = nullptr);
    ~TDocument() override;
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    // The file the document was read from or last saved to; empty before that.
    const QString& FileName() const { return fFileName; }
    QUndoStack* UndoStack() { return &fUndoStack; }
    const QUndoStack* UndoStack() const { return &fUndoStack; }
    // True while the document has edits that are not in its file.
    bool IsModified() const { return !fUndoStack.isClean(); }
    // True when FileName() is no longer the file as it was read or last saved here (another
    // program changed, replaced or removed it).
    bool ChangedOnDisk() const;

signals:
    void ModifiedChanged(bool Modified);

protected:
    // A derived document's destructor clears the history first: its commands refer to it.
    QString fFileName;
    // The stamp of fFileName when it was read or last written here.
    TFileStamp fStamp;
    QUndoStack fUndoStack;
};

} // namespace velkora
