// SPDX-License-Identifier: MIT
#include "shell/MyTypes.h"

#include "shell/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
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
    char Buffer[PATH_MAX];
    QString d =
        ::getcwd(Buffer, sizeof Buffer) ? DecodeFileName(QByteArray(Buffer)) : QDir::currentPath();
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
    if (::stat(EncodeFileName(FileName).constData(), &st) != 0)
        return Stamp;
    Stamp.Exists = true;
    Stamp.Size = int64_t(st.st_size);
    Stamp.ModifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + int64_t(st.st_mtim.tv_nsec);
    Stamp.Device = uint64_t(st.st_dev);
    Stamp.Inode = uint64_t(st.st_ino);
    Stamp.ChangedNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + int64_t(st.st_ctim.tv_nsec);
    return Stamp;
}

QString MyTypes::ExpandFileName(const QString& FileName) {
    const QString Absolute = FileName.startsWith(QLatin1Char('/'))
                                 ? FileName
                                 : GetCurrentDir() + QLatin1Char('/') + FileName;
    QStringList Parts;
    for (const QString& Part : Absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (Part != QLatin1String("."))
            Parts.append(Part);
    const auto Join = [](const QStringList& List) {
        return QLatin1Char('/') + List.join(QLatin1Char('/'));
    };
    const qsizetype LastUp = Parts.lastIndexOf(QStringLiteral(".."));
    if (LastUp < 0 || HasUndecodableBytes(Absolute))
        return Join(Parts);
    // The system takes "a/link/.." as the folder above the one the link names: the part up to
    // the last ".." is resolved by the system itself.
    char Resolved[PATH_MAX];
    if (!::realpath(EncodeFileName(Join(Parts.mid(0, LastUp + 1))).constData(), Resolved))
        return Join(Parts);
    QString Out = DecodeFileName(QByteArray(Resolved));
    for (const QString& Part : Parts.mid(LastUp + 1)) {
        if (!Out.endsWith(QLatin1Char('/')))
            Out += QLatin1Char('/');
        Out += Part;
    }
    return Out;
}

namespace {

// The length of the valid UTF-8 sequence at p (at most n bytes), or 0 when none starts there:
// no overlong forms, no surrogates, nothing above U+10FFFF.
int Utf8SequenceLength(const uint8_t* p, size_t n) {
    const uint8_t b = p[0];
    if (b < 0x80)
        return 1;
    int Length = 0;
    uint8_t Low = 0x80, High = 0xBF; // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        Length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        Length = 3;
        if (b == 0xE0)
            Low = 0xA0;
        else if (b == 0xED)
            High = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        Length = 4;
        if (b == 0xF0)
            Low = 0x90;
        else if (b == 0xF4)
            High = 0x8F;
    } else {
        return 0;
    }
    if (n < size_t(Length) || p[1] < Low || p[1] > High)
        return 0;
    for (int i = 2; i < Length; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    return Length;
}

bool IsEscapedByte(char16_t c) {
    return c >= 0xDC80 && c <= 0xDCFF;
}

} // namespace

QString MyTypes::DecodeFileName(const QByteArray& Native) {
    const auto* p = reinterpret_cast<const uint8_t*>(Native.constData());
    const size_t n = size_t(Native.size());
    QString Out;
    Out.reserve(Native.size());
    size_t Run = 0; // start of the current run of valid sequences
    size_t i = 0;
    while (i < n) {
        const int Length = Utf8SequenceLength(p + i, n - i);
        if (Length > 0) {
            i += size_t(Length);
            continue;
        }
        Out += QString::fromUtf8(Native.constData() + Run, qsizetype(i - Run));
        Out += QChar(char16_t(0xDC00 + p[i]));
        Run = ++i;
    }
    Out += QString::fromUtf8(Native.constData() + Run, qsizetype(n - Run));
    return Out;
}

bool MyTypes::HasUndecodableBytes(const QString& Name) {
    for (qsizetype i = 0; i < Name.size(); ++i) {
        const char16_t c = Name.at(i).unicode();
        if (IsEscapedByte(c) && (i == 0 || !Name.at(i - 1).isHighSurrogate()))
            return true;
    }
    return false;
}

QString MyTypes::PrintableFileName(const QString& Name) {
    QString Out;
    for (qsizetype i = 0; i < Name.size(); ++i) {
        const char16_t c = Name.at(i).unicode();
        if (IsEscapedByte(c) && (i == 0 || !Name.at(i - 1).isHighSurrogate()))
            Out += QStringLiteral("\\x") +
                   QStringLiteral("%1").arg(int(c - 0xDC00), 2, 16, QLatin1Char('0')).toUpper();
        else
            Out += Name.at(i);
    }
    return Out;
}

QByteArray MyTypes::EncodeFileName(const QString& Name) {
    if (!HasUndecodableBytes(Name))
        return Name.toUtf8();
    QByteArray Out;
    qsizetype Run = 0;
    for (qsizetype i = 0; i < Name.size(); ++i) {
        const char16_t c = Name.at(i).unicode();
        if (IsEscapedByte(c) && (i == 0 || !Name.at(i - 1).isHighSurrogate())) {
            Out += Name.mid(Run, i - Run).toUtf8();
            Out += char(c - 0xDC00);
            Run = i + 1;
        }
    }
    Out += Name.mid(Run).toUtf8();
    return Out;
}

QString MyTypes::NotUtf8Reason() {
    return QStringLiteral("The name is not valid UTF-8, so the file cannot be opened under it; "
                          "rename it");
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
    if (HasUndecodableBytes(Full))
        throw EFOpenError(PrintableFileName(Full), NotUtf8Reason());
    const QByteArray Native = EncodeFileName(Full);
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
