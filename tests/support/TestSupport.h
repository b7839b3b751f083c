// SPDX-License-Identifier: MIT
#pragma once
// Helpers shared by the tests: temporary folders, whole-file bytes, seeded random data,
// running a piece of code in a child process under a file-size limit.

#include "shell/MyTypes.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace velkora::test {

// A fresh folder removed at the end of the test. OpenToEveryone makes it under /tmp with mode
// 0777, so that a test may write into it as another user (RunAsNobody).
class TempDir {
public:
    TempDir();
    enum Sharing { OpenToEveryone };
    explicit TempDir(Sharing);
    QString path() const { return fDir.path(); }
    QString file(const QString& Name) const { return fDir.filePath(Name); }

private:
    QTemporaryDir fDir;
};

// Writes bytes straight to a file (not atomically: for setting up test input).
void WriteBytes(const QString& FileName, const TMyByteArray& Data);
TMyByteArray ReadBytes(const QString& FileName);
TMyByteArray Bytes(std::initializer_list<int> List);

// Runs Body in a forked child whose file-size limit is LimitBytes (SIGXFSZ ignored, so writes
// past the limit fail with EFBIG). The child exits 0 when Body returns normally, 1 when it
// throws velkora::Exception (its message is passed back in Message), 2 for anything else.
// Returns the child's exit status, or -1 when it died by a signal.
int RunWithFileSizeLimit(uint64_t LimitBytes, const std::function<void()>& Body,
                         QString* Message = nullptr);

// Runs Body in a forked child whose address space may grow by at most ExtraBytes beyond what the
// process holds now, so that a large allocation fails there (std::bad_alloc) instead of taking
// the machine's memory. Returns like RunWithFileSizeLimit.
// The address sanitizer cannot work under such a limit: it dies where an allocation fails.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool MemoryLimitsWork = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool MemoryLimitsWork = false;
#else
constexpr bool MemoryLimitsWork = true;
#endif
#else
constexpr bool MemoryLimitsWork = true;
#endif
int RunWithMemoryLimit(uint64_t ExtraBytes, const std::function<void()>& Body,
                       QString* Message = nullptr);

// Runs Body in a forked child that has given up root for the user nobody, with the group
// nogroup and the supplementary groups Groups, so that permission checks apply to it. Returns
// like RunWithFileSizeLimit, or NotDropped when the privileges cannot be dropped (the process is
// not root, or the system refuses).
constexpr int NotDropped = 77;
int RunAsNobody(const std::function<void()>& Body, QString* Message = nullptr,
                const std::vector<unsigned>& Groups = {});
// The user and group ids of nobody and nogroup; false when the system has no such user.
bool NobodyIds(unsigned& Uid, unsigned& Gid);

// Runs the built velkora-tool with Args (in WorkDir when given) and returns its exit status, or
// -1 when it crashed or did not finish within a minute. Its stdout and stderr go to Out and Err.
int RunTool(const QStringList& Args, QByteArray* Out = nullptr, QByteArray* Err = nullptr,
            const QString& WorkDir = QString());
// The same as the user nobody when the process is root (through setpriv), so that a faulty
// command cannot write where only root may; NotDropped when that user cannot run the tool.
int RunToolAsNobody(const QStringList& Args, QByteArray* Out = nullptr, QByteArray* Err = nullptr,
                    const QString& WorkDir = QString());

// One chunk of a PNG file, as the file holds it.
struct PngChunk {
    std::string Type; // "IHDR", "PLTE", ...
    TMyByteArray Data;
};
// The chunks of a PNG file, read straight from its bytes (not through libpng or Qt): checks the
// signature, every length and every CRC, and that the file ends with IEND; raises
// std::runtime_error otherwise.
std::vector<PngChunk> ParsePngChunks(const TMyByteArray& File);
// Big-endian 32-bit number at p.
uint32_t ReadBE32(const uint8_t* p);

// PNG files written here chunk by chunk with zlib, independent of the project's writer, as a
// paint program would leave them. One chunk's bytes: length, type, data, CRC.
TMyByteArray PngChunkBytes(const std::string& Type, const TMyByteArray& Data);
TMyByteArray TextChunkData(const std::string& Keyword, const std::string& Text);
// An indexed PNG (colour type 3) of Width x Height indices (one a byte, packed at Depth bits),
// with PLTE Palette (the RGB of each entry) and, between PLTE and IDAT, the chunks Extra.
TMyByteArray RawIndexedPng(uint32_t Width, uint32_t Height, int Depth,
                           const std::vector<uint32_t>& Palette, const TMyByteArray& Indices,
                           const std::vector<PngChunk>& Extra = {});

// A deterministic random generator for seeded random cases.
using Rng = std::mt19937;

} // namespace velkora::test

// GoogleTest prints strings as text, not as arrays of characters.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
