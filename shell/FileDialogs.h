// SPDX-License-Identifier: MIT
#pragma once
// The editor's file and folder dialogs. Each kind of file has a place ("EditFile", "Png", "Tmx",
// "DataRoot", ...) whose folder the settings remember: a dialog starts in the folder of the
// file last chosen for that place, and a save dialog proposes a name there ("Hero.png").
// Tests answer the dialogs through a sink instead of a modal dialog.

#include <QString>

#include <functional>

class QWidget;

namespace velkora {

// What a dialog asks.
struct TFileQuestion {
    enum TKind { OpenFile, SaveFile, Folder };
    TKind Kind = OpenFile;
    QString Title;
    QString Filter;        // "PNG pictures (*.png)"; empty for a folder
    QString Start;         // the folder shown first, with the proposed name for a save
    QString Suffix;        // what a save adds to a name typed without one; empty: nothing
    bool ConfirmOverwrite; // a save asks before it replaces a file
};

// Where the dialogs go: the sink gets the question and returns the chosen path (empty for
// Cancel). Null restores the dialogs.
using TFileDialogSink = std::function<QString(const TFileQuestion&)>;
void SetFileDialogSink(TFileDialogSink Sink);

namespace FileDialogs {

// Each returns the chosen path, or an empty text for Cancel, and remembers its folder for Place.
QString OpenFile(QWidget* Parent, const QString& Place, const QString& Title,
                 const QString& Filter);
QString SaveFile(QWidget* Parent, const QString& Place, const QString& Title, const QString& Filter,
                 const QString& ProposedName, const QString& Suffix, bool ConfirmOverwrite);
// A folder; the dialog starts where the last one for Place was chosen, or else in Fallback.
QString Folder(QWidget* Parent, const QString& Place, const QString& Title,
               const QString& Fallback = QString());

// The folder remembered for Place; empty when there is none or it is gone.
QString LastFolder(const QString& Place);

} // namespace FileDialogs

} // namespace velkora
