#pragma once
// Helpers shared by the tests: temporary folders, whole-file bytes, seeded random data,
// running a piece of code in a child process under a file-size limit.

#include "shell/MyTypes.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <random>

namespace velkora::test {

// A fresh folder removed at the end of the test.
class TempDir {
public:
    TempDir();
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

// Runs the built velkora-tool with Args (in WorkDir when given) and returns its exit status, or
// -1 when it crashed or did not finish within a minute. Its stdout and stderr go to Out and Err.
int RunTool(const QStringList& Args, QByteArray* Out = nullptr, QByteArray* Err = nullptr,
            const QString& WorkDir = QString());

// A deterministic random generator for seeded random cases.
using Rng = std::mt19937;

} // namespace velkora::test
