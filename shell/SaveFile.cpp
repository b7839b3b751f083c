#include "shell/SaveFile.h"

#include <QFileInfo>

#include <cerrno>

namespace velkora {

TAtomicFileSink::TAtomicFileSink(const QString& FileName)
    : fFullName(ExpandFileName(FileName)), fFile(fFullName) {
    // QSaveFile would only find a directory in the way when it renames; say so before anything
    // is written.
    const QFileInfo Info(fFullName);
    if (Info.exists() && Info.isDir())
        throw EFCreateError(fFullName, SystemErrorText(EISDIR));
    if (!fFile.open(QIODevice::WriteOnly))
        throw EFCreateError(fFullName, fFile.errorString());
}

TAtomicFileSink::~TAtomicFileSink() {
    // Without a commit QSaveFile removes its temporary file when it goes; say so explicitly.
    if (fFile.isOpen())
        fFile.cancelWriting();
}

void TAtomicFileSink::Fail() {
    const QString Reason = fFile.errorString();
    fFile.cancelWriting();
    fFile.commit(); // closes and removes the temporary file; the target stays as it was
    throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(fFullName, Reason));
}

void TAtomicFileSink::Write(const uint8_t* Data, size_t Size) {
    if (!fFile.isOpen())
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". The file is closed").arg(fFullName));
    while (Size > 0) {
        const qint64 Piece = qint64(std::min<size_t>(Size, size_t(1) << 30));
        const qint64 Written = fFile.write(reinterpret_cast<const char*>(Data), Piece);
        if (Written <= 0)
            Fail();
        Data += Written;
        Size -= size_t(Written);
    }
}

void TAtomicFileSink::Commit() {
    if (!fFile.isOpen())
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". The file is closed").arg(fFullName));
    if (!fFile.commit())
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(fFullName, fFile.errorString()));
}

} // namespace velkora
