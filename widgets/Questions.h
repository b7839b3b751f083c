#pragma once
// The questions the editor asks before it would throw work away or overwrite a file that
// changed under it. Each is a modal message box by default; tests answer through a sink instead
// of waiting on a modal.

#include <QString>
#include <QStringList>

#include <functional>

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

// Where questions go: Sink gets the question's text and its answers' names in order, and
// returns the index of the answer chosen. Null restores the message boxes.
using TQuestionSink = std::function<int(const QString& Question, const QStringList& Answers)>;
void SetQuestionSink(TQuestionSink Sink);

} // namespace velkora
