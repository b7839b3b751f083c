#include "shell/MyTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkora {

const QString SpriteFolderName = QStringLiteral("Sprites");
const QString MapFolderName = QStringLiteral("Maps");

TPalletteArray IdentityPallette() {
    TPalletteArray a{};
    for (int i = 0; i < 16; ++i)
        a[i] = i;
    return a;
}

QString GetCurrentDir() {
    QString d = QDir::currentPath();
    while (d.size() > 1 && d.endsWith(QLatin1Char('/')))
        d.chop(1);
    return d;
}

QString DataPath(const QString& Root, const QString& Folder, const QString& Name) {
    QString p = Root + QLatin1Char('/') + Folder;
    if (!Name.isEmpty())
        p += QLatin1Char('/') + Name;
    return p;
}

Exception::Exception(const QString& Message) : std::runtime_error(Message.toStdString()) {}

EFOpenError::EFOpenError(const QString& FileName, const QString& Reason)
    : Exception(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, Reason)) {}

EFCreateError::EFCreateError(const QString& FileName, const QString& Reason)
    : Exception(QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, Reason)) {}

EListError::EListError(int Index)
    : Exception(QStringLiteral("List index out of bounds (%1)").arg(Index)) {}

QString SystemErrorText(int Errno) {
    return QString::fromLocal8Bit(std::strerror(Errno));
}

QString ExpandFileName(const QString& FileName) {
    return QDir::cleanPath(QFileInfo(FileName).absoluteFilePath());
}

namespace {

// Closes a descriptor on every path.
struct FdGuard {
    int fd = -1;
    ~FdGuard() {
        if (fd >= 0)
            ::close(fd);
    }
};

bool WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0) {
            errno = EIO;
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

} // namespace

TMyByteArray ReadFileBytes(const QString& FileName, uint64_t MaxSize) {
    const QString Full = ExpandFileName(FileName);
    const QByteArray Native = QFile::encodeName(Full);
    FdGuard f;
    // Non-blocking, so that a named pipe or a device is refused below instead of waiting for a
    // writer; reads of a regular file are not affected by the flag.
    f.fd = ::open(Native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (f.fd < 0)
        throw EFOpenError(Full, SystemErrorText(errno));
    struct stat st {};
    if (::fstat(f.fd, &st) != 0)
        throw EFOpenError(Full, SystemErrorText(errno));
    if (S_ISDIR(st.st_mode))
        throw EFOpenError(Full, SystemErrorText(EISDIR));
    if (!S_ISREG(st.st_mode))
        throw EFOpenError(Full, QStringLiteral("Not a regular file"));
    if (uint64_t(st.st_size) > MaxSize)
        throw EFOpenError(Full, QStringLiteral("The file is too large (%1 bytes; the limit is %2)")
                                    .arg(qulonglong(st.st_size))
                                    .arg(qulonglong(MaxSize)));
    TMyByteArray Data(size_t(st.st_size));
    size_t Got = 0;
    while (Got < Data.size()) {
        ssize_t r = ::read(f.fd, Data.data() + Got, Data.size() - Got);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError(
                QStringLiteral("Cannot read file \"%1\". %2").arg(Full, SystemErrorText(errno)));
        }
        if (r == 0)
            break; // the file shrank while we read it: take what is there
        Got += size_t(r);
    }
    Data.resize(Got);
    return Data;
}

void WriteFileAtomically(const QString& FileName, const uint8_t* Data, size_t Size) {
    const QString Full = ExpandFileName(FileName);
    QString Target = Full;
    // Write through a symbolic link rather than replacing the link itself.
    QFileInfo Info(Full);
    if (Info.isSymLink()) {
        const QString Linked = Info.symLinkTarget();
        if (!Linked.isEmpty())
            Target = ExpandFileName(Linked);
    }
    const QByteArray NativeTarget = QFile::encodeName(Target);

    mode_t Mode = 0;
    bool HaveMode = false;
    struct stat st {};
    if (::stat(NativeTarget.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw EFCreateError(Full, SystemErrorText(EISDIR));
        if (!S_ISREG(st.st_mode))
            throw EFCreateError(Full, QStringLiteral("Not a regular file"));
        Mode = st.st_mode & 07777;
        HaveMode = true;
    }

    const QFileInfo TargetInfo(Target);
    QByteArray Templ = QFile::encodeName(TargetInfo.absolutePath() + QLatin1String("/.") +
                                         TargetInfo.fileName() + QLatin1String(".XXXXXX"));
    FdGuard f;
    f.fd = ::mkstemp(Templ.data());
    if (f.fd < 0)
        throw EFCreateError(Full, SystemErrorText(errno));
    const QByteArray TempName = Templ;
    auto Fail = [&](int Err) {
        ::close(f.fd);
        f.fd = -1;
        ::unlink(TempName.constData());
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(Full, SystemErrorText(Err)));
    };

    if (!HaveMode) {
        const mode_t Mask = ::umask(0);
        ::umask(Mask);
        Mode = 0666 & ~Mask;
    }
    if (::fchmod(f.fd, Mode) != 0) {
        // Not fatal: the file stays owner-only, the data is what matters.
    }
    if (!WriteAll(f.fd, Data, Size))
        Fail(errno);
    if (::fsync(f.fd) != 0 && errno != EINVAL && errno != EROFS)
        Fail(errno);
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0) {
        const int Err = errno;
        ::unlink(TempName.constData());
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(Full, SystemErrorText(Err)));
    }
    if (::rename(TempName.constData(), NativeTarget.constData()) != 0) {
        const int Err = errno;
        ::unlink(TempName.constData());
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(Full, SystemErrorText(Err)));
    }
}

} // namespace velkora
