// SPDX-License-Identifier: MIT
#include "shell/FileDialogs.h"

#include "shell/Settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace velkora {

namespace {

TFileDialogSink& Sink() {
    static TFileDialogSink s;
    return s;
}

QString FolderKey(const QString& Place) {
    return QStringLiteral("Folders/") + Place;
}

QString Ask(QWidget* Parent, const TFileQuestion& Question) {
    if (Sink())
        return Sink()(Question);
    switch (Question.Kind) {
    case TFileQuestion::Folder:
        return QFileDialog::getExistingDirectory(Parent, Question.Title, Question.Start);
    case TFileQuestion::OpenFile:
        return QFileDialog::getOpenFileName(Parent, Question.Title, Question.Start,
                                            Question.Filter);
    case TFileQuestion::SaveFile:
        break;
    }
    QFileDialog Dialog(Parent, Question.Title, QString(), Question.Filter);
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setDefaultSuffix(Question.Suffix);
    Dialog.setOption(QFileDialog::DontConfirmOverwrite, !Question.ConfirmOverwrite);
    const QFileInfo Start(Question.Start);
    if (!Start.path().isEmpty() && Start.path() != QLatin1String("."))
        Dialog.setDirectory(Start.path());
    Dialog.selectFile(Start.fileName());
    return Dialog.exec() == QDialog::Accepted ? Dialog.selectedFiles().value(0) : QString();
}

// Remembers the folder Chosen lies in (for a chosen folder: the one it was chosen from) and
// hands it back.
QString Remember(const QString& Place, const QString& Chosen) {
    if (!Chosen.isEmpty())
        Settings::SetValue(FolderKey(Place), QFileInfo(QDir::cleanPath(Chosen)).absolutePath());
    return Chosen;
}

} // namespace

void SetFileDialogSink(TFileDialogSink NewSink) {
    Sink() = std::move(NewSink);
}

namespace FileDialogs {

QString LastFolder(const QString& Place) {
    const QString Folder = Settings::Value(FolderKey(Place)).toString();
    return !Folder.isEmpty() && QFileInfo(Folder).isDir() ? Folder : QString();
}

QString OpenFile(QWidget* Parent, const QString& Place, const QString& Title,
                 const QString& Filter) {
    TFileQuestion q{TFileQuestion::OpenFile, Title, Filter, LastFolder(Place), QString(), false};
    return Remember(Place, Ask(Parent, q));
}

QString SaveFile(QWidget* Parent, const QString& Place, const QString& Title, const QString& Filter,
                 const QString& ProposedName, const QString& Suffix, bool ConfirmOverwrite) {
    const QString Folder = LastFolder(Place);
    const QString Start = Folder.isEmpty() ? ProposedName : QDir(Folder).filePath(ProposedName);
    TFileQuestion q{TFileQuestion::SaveFile, Title, Filter, Start, Suffix, ConfirmOverwrite};
    return Remember(Place, Ask(Parent, q));
}

QString Folder(QWidget* Parent, const QString& Place, const QString& Title,
               const QString& Fallback) {
    const QString Last = LastFolder(Place);
    TFileQuestion q{TFileQuestion::Folder,
                    Title,
                    QString(),
                    Last.isEmpty() ? Fallback : Last,
                    QString(),
                    false};
    return Remember(Place, Ask(Parent, q));
}

} // namespace FileDialogs

} // namespace velkora
