// SPDX-License-Identifier: MIT
#pragma once
// Destinations for bytes that are produced a piece at a time: a file replaced atomically once
// everything is written, or memory. Writers that stream (the PNG writer) take a TByteSink, so
// the memory they need does not grow with what they write.

#include "shell/MyTypes.h"

#include <QByteArray>
#include <QSaveFile>

#include <memory>

namespace velkora {

namespace SaveFile {
// The file a save of FileName replaces: the name every symbolic link on the way finally stands
// for, with its folder resolved as the system resolves it (links and ".."), so that it is the
// one absolute name of that file. It need not exist. Raises EFCreateError where the save would
// fail before writing: a loop of links, a folder that is missing or may not be searched.
QString FinalTarget(const QString& FileName);
// True when Target (absolute and resolved, as FinalTarget gives it) is Folder or lies below it;
// Folder is resolved through its links first.
bool LiesWithin(const QString& Target, const QString& Folder);
} // namespace SaveFile

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

// Replaces FileName atomically with the bytes written, exactly as WriteFileAtomically does (it is
// that function's machinery, see MyTypes.h: links followed, owner, group and permission bits
// kept, long names saved), but taking the bytes a piece at a time. The constructor raises
// EFCreateError when the file cannot be created or replaced, Write raises EInOutError when a
// write fails, Commit raises EInOutError when the flush or the sync fails and EFCreateError when
// the new file cannot be put in place of the old one. Nothing is visible until Commit succeeds: a
// sink destroyed without it, or after any failure, leaves the old file exactly as it was and no
// new file behind.
class TAtomicFileSink : public TByteSink {
public:
    explicit TAtomicFileSink(const QString& FileName);
    ~TAtomicFileSink() override;
    TAtomicFileSink(const TAtomicFileSink&) = delete;
    TAtomicFileSink& operator=(const TAtomicFileSink&) = delete;

    void Write(const uint8_t* Data, size_t Size) override;
    void Commit();

private:
    EInOutError WriteError(int Errno) const;

    QString fFull;
    QByteArray fTarget;   // the file finally replaced (links followed)
    QByteArray fSaveName; // what QSaveFile writes: the target, or a short name beside it
    bool fDetour = false;
    bool fDone = false;
    std::unique_ptr<QSaveFile> fFile;
};

} // namespace velkora
