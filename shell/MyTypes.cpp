#include "shell/MyTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <new>
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

TFileStamp FileStampOf(const QString& FileName) {
    TFileStamp Stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(FileName).constData(), &st) != 0)
        return Stamp;
    Stamp.Exists = true;
    Stamp.Size = int64_t(st.st_size);
    Stamp.ModifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + int64_t(st.st_mtim.tv_nsec);
    return Stamp;
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

} // namespace

uint64_t PhysicalMemorySize() {
    const long Pages = ::sysconf(_SC_PHYS_PAGES);
    const long PageSize = ::sysconf(_SC_PAGESIZE);
    if (Pages <= 0 || PageSize <= 0)
        return 0;
    return uint64_t(Pages) * uint64_t(PageSize);
}

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

namespace {

// The most symbolic links followed from one name: the system's own limit for a path.
constexpr int MaxLinkDepth = 40;

// What the temporary name adds to the target's name: QSaveFile makes "<name>.XXXXXX" both for
// its named temporary file and for the name it links an unnamed one to before the rename.
constexpr qsizetype TemporaryNameSuffix = 7;

// Follows Path (absolute) through every symbolic link to the name it finally stands for, which
// need not exist yet (a new file, or a link to one). A chain that does not end (a loop) raises
// EFCreateError naming Full with the system's text for ELOOP, as does a path that cannot be
// looked at (a folder that may not be searched, a file in place of a folder).
QByteArray FinalTarget(const QByteArray& Path, const QString& Full) {
    QByteArray Name = Path;
    for (int Depth = 0;; ++Depth) {
        struct stat st {};
        if (::lstat(Name.constData(), &st) != 0) {
            if (errno == ENOENT)
                return Name; // created by the save, or a missing folder that the save reports
            throw EFCreateError(Full, SystemErrorText(errno));
        }
        if (!S_ISLNK(st.st_mode))
            return Name;
        if (Depth == MaxLinkDepth)
            throw EFCreateError(Full, SystemErrorText(ELOOP));
        QByteArray Link(qsizetype(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        ssize_t n;
        while ((n = ::readlink(Name.constData(), Link.data(), size_t(Link.size()))) ==
               ssize_t(Link.size()))
            Link.resize(Link.size() * 2); // the link grew since lstat
        if (n < 0)
            throw EFCreateError(Full, SystemErrorText(errno));
        Link.truncate(qsizetype(n));
        if (Link.startsWith('/')) {
            Name = Link;
        } else {
            const qsizetype Slash = Name.lastIndexOf('/');
            Name = Name.left(Slash > 0 ? Slash : 1) + (Slash > 0 ? "/" : "") + Link;
        }
    }
}

// True when QSaveFile cannot make its temporary name beside Target: the longest name the
// folder takes, less what the temporary name adds, is shorter than Target's own name.
bool TemporaryNameTooLong(const QByteArray& Target) {
    const qsizetype Slash = Target.lastIndexOf('/');
    const QByteArray Folder = Target.left(Slash > 0 ? Slash : 1);
    long NameMax = ::pathconf(Folder.constData(), _PC_NAME_MAX);
    if (NameMax <= 0)
        NameMax = NAME_MAX;
    return Target.size() - Slash - 1 + TemporaryNameSuffix > NameMax;
}

// A name in Target's folder that is short and free now, for a save whose own temporary name
// would be too long.
QByteArray ShortNameBeside(const QByteArray& Target) {
    const qsizetype Slash = Target.lastIndexOf('/');
    const QByteArray Folder = Target.left(Slash > 0 ? Slash : 0);
    for (;;) {
        const QByteArray Name = Folder + "/.velkora-" +
                                QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        struct stat st {};
        if (::lstat(Name.constData(), &st) != 0 && errno == ENOENT)
            return Name;
    }
}

// Gives the new file on Fd the owner, group and permission bits of the old one (Old) as far as
// the process may: a group or owner it may not give stays its own, and then the set-user-ID and
// set-group-ID bits are dropped, since they would no longer name the old file's owner or group.
void KeepOwnerAndMode(int Fd, const struct stat& Old) {
    struct stat New {};
    if (::fstat(Fd, &New) != 0)
        return;
    if (New.st_uid != Old.st_uid || New.st_gid != Old.st_gid) {
        if (::fchown(Fd, Old.st_uid, Old.st_gid) != 0 && New.st_gid != Old.st_gid)
            (void)::fchown(Fd, uid_t(-1), Old.st_gid); // EPERM: not a group of ours
        if (::fstat(Fd, &New) != 0)
            return;
    }
    const bool Same = New.st_uid == Old.st_uid && New.st_gid == Old.st_gid;
    (void)::fchmod(Fd, Old.st_mode & (Same ? 07777 : 01777));
}

// The reason a QSaveFile gave, or the system's text for Errno when it gave none.
QString Reason(const QSaveFile& File, int Errno) {
    const QString Text = File.errorString();
    if (Text.isEmpty() || Text == QLatin1String("Unknown error"))
        return SystemErrorText(Errno != 0 ? Errno : EIO);
    return Text;
}

} // namespace

void WriteFileAtomically(const QString& FileName, const uint8_t* Data, size_t Size) {
    const QString Full = ExpandFileName(FileName);
    // A link, or a chain of links, is written through: the file it finally names is replaced
    // and every link stays.
    const QByteArray Target = FinalTarget(QFile::encodeName(Full), Full);

    struct stat Old {};
    const bool Exists = ::stat(Target.constData(), &Old) == 0;
    if (!Exists && errno != ENOENT)
        throw EFCreateError(Full, SystemErrorText(errno));
    if (Exists) {
        if (S_ISDIR(Old.st_mode))
            throw EFCreateError(Full, SystemErrorText(EISDIR));
        if (!S_ISREG(Old.st_mode))
            throw EFCreateError(Full, QStringLiteral("Not a regular file"));
        // QSaveFile refuses such a file too, but without the system's reason.
        if (::access(Target.constData(), W_OK) != 0)
            throw EFCreateError(Full, SystemErrorText(errno));
    }

    // A name too long for QSaveFile's temporary name is saved under a short free name in the same
    // folder and then renamed over the target, which is as atomic as QSaveFile's own rename.
    const bool Detour = TemporaryNameTooLong(Target);
    const QByteArray SaveName = Detour ? ShortNameBeside(Target) : Target;

    QSaveFile File(QFile::decodeName(SaveName));
    // Never write into the old file when no temporary file can be made beside it (a folder that
    // may not be written): a failure part way would leave it truncated.
    File.setDirectWriteFallback(false);
    if (!File.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw EFCreateError(Full, Reason(File, errno));
    if (Exists)
        KeepOwnerAndMode(File.handle(), Old);

    // Any failure from here on discards the new file: QSaveFile removes it unless committed.
    const auto WriteError = [&](int Errno) {
        return EInOutError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(Full, Reason(File, Errno)));
    };
    const char* p = reinterpret_cast<const char*>(Data);
    for (size_t Left = Size; Left > 0;) {
        const qint64 Written = File.write(p, qint64(Left));
        if (Written <= 0)
            throw WriteError(errno);
        p += Written;
        Left -= size_t(Written);
    }
    if (!File.flush())
        throw WriteError(errno);
    // QSaveFile syncs too, but ignores a failure; a disk that cannot keep the data is one.
    if (::fsync(File.handle()) != 0 && errno != EINVAL && errno != EROFS)
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(Full, SystemErrorText(errno)));
    // Everything is written: what fails now is putting the file in place of the old one.
    if (!File.commit())
        throw EFCreateError(Full, Reason(File, errno));
    if (Detour && ::rename(SaveName.constData(), Target.constData()) != 0) {
        const int Err = errno;
        ::unlink(SaveName.constData());
        throw EFCreateError(Full, SystemErrorText(Err));
    }
}

} // namespace velkora
