#pragma once
// Destinations for bytes that are produced a piece at a time: a file replaced atomically once
// everything is written, or memory. Writers that stream (the PNG writer) take a TByteSink, so
// the memory they need does not grow with what they write.

#include "shell/MyTypes.h"

#include <QSaveFile>

namespace velkora {

// Takes bytes in order. Write raises an Exception when they cannot be taken.
class TByteSink {
public:
    virtual ~TByteSink() = default;
    virtual void Write(const uint8_t* Data, size_t Size) = 0;
};

// Collects the bytes in Bytes.
class TMemorySink : public TByteSink {
public:
    void Write(const uint8_t* Data, size_t Size) override {
        Bytes.insert(Bytes.end(), Data, Data + Size);
    }
    TMyByteArray Bytes;
};

// Replaces FileName atomically: the bytes go to a temporary file in the target's folder, which
// Commit flushes to disk and renames over the target (through a symbolic link, keeping an
// existing file's permission bits). Until Commit nothing is visible; a sink destroyed without
// Commit, or whose Commit fails, removes its temporary file and leaves the old file exactly as it
// was. The constructor raises EFCreateError when the file cannot be created (missing folder, a
// directory in the way, no permission); Write and Commit raise EInOutError.
class TAtomicFileSink : public TByteSink {
public:
    explicit TAtomicFileSink(const QString& FileName);
    ~TAtomicFileSink() override;
    TAtomicFileSink(const TAtomicFileSink&) = delete;
    TAtomicFileSink& operator=(const TAtomicFileSink&) = delete;

    void Write(const uint8_t* Data, size_t Size) override;
    void Commit();

private:
    [[noreturn]] void Fail();

    QString fFullName;
    QSaveFile fFile;
};

} // namespace velkora
