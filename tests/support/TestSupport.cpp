#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>

#include <csignal>
#include <cstring>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velkora::test {

TempDir::TempDir() {
    if (!fDir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
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

int RunWithFileSizeLimit(uint64_t LimitBytes, const std::function<void()>& Body, QString* Message) {
    int Pipe[2];
    if (::pipe(Pipe) != 0)
        return -2;
    const pid_t Pid = ::fork();
    if (Pid < 0)
        return -2;
    if (Pid == 0) {
        ::close(Pipe[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit Lim {
            rlim_t(LimitBytes), rlim_t(LimitBytes)
        };
        ::setrlimit(RLIMIT_FSIZE, &Lim);
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

int RunTool(const QStringList& Args, QByteArray* Out, QByteArray* Err, const QString& WorkDir) {
    QProcess p;
    if (!WorkDir.isEmpty())
        p.setWorkingDirectory(WorkDir);
    p.start(QStringLiteral(VELKORA_TOOL), Args);
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

} // namespace velkora::test
