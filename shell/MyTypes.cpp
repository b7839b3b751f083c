#include "shell/MyTypes.h"

#include "shell/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace velkora {

const QString SpriteFolderName = QStringLiteral("Sprites");
const QString MapFolderName = QStringLiteral("Maps");

TPalletteArray MyTypes::IdentityPallette() {
    TPalletteArray a{};
    for (int i = 0; i < 16; ++i)
        a[i] = i;
    return a;
}

QString MyTypes::GetCurrentDir() {
    QString d = QDir::currentPath();
    while (d.size() > 1 && d.endsWith(QLatin1Char('/')))
        d.chop(1);
    return d;
}

QString MyTypes::DataPath(const QString& Root, const QString& Folder, const QString& Name) {
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

QString MyTypes::SystemErrorText(int Errno) {
    return QString::fromLocal8Bit(std::strerror(Errno));
}

TFileStamp MyTypes::FileStampOf(const QString& FileName) {
    TFileStamp Stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(FileName).constData(), &st) != 0)
        return Stamp;
    Stamp.Exists = true;
    Stamp.Size = int64_t(st.st_size);
    Stamp.ModifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + int64_t(st.st_mtim.tv_nsec);
    return Stamp;
}

QString MyTypes::ExpandFileName(const QString& FileName) {
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

} // namespace

uint64_t MyTypes::PhysicalMemorySize() {
    const long Pages = ::sysconf(_SC_PHYS_PAGES);
    const long PageSize = ::sysconf(_SC_PAGESIZE);
    if (Pages <= 0 || PageSize <= 0)
        return 0;
    return uint64_t(Pages) * uint64_t(PageSize);
}

TMyByteArray MyTypes::ReadFileBytes(const QString& FileName, uint64_t MaxSize) {
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
    const uint64_t Memory = PhysicalMemorySize();
    if (Memory != 0 && uint64_t(st.st_size) > Memory)
        throw EFOpenError(Full, QStringLiteral("The file is too large for this machine's memory "
                                               "(%1 bytes; the memory has %2)")
                                    .arg(qulonglong(st.st_size))
                                    .arg(qulonglong(Memory)));
    TMyByteArray Data;
    try {
        Data.resize(size_t(st.st_size));
    } catch (const std::bad_alloc&) {
        throw EFOpenError(Full, QStringLiteral("The %1 bytes for the file cannot be allocated")
                                    .arg(qulonglong(st.st_size)));
    }
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

void MyTypes::WriteFileAtomically(const QString& FileName, const uint8_t* Data, size_t Size) {
    TAtomicFileSink File(FileName);
    File.Write(Data, Size);
    File.Commit();
}

} // namespace velkora
