// SPDX-License-Identifier: MIT
#include "widgets/Questions.h"

#include "shell/SaveFile.h"

#include <QApplication>
#include <QColorDialog>
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
TColourSink& ColourSink() {
    static TColourSink s;
    return s;
}

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

bool MayWriteOutsideRoot(QWidget* Parent, const QString& Root, const QString& FileName) {
    QString Target;
    try {
        Target = SaveFile::FinalTarget(FileName);
    } catch (const Exception&) {
        return true;
    }
    if (SaveFile::LiesWithin(Target, Root))
        return true;
    const QString Name = QFileInfo(FileName).fileName();
    const QString Question =
        QFileInfo(FileName).isSymLink()
            ? QStringLiteral("%1 is a link to %2, outside the data root. Write there?")
            : QStringLiteral("%1 would be written to %2, outside the data root. Write there?");
    return Ask(Parent, Question.arg(Name, Target),
               QStringLiteral("The data root is %1. A file there leads outside it, perhaps "
                              "without your knowing: the file it leads to would be replaced.")
                   .arg(Root),
               {{QStringLiteral("Write"), QMessageBox::AcceptRole},
                {QStringLiteral("Cancel"), QMessageBox::RejectRole}}) == 0;
}

TPartialTileAnswer AskPartialTile(QWidget* Parent, const QString& Name, size_t Words) {
    const int a =
        Ask(Parent,
            QStringLiteral("%1 ends with %2 %3 that %4 not a whole tile. The compressed form holds "
                           "whole tiles only.")
                .arg(Name)
                .arg(Words)
                .arg(Words == 1 ? QStringLiteral("word") : QStringLiteral("words"),
                     Words == 1 ? QStringLiteral("is") : QStringLiteral("are")),
            QStringLiteral("Save uncompressed keeps every word; Drop them saves the whole tiles "
                           "compressed."),
            {{QStringLiteral("Save uncompressed"), QMessageBox::AcceptRole},
             {QStringLiteral("Drop them"), QMessageBox::DestructiveRole},
             {QStringLiteral("Cancel"), QMessageBox::RejectRole}});
    return a == 0   ? TPartialTileAnswer::Uncompressed
           : a == 1 ? TPartialTileAnswer::Drop
                    : TPartialTileAnswer::Cancel;
}

bool AskOpenSparseMap(QWidget* Parent, const QString& Text) {
    return Ask(Parent, Text + QStringLiteral(" Open it?"),
               QStringLiteral("The cells the file does not hold are 0; opening it takes that much "
                              "memory."),
               {{QStringLiteral("Open"), QMessageBox::AcceptRole},
                {QStringLiteral("Cancel"), QMessageBox::RejectRole}}) == 0;
}

void SetQuestionSink(TQuestionSink NewSink) {
    Sink() = std::move(NewSink);
}

std::optional<QColor> AskColour(QWidget* Parent, const QColor& Initial, const QString& Title,
                                const QList<QColor>& Swatches) {
    std::optional<QColor> Chosen;
    if (ColourSink()) {
        Chosen = ColourSink()(Initial, Title);
    } else {
        // The custom colours are two rows of eight, numbered down the columns: the swatches go
        // in reading order, eight to a row.
        for (int i = 0; i < int(Swatches.size()) && i < 16; ++i)
            QColorDialog::setCustomColor(i % 8 * 2 + i / 8, Swatches[i]);
        const QColor c = QColorDialog::getColor(Initial, Parent, Title);
        if (c.isValid())
            Chosen = c;
    }
    if (!Chosen || !Chosen->isValid())
        return std::nullopt;
    const QColor Rgb = Chosen->toRgb();
    return QColor(Rgb.red(), Rgb.green(), Rgb.blue());
}

void SetColourSink(TColourSink NewSink) {
    ColourSink() = std::move(NewSink);
}

} // namespace velkora
