// SPDX-License-Identifier: MIT
#pragma once
// Types and helpers shared by every unit: the sprite and map arrays, the data root,
// the error classes and the file helpers through which all file traffic goes.

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace velkora {

// Decoded sprite words: 16 per 8 x 8 tile, four 4-bit pixels per word, leftmost pixel in the top
// nibble; row r of a tile is word 2r (pixels 0-3) then word 2r + 1 (pixels 4-7).
using TMyArray = std::vector<uint16_t>;

// Bytes: an encoded file image, a map's cells, the swapper's pixel cells.
using TMyByteArray = std::vector<uint8_t>;

// One 8 x 8 tile: 8 rows (top to bottom) of 4 bytes; each byte holds two pixels, the left one in
// the high nibble: exactly the layout of a row of a 4-bit bitmap.
using TBlock = std::array<std::array<uint8_t, 4>, 8>;
using TBlocksArray = std::vector<TBlock>;

// A colour mapping: entry c is the colour index that colour index c becomes.
using TPalletteArray = std::array<int32_t, 16>;
namespace MyTypes {
TPalletteArray IdentityPallette();
} // namespace MyTypes

// The names of the data root's two folders. The data root itself belongs to the session
// (shell/Session).
extern const QString SpriteFolderName; // "Sprites"
extern const QString MapFolderName;    // "Maps"

namespace MyTypes {
// The process's current directory, absolute, without a trailing separator.
QString GetCurrentDir();
// Root + separator + Folder + separator + Name.
QString DataPath(const QString& Root, const QString& Folder, const QString& Name = QString());
} // namespace MyTypes

// ---- Errors ---------------------------------------------------------------------------------
// Every error of the system is an Exception carrying the text shown to the user.
class Exception : public std::runtime_error {
public:
    explicit Exception(const QString& Message);
    QString Message() const { return QString::fromUtf8(what()); }
};
// "Cannot open file "%s". %s"
class EFOpenError : public Exception {
public:
    EFOpenError(const QString& FileName, const QString& Reason);
};
// "Cannot create file "%s". %s"
class EFCreateError : public Exception {
public:
    EFCreateError(const QString& FileName, const QString& Reason);
};
// A read or write that failed part way: "Cannot read file "%s". %s" / "Cannot write file "%s". %s"
class EInOutError : public Exception {
public:
    using Exception::Exception;
};
// "List index out of bounds (%d)"
class EListError : public Exception {
public:
    explicit EListError(int Index);
};
// A file whose content cannot be taken (bad header, size over a limit, ...).
class EFormatError : public Exception {
public:
    using Exception::Exception;
};

namespace MyTypes {
// The platform's text for an errno value ("No such file or directory").
QString SystemErrorText(int Errno);

// The absolute form of a path; a relative one is taken against the current directory. Empty
// parts and "." are dropped; ".." is resolved as the file system resolves it, after the links
// before it (the part of the path up to its last ".." is replaced by the folder the system
// reaches through it), never by striking out the part before it as text. When that folder cannot
// be reached the ".." parts stay as given, and opening the file fails as the system says.
QString ExpandFileName(const QString& FileName);

// File names as the file system holds them: bytes, taken here as UTF-8. A name that is not valid
// UTF-8 cannot be opened through a text name, so each byte that is not part of a valid sequence
// is kept as the lone surrogate U+DC80 + byte (which no valid name decodes to): two such names
// stay apart, and every file operation refuses them (EFOpenError, EFCreateError) with the
// reason below.
QString DecodeFileName(const QByteArray& Native);
// True when Name holds such a byte (it came from a name that is not valid UTF-8).
bool HasUndecodableBytes(const QString& Name);
// Name with such bytes written as \xNN, for messages.
QString PrintableFileName(const QString& Name);
// The bytes Name stands for: UTF-8, with each such byte as the byte it was.
QByteArray EncodeFileName(const QString& Name);
// "The name is not valid UTF-8, so the file cannot be opened under it; rename it"
QString NotUtf8Reason();
} // namespace MyTypes

// ---- Files ----------------------------------------------------------------------------------
// Files larger than this are refused by the readers (no game file comes near it).
constexpr uint64_t MaxReadFileSize = uint64_t(1) << 30;

namespace MyTypes {
// The machine's physical memory in bytes; 0 when the system does not tell.
uint64_t PhysicalMemorySize();

// Reads a whole regular file. A missing file, a directory, anything that is not a regular file,
// a file over MaxSize or one that the memory cannot hold raises EFOpenError with the expanded path
// and the reason; a failed read raises EInOutError.
TMyByteArray ReadFileBytes(const QString& FileName, uint64_t MaxSize = MaxReadFileSize);

// Replaces FileName with Data atomically, through QSaveFile: the bytes go to a new file in the
// same folder, every write is checked, the file is synced to disk and then put in place of the
// old one in one rename. A symbolic link, or a chain of them, is written through: the file it
// finally names is replaced and every link stays. The new file keeps the old one's permission
// bits, and its owner and group as far as the process may give them (a group the user is not in
// stays the user's own; the set-ID bits then go). Any name the folder takes can be saved: where
// QSaveFile's temporary name would be too long, the file is made under a short free name in the
// same folder and renamed over the target.
// On any failure the old file is left exactly as it was, no new file is left behind and an error
// is raised, naming the expanded FileName with the system's reason:
//   EFCreateError ("Cannot create file "%s". %s") when the file cannot be created or replaced: a
//     missing folder, a directory or something else in the way, an existing file the process may
//     not write (it is never written in place instead), a folder it may not write, a loop of
//     links, a name the folder does not take, a rename that fails;
//   EInOutError ("Cannot write file "%s". %s") when a write or the sync fails part way (a full
//     disk, the file-size limit).
void WriteFileAtomically(const QString& FileName, const uint8_t* Data, size_t Size);
inline void WriteFileAtomically(const QString& FileName, const TMyByteArray& Data) {
    WriteFileAtomically(FileName, Data.data(), Data.size());
}
} // namespace MyTypes

// What tells one version of a file from another (following links): its size, its modification
// time, which any program may set back, and the file itself (device and inode) with its
// status-change time, which none can: a file replaced, or changed and given its old time stamp
// again, no longer matches. A missing file has Exists false.
struct TFileStamp {
    bool Exists = false;
    int64_t Size = 0;
    int64_t ModifiedNs = 0;
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t ChangedNs = 0;
    bool operator==(const TFileStamp& o) const {
        return Exists == o.Exists && Size == o.Size && ModifiedNs == o.ModifiedNs &&
               Device == o.Device && Inode == o.Inode && ChangedNs == o.ChangedNs;
    }
    bool operator!=(const TFileStamp& o) const { return !(*this == o); }
};
namespace MyTypes {
TFileStamp FileStampOf(const QString& FileName);

// Big-endian helpers for the game's 16-bit numbers.
inline uint16_t ReadBE16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}
inline void AppendBE16(TMyByteArray& Out, uint16_t v) {
    Out.push_back(uint8_t(v >> 8));
    Out.push_back(uint8_t(v & 0xFF));
}
} // namespace MyTypes

} // namespace velkora
