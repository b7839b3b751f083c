// SPDX-License-Identifier: MIT
#include "shell/SaveFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace velkora {

namespace {

// The most symbolic links followed from one name: the system's own limit for a path.
constexpr int MaxLinkDepth = 40;

// What the temporary name adds to the target's name: QSaveFile makes "<name>.XXXXXX" both for
// its named temporary file and for the name it links an unnamed one to before the rename.
constexpr qsizetype TemporaryNameSuffix = 7;

// Name with its folder as the system reaches it: the folder's links and ".." resolved, so that
// what follows works on the file the system would open. A name that ends in "." or ".." is a
// folder and is resolved whole. A folder that cannot be reached raises EFCreateError naming Full
// with the system's reason (a missing folder, one that may not be searched, a file in its place).
QByteArray PhysicalName(const QByteArray& Name, const QString& Full) {
    const qsizetype Slash = Name.lastIndexOf('/');
    const QByteArray Base = Name.mid(Slash + 1);
    const bool WholeName = Base.isEmpty() || Base == "." || Base == "..";
    const QByteArray Folder = WholeName ? Name : Name.left(Slash > 0 ? Slash : 1);
    char Resolved[PATH_MAX];
    if (!::realpath(Folder.constData(), Resolved))
        throw EFCreateError(Full, MyTypes::SystemErrorText(errno));
    const QByteArray Real(Resolved);
    if (WholeName)
        return Real;
    return Real + (Real.endsWith('/') ? "" : "/") + Base;
}

// Follows Path (absolute) through every symbolic link to the name it finally stands for, which
// need not exist yet (a new file, or a link to one), with its folder resolved as the system
// resolves it. A chain that does not end (a loop) raises EFCreateError naming Full with the
// system's text for ELOOP, as does a path that cannot be looked at (a folder that may not be
// searched, a file in place of a folder, a missing folder).
QByteArray FinalTarget(const QByteArray& Path, const QString& Full) {
    QByteArray Name = PhysicalName(Path, Full);
    for (int Depth = 0;; ++Depth) {
        struct stat st {};
        if (::lstat(Name.constData(), &st) != 0) {
            if (errno == ENOENT)
                return Name; // created by the save
            throw EFCreateError(Full, MyTypes::SystemErrorText(errno));
        }
        if (!S_ISLNK(st.st_mode))
            return Name;
        if (Depth == MaxLinkDepth)
            throw EFCreateError(Full, MyTypes::SystemErrorText(ELOOP));
        QByteArray Link(qsizetype(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        ssize_t n;
        while ((n = ::readlink(Name.constData(), Link.data(), size_t(Link.size()))) ==
               ssize_t(Link.size()))
            Link.resize(Link.size() * 2); // the link grew since lstat
        if (n < 0)
            throw EFCreateError(Full, MyTypes::SystemErrorText(errno));
        Link.truncate(qsizetype(n));
        if (!Link.startsWith('/')) {
            // Relative to the folder that holds the link, which is already resolved.
            const qsizetype Slash = Name.lastIndexOf('/');
            Link = Name.left(Slash > 0 ? Slash : 0) + "/" + Link;
        }
        // A link to a name in a missing folder is a missing folder: the save reports it.
        Name = PhysicalName(Link, Full);
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
        return MyTypes::SystemErrorText(Errno != 0 ? Errno : EIO);
    return Text;
}

} // namespace

QString SaveFile::FinalTarget(const QString& FileName) {
    const QString Full = MyTypes::ExpandFileName(FileName);
    if (MyTypes::HasUndecodableBytes(Full))
        throw EFCreateError(MyTypes::PrintableFileName(Full), MyTypes::NotUtf8Reason());
    return MyTypes::DecodeFileName(velkora::FinalTarget(MyTypes::EncodeFileName(Full), Full));
}

bool SaveFile::LiesWithin(const QString& Target, const QString& Folder) {
    char Resolved[PATH_MAX];
    const QString Real = ::realpath(MyTypes::EncodeFileName(Folder).constData(), Resolved)
                             ? MyTypes::DecodeFileName(QByteArray(Resolved))
                             : MyTypes::ExpandFileName(Folder);
    return Target == Real ||
           Target.startsWith(Real.endsWith(QLatin1Char('/')) ? Real : Real + QLatin1Char('/'));
}

TAtomicFileSink::TAtomicFileSink(const QString& FileName)
    : fFull(MyTypes::ExpandFileName(FileName)) {
    if (MyTypes::HasUndecodableBytes(fFull))
        throw EFCreateError(MyTypes::PrintableFileName(fFull), MyTypes::NotUtf8Reason());
    // A link, or a chain of links, is written through: the file it finally names is replaced
    // and every link stays.
    fTarget = FinalTarget(MyTypes::EncodeFileName(fFull), fFull);

    struct stat Old {};
    const bool Exists = ::stat(fTarget.constData(), &Old) == 0;
    if (!Exists && errno != ENOENT)
        throw EFCreateError(fFull, MyTypes::SystemErrorText(errno));
    if (Exists) {
        if (S_ISDIR(Old.st_mode))
            throw EFCreateError(fFull, MyTypes::SystemErrorText(EISDIR));
        if (!S_ISREG(Old.st_mode))
            throw EFCreateError(fFull, QStringLiteral("Not a regular file"));
        // QSaveFile refuses such a file too, but without the system's reason.
        if (::access(fTarget.constData(), W_OK) != 0)
            throw EFCreateError(fFull, MyTypes::SystemErrorText(errno));
    }

    // A name too long for QSaveFile's temporary name is saved under a short free name in the same
    // folder and then renamed over the target, which is as atomic as QSaveFile's own rename.
    fDetour = TemporaryNameTooLong(fTarget);
    fSaveName = fDetour ? ShortNameBeside(fTarget) : fTarget;

    fFile = std::make_unique<QSaveFile>(QFile::decodeName(fSaveName));
    // Never write into the old file when no temporary file can be made beside it (a folder that
    // may not be written): a failure part way would leave it truncated.
    fFile->setDirectWriteFallback(false);
    if (!fFile->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw EFCreateError(fFull, Reason(*fFile, errno));
    if (Exists)
        KeepOwnerAndMode(fFile->handle(), Old);
}

// Without a commit QSaveFile removes its new file when it goes.
TAtomicFileSink::~TAtomicFileSink() = default;

EInOutError TAtomicFileSink::WriteError(int Errno) const {
    return EInOutError(
        QStringLiteral("Cannot write file \"%1\". %2").arg(fFull, Reason(*fFile, Errno)));
}

void TAtomicFileSink::Write(const uint8_t* Data, size_t Size) {
    if (fDone)
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". The file is already complete").arg(fFull));
    const char* p = reinterpret_cast<const char*>(Data);
    for (size_t Left = Size; Left > 0;) {
        const qint64 Written = fFile->write(p, qint64(Left));
        if (Written <= 0)
            throw WriteError(errno);
        p += Written;
        Left -= size_t(Written);
    }
}

void TAtomicFileSink::Commit() {
    if (fDone)
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". The file is already complete").arg(fFull));
    fDone = true;
    if (!fFile->flush())
        throw WriteError(errno);
    // QSaveFile syncs too, but ignores a failure; a disk that cannot keep the data is one.
    if (::fsync(fFile->handle()) != 0 && errno != EINVAL && errno != EROFS)
        throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2")
                              .arg(fFull, MyTypes::SystemErrorText(errno)));
    // Everything is written: what fails now is putting the file in place of the old one.
    if (!fFile->commit())
        throw EFCreateError(fFull, Reason(*fFile, errno));
    if (fDetour && ::rename(fSaveName.constData(), fTarget.constData()) != 0) {
        const int Err = errno;
        ::unlink(fSaveName.constData());
        throw EFCreateError(fFull, MyTypes::SystemErrorText(Err));
    }
}

} // namespace velkora
