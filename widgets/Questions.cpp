#include "widgets/Questions.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace velkora {

namespace {

TQuestionSink& Sink() {
    static TQuestionSink s;
    return s;
}

// Asks Question with Answers (QMessageBox roles beside them); the last answer is the default
// and the escape answer. Returns the index of the answer chosen.
int Ask(QWidget* Parent, const QString& Question, const QString& Detail,
        const QList<QPair<QString, QMessageBox::ButtonRole>>& Answers) {
    QStringList Names;
    for (const auto& a : Answers)
        Names << a.first;
    if (Sink())
        return Sink()(Question, Names);
    QMessageBox Box(QMessageBox::Warning, QApplication::applicationDisplayName(), Question,
                    QMessageBox::NoButton, Parent);
    Box.setInformativeText(Detail);
    QList<QAbstractButton*> Buttons;
    for (const auto& a : Answers)
        Buttons << Box.addButton(a.first, a.second);
    Box.setDefaultButton(static_cast<QPushButton*>(Buttons.last()));
    Box.setEscapeButton(Buttons.last());
    Box.exec();
    const int i = int(Buttons.indexOf(Box.clickedButton()));
    return i < 0 ? int(Answers.size()) - 1 : i;
}

} // namespace

TSaveAnswer AskSaveChanges(QWidget* Parent, const QString& Name) {
    const int a = Ask(Parent, QStringLiteral("Save the changes to \"%1\"?").arg(Name),
                      QStringLiteral("Your changes will be lost if you don't save them."),
                      {{QStringLiteral("Save"), QMessageBox::AcceptRole},
                       {QStringLiteral("Discard"), QMessageBox::DestructiveRole},
                       {QStringLiteral("Cancel"), QMessageBox::RejectRole}});
    return a == 0 ? TSaveAnswer::Save : a == 1 ? TSaveAnswer::Discard : TSaveAnswer::Cancel;
}

bool AskOverwriteChanged(QWidget* Parent, const QString& FileName) {
    return Ask(Parent,
               QStringLiteral("The file was changed on disk since it was opened. Overwrite it?"),
               FileName,
               {{QStringLiteral("Overwrite"), QMessageBox::AcceptRole},
                {QStringLiteral("Cancel"), QMessageBox::RejectRole}}) == 0;
}

bool AskReplaceFile(QWidget* Parent, const QString& Name) {
    return Ask(Parent, QStringLiteral("\"%1\" already exists. Replace it?").arg(Name),
               QStringLiteral("Its contents will be replaced by the map being saved."),
               {{QStringLiteral("Replace"), QMessageBox::AcceptRole},
                {QStringLiteral("Cancel"), QMessageBox::RejectRole}}) == 0;
}

bool AskProceed(QWidget* Parent, const QString& Question, const QString& Detail,
                const QString& Proceed) {
    return Ask(Parent, Question, Detail,
               {{Proceed, QMessageBox::AcceptRole},
                {QStringLiteral("Cancel"), QMessageBox::RejectRole}}) == 0;
}

void SetQuestionSink(TQuestionSink NewSink) {
    Sink() = std::move(NewSink);
}

} // namespace velkora
