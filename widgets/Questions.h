// SPDX-License-Identifier: MIT
#pragma once
// The questions the editor asks before it would throw work away or overwrite a file that
// changed under it. Each is a modal message box by default; tests answer through a sink instead
// of waiting on a modal.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <optional>

class QWidget;

namespace velkora {

enum class TSaveAnswer { Save, Discard, Cancel };

// "Save the changes to NAME?" with Save, Discard and Cancel (the default, and what Escape or
// closing the box gives).
TSaveAnswer AskSaveChanges(QWidget* Parent, const QString& Name);
// "The file was changed on disk since it was opened. Overwrite it?" with Overwrite and Cancel;
// true for Overwrite.
bool AskOverwriteChanged(QWidget* Parent, const QString& FileName);

// "NAME already exists. Replace it?" with Replace and Cancel; true for Replace.
bool AskReplaceFile(QWidget* Parent, const QString& Name);

// Question with Detail below it, answered Proceed or Cancel (the default, and what Escape or
// closing the box gives); true for Proceed.
bool AskProceed(QWidget* Parent, const QString& Question, const QString& Detail,
                const QString& Proceed);

// Before a save of FileName into the data root Root: when the file the save would replace lies
// outside Root (FileName is a link to it, or a folder on its way is), asks "NAME is a link to
// TARGET, outside the data root. Write there?" with Write and Cancel. True when the save may go
// on: the file lies inside the root (links there are written through without a word), the user
// said Write, or the target cannot be told (the save itself then reports why).
bool MayWriteOutsideRoot(QWidget* Parent, const QString& Root, const QString& FileName);

// "NAME ends with N words that are not a whole tile. The compressed form holds whole tiles only."
// with Save uncompressed (the form that keeps them), Drop them and Cancel.
enum class TPartialTileAnswer { Uncompressed, Drop, Cancel };
TPartialTileAnswer AskPartialTile(QWidget* Parent, const QString& Name, size_t Words);
// Text (what the file declares and holds) and "Open it?" with Open and Cancel; true for Open.
bool AskOpenSparseMap(QWidget* Parent, const QString& Text);

// Where questions go: Sink gets the question's text and its answers' names in order, and
// returns the index of the answer chosen. Null restores the message boxes.
using TQuestionSink = std::function<int(const QString& Question, const QStringList& Answers)>;
void SetQuestionSink(TQuestionSink Sink);

// A colour dialog titled Title showing Initial first, with Swatches (up to 16: the palette the
// colour belongs to) among its custom colours for comparison. The colour chosen (opaque), or none
// for Cancel.
std::optional<QColor> AskColour(QWidget* Parent, const QColor& Initial, const QString& Title,
                                const QList<QColor>& Swatches = {});
// Where colour dialogs go: the sink gets the colour shown first and the title, and returns the
// answer. Null restores the dialog.
using TColourSink =
    std::function<std::optional<QColor>(const QColor& Initial, const QString& Title)>;
void SetColourSink(TColourSink Sink);

} // namespace velkora
