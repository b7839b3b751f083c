// SPDX-License-Identifier: MIT
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <zlib.h>

#include <csignal>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velkora::test {

TempDir::TempDir() {
    if (!fDir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

TempDir::TempDir(Sharing) : fDir(QStringLiteral("/tmp/velkora-test-XXXXXX")) {
    if (!fDir.isValid() || ::chmod(QFile::encodeName(fDir.path()).constData(), 0777) != 0)
        throw std::runtime_error("cannot create a shared temporary folder under /tmp");
}

void WriteBytes(const QString& FileName, const TMyByteArray& Data) {
    QFile f(FileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write test file " + FileName.toStdString());
    f.write(reinterpret_cast<const char*>(Data.data()), qint64(Data.size()));
}

TMyByteArray ReadBytes(const QString& FileName) {
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read test file " + FileName.toStdString());
    const QByteArray b = f.readAll();
    return TMyByteArray(b.begin(), b.end());
}

TMyByteArray Bytes(std::initializer_list<int> List) {
    TMyByteArray r;
    for (int v : List)
        r.push_back(uint8_t(v));
    return r;
}

namespace {

// Runs Body in a forked child after Setup, which returns false when the child cannot be prepared
// (the child then exits with NotDropped). The child exits 0 when Body returns normally, 1 when
// it throws velkora::Exception (its message comes back in Message), 2 for anything else.
int RunInChild(const std::function<bool()>& Setup, const std::function<void()>& Body,
               QString* Message) {
    int Pipe[2];
    if (::pipe(Pipe) != 0)
        return -2;
    const pid_t Pid = ::fork();
    if (Pid < 0)
        return -2;
    if (Pid == 0) {
        ::close(Pipe[0]);
        if (!Setup())
            ::_exit(NotDropped);
        int Code = 0;
        std::string Text;
        try {
            Body();
        } catch (const Exception& e) {
            Code = 1;
            Text = e.what();
        } catch (...) {
            Code = 2;
        }
        if (!Text.empty() && ::write(Pipe[1], Text.data(), Text.size()) < 0)
            Code = 3;
        ::close(Pipe[1]);
        ::_exit(Code);
    }
    ::close(Pipe[1]);
    std::string Text;
    char Buf[512];
    ssize_t n;
    while ((n = ::read(Pipe[0], Buf, sizeof Buf)) > 0)
        Text.append(Buf, size_t(n));
    ::close(Pipe[0]);
    int Status = 0;
    ::waitpid(Pid, &Status, 0);
    if (Message)
        *Message = QString::fromStdString(Text);
    if (WIFEXITED(Status))
        return WEXITSTATUS(Status);
    return -1;
}

} // namespace

int RunWithFileSizeLimit(uint64_t LimitBytes, const std::function<void()>& Body, QString* Message) {
    return RunInChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit Lim {
                rlim_t(LimitBytes), rlim_t(LimitBytes)
            };
            ::setrlimit(RLIMIT_FSIZE, &Lim);
            return true;
        },
        Body, Message);
}

int RunWithMemoryLimit(uint64_t ExtraBytes, const std::function<void()>& Body, QString* Message) {
    return RunInChild(
        [&] {
            // The first field of statm: the size of the address space, in pages.
            QFile Statm(QStringLiteral("/proc/self/statm"));
            if (!Statm.open(QIODevice::ReadOnly))
                return false;
            const uint64_t Pages = Statm.readLine().split(' ').value(0).toULongLong();
            const uint64_t Limit = Pages * uint64_t(::sysconf(_SC_PAGESIZE)) + ExtraBytes;
            struct rlimit Lim {
                rlim_t(Limit), rlim_t(Limit)
            };
            return Pages != 0 && ::setrlimit(RLIMIT_AS, &Lim) == 0;
        },
        Body, Message);
}

bool NobodyIds(unsigned& Uid, unsigned& Gid) {
    const struct passwd* User = ::getpwnam("nobody");
    if (!User)
        return false;
    const struct group* Group = ::getgrnam("nogroup");
    Uid = User->pw_uid;
    Gid = Group ? Group->gr_gid : User->pw_gid;
    return true;
}

int RunAsNobody(const std::function<void()>& Body, QString* Message,
                const std::vector<unsigned>& Groups) {
    unsigned Uid = 0;
    unsigned Gid = 0;
    if (::geteuid() != 0 || !NobodyIds(Uid, Gid))
        return NotDropped;
    return RunInChild(
        [&] {
            const std::vector<gid_t> List(Groups.begin(), Groups.end());
            // Groups first, then the group, then the user: each step needs root's privileges.
            return ::setgroups(List.size(), List.data()) == 0 && ::setgid(gid_t(Gid)) == 0 &&
                   ::setuid(uid_t(Uid)) == 0 && ::geteuid() == uid_t(Uid);
        },
        Body, Message);
}

namespace {

int RunProgram(const QString& Program, const QStringList& Args, QByteArray* Out, QByteArray* Err,
               const QString& WorkDir) {
    QProcess p;
    if (!WorkDir.isEmpty())
        p.setWorkingDirectory(WorkDir);
    p.start(Program, Args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (Out)
        *Out = p.readAllStandardOutput();
    if (Err)
        *Err = p.readAllStandardError();
    if (p.exitStatus() != QProcess::NormalExit)
        return -1;
    return p.exitCode();
}

} // namespace

int RunTool(const QStringList& Args, QByteArray* Out, QByteArray* Err, const QString& WorkDir) {
    return RunProgram(QStringLiteral(VELKORA_TOOL), Args, Out, Err, WorkDir);
}

int RunToolAsNobody(const QStringList& Args, QByteArray* Out, QByteArray* Err,
                    const QString& WorkDir) {
    if (::geteuid() != 0)
        return RunTool(Args, Out, Err, WorkDir);
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return NotDropped;
    QByteArray Errors;
    const int Status = RunProgram(QStringLiteral("setpriv"),
                                  QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                              QStringLiteral(VELKORA_TOOL)} +
                                      Args,
                                  Out, &Errors, WorkDir);
    if (Err)
        *Err = Errors;
    // Nobody may not run the tool where it was built.
    if (Status == 127 && Errors.startsWith("setpriv:"))
        return NotDropped;
    return Status;
}

uint32_t ReadBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

std::vector<PngChunk> ParsePngChunks(const TMyByteArray& File) {
    static const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (File.size() < 8 || std::memcmp(File.data(), Signature, 8) != 0)
        throw std::runtime_error("no PNG signature");
    std::vector<PngChunk> Chunks;
    size_t Pos = 8;
    while (Pos < File.size()) {
        if (File.size() - Pos < 12)
            throw std::runtime_error("a chunk is cut short");
        const uint32_t Length = ReadBE32(&File[Pos]);
        if (Length > File.size() - Pos - 12)
            throw std::runtime_error("a chunk is longer than the file");
        PngChunk c;
        c.Type.assign(reinterpret_cast<const char*>(&File[Pos + 4]), 4);
        c.Data.assign(File.begin() + long(Pos + 8), File.begin() + long(Pos + 8 + Length));
        const uint32_t Crc = uint32_t(crc32(0, &File[Pos + 4], Length + 4));
        if (Crc != ReadBE32(&File[Pos + 8 + Length]))
            throw std::runtime_error("bad CRC in chunk " + c.Type);
        Pos += 12 + Length;
        Chunks.push_back(std::move(c));
    }
    if (Chunks.empty() || Chunks.front().Type != "IHDR" || Chunks.back().Type != "IEND")
        throw std::runtime_error("the chunks do not run from IHDR to IEND");
    return Chunks;
}

TMyByteArray PngChunkBytes(const std::string& Type, const TMyByteArray& Data) {
    TMyByteArray c;
    for (int s = 24; s >= 0; s -= 8)
        c.push_back(uint8_t(Data.size() >> s));
    c.insert(c.end(), Type.begin(), Type.end());
    c.insert(c.end(), Data.begin(), Data.end());
    const uint32_t Crc = uint32_t(crc32(0, c.data() + 4, uInt(c.size() - 4)));
    for (int s = 24; s >= 0; s -= 8)
        c.push_back(uint8_t(Crc >> s));
    return c;
}

TMyByteArray TextChunkData(const std::string& Keyword, const std::string& Text) {
    TMyByteArray d(Keyword.begin(), Keyword.end());
    d.push_back(0);
    d.insert(d.end(), Text.begin(), Text.end());
    return d;
}

TMyByteArray RawIndexedPng(uint32_t Width, uint32_t Height, int Depth,
                           const std::vector<uint32_t>& Palette, const TMyByteArray& Indices,
                           const std::vector<PngChunk>& Extra) {
    TMyByteArray File = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const auto Append = [&](const std::string& Type, const TMyByteArray& Data) {
        const TMyByteArray c = PngChunkBytes(Type, Data);
        File.insert(File.end(), c.begin(), c.end());
    };
    TMyByteArray Ihdr;
    for (uint32_t v : {Width, Height})
        for (int s = 24; s >= 0; s -= 8)
            Ihdr.push_back(uint8_t(v >> s));
    Ihdr.insert(Ihdr.end(), {uint8_t(Depth), 3, 0, 0, 0});
    Append("IHDR", Ihdr);
    TMyByteArray Plte;
    for (uint32_t c : Palette)
        Plte.insert(Plte.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    Append("PLTE", Plte);
    for (const PngChunk& c : Extra)
        Append(c.Type, c.Data);
    // Each row: filter type 0, then the indices packed high bits first.
    const size_t RowBytes = (size_t(Width) * size_t(Depth) + 7) / 8;
    TMyByteArray Raw;
    for (uint32_t y = 0; y < Height; ++y) {
        Raw.push_back(0);
        TMyByteArray Row(RowBytes, 0);
        for (uint32_t x = 0; x < Width; ++x) {
            const size_t Bit = size_t(x) * size_t(Depth);
            Row[Bit / 8] |= uint8_t(Indices[size_t(y) * Width + x] << (8 - Depth - Bit % 8));
        }
        Raw.insert(Raw.end(), Row.begin(), Row.end());
    }
    uLongf Size = compressBound(uLong(Raw.size()));
    TMyByteArray Idat(Size);
    if (compress(Idat.data(), &Size, Raw.data(), uLong(Raw.size())) != Z_OK)
        throw std::runtime_error("zlib failed");
    Idat.resize(Size);
    Append("IDAT", Idat);
    Append("IEND", {});
    return File;
}

} // namespace velkora::test
