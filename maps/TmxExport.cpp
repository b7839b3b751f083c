// SPDX-License-Identifier: MIT
#include "maps/TmxExport.h"

#include "shell/SaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <unistd.h>

namespace velkora {

namespace {

// A file that one export writes.
struct TTarget {
    TTarget(const QString& FileName, const QByteArray& Text) : Name(FileName), Bytes(Text) {}
    QString Name;
    QByteArray Bytes;
    std::unique_ptr<TAtomicFileSink> Sink;
    // Put back should a later file of the same export fail to go in place: the old file under a
    // second name (a hard link beside it), or, where the file system has none, its bytes.
    QString Final;
    QString Backup;
    bool Existed = false;
    bool HaveBytes = false;
    TMyByteArray OldBytes;
};

// Keeps the file Target will replace, to put it back.
void KeepOld(TTarget& Target) {
    const QFileInfo Info(MyTypes::ExpandFileName(Target.Name));
    Target.Final = Info.canonicalFilePath();
    Target.Existed = !Target.Final.isEmpty();
    if (!Target.Existed)
        return;
    const QString Folder = QFileInfo(Target.Final).absolutePath();
    for (int Attempt = 0; Attempt < 8; ++Attempt) {
        const QString Name = Folder + QStringLiteral("/.velkora-keep-") +
                             QString::number(QRandomGenerator::global()->generate64(), 36);
        if (::link(QFile::encodeName(Target.Final).constData(),
                   QFile::encodeName(Name).constData()) == 0) {
            Target.Backup = Name;
            return;
        }
        if (errno != EEXIST)
            break;
    }
    try {
        Target.OldBytes = MyTypes::ReadFileBytes(Target.Final, uint64_t(64) << 20);
        Target.HaveBytes = true;
    } catch (const Exception&) {
    }
}

void PutBack(TTarget& Target) {
    if (!Target.Existed) {
        const QString Made = QFileInfo(MyTypes::ExpandFileName(Target.Name)).canonicalFilePath();
        if (!Made.isEmpty())
            QFile::remove(Made);
    } else if (!Target.Backup.isEmpty()) {
        if (::rename(QFile::encodeName(Target.Backup).constData(),
                     QFile::encodeName(Target.Final).constData()) == 0)
            Target.Backup.clear();
    } else if (Target.HaveBytes) {
        try {
            MyTypes::WriteFileAtomically(Target.Final, Target.OldBytes);
        } catch (const Exception&) {
        }
    }
}

void DropBackup(TTarget& Target) {
    if (!Target.Backup.isEmpty())
        ::unlink(QFile::encodeName(Target.Backup).constData());
    Target.Backup.clear();
}

// Writes all Targets as one save (see Export).
void WriteTogether(std::vector<TTarget>& Targets) {
    for (TTarget& t : Targets)
        t.Sink = std::make_unique<TAtomicFileSink>(t.Name);
    for (TTarget& t : Targets)
        t.Sink->Write(reinterpret_cast<const uint8_t*>(t.Bytes.constData()),
                      size_t(t.Bytes.size()));
    size_t Done = 0;
    try {
        for (; Done < Targets.size(); ++Done) {
            KeepOld(Targets[Done]);
            Targets[Done].Sink->Commit();
        }
    } catch (...) {
        for (size_t i = 0; i <= Done && i < Targets.size(); ++i) {
            if (i < Done)
                PutBack(Targets[i]);
            DropBackup(Targets[i]);
        }
        throw;
    }
    for (TTarget& t : Targets)
        DropBackup(t);
}

QByteArray EncodePng(const QImage& Image, const QString& FileName) {
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, "png");
    if (!Writer.write(Image))
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(FileName, Writer.errorString()));
    return Png;
}

} // namespace

TTmxExportPlan TmxExport::PlanExport(const QString& FileName, const QString& TilesetFile) {
    TTmxExportPlan Plan;
    Plan.MapFile = MyTypes::ExpandFileName(FileName);
    // The tileset picture lies beside the file the map goes into (the target of a link, which
    // the save writes through), and a tileset file is named relative to that file's folder.
    const QFileInfo Given(Plan.MapFile);
    const QString Real = Given.canonicalFilePath();
    const QFileInfo Out(Real.isEmpty() ? Given.absoluteFilePath() : Real);
    if (Out.isDir())
        throw EFCreateError(Plan.MapFile, MyTypes::SystemErrorText(EISDIR));

    TTmxTileset& Tileset = Plan.Tileset;
    if (TilesetFile.isEmpty()) {
        Tileset.ImageSource = Out.completeBaseName() + QStringLiteral("-tiles.png");
        Plan.PictureFile = Out.absolutePath() + QLatin1Char('/') + Tileset.ImageSource;
        return Plan;
    }

    Plan.TilesetFile = MyTypes::ExpandFileName(TilesetFile);
    const QFileInfo Tsx(Plan.TilesetFile);
    if (Tsx.isDir())
        throw EFCreateError(Plan.TilesetFile, MyTypes::SystemErrorText(EISDIR));
    Tileset.Source = QDir(Out.absolutePath()).relativeFilePath(Tsx.absoluteFilePath());
    if (!Tsx.exists()) {
        Tileset.ImageSource = Tsx.completeBaseName() + QStringLiteral(".png");
        Plan.PictureFile = Tsx.absolutePath() + QLatin1Char('/') + Tileset.ImageSource;
    } else {
        // The user's tileset, with what the map editor added to it (terrain sets, tile
        // properties, animations), stays as it is; the picture is drawn in its geometry.
        Plan.KeepTileset = true;
        const TMyByteArray Data = MyTypes::ReadFileBytes(Plan.TilesetFile, MaxTmxFileSize);
        TTmxTilesetInfo Kept = TmxFile::DecodeTileset(Data.data(), Data.size(), Plan.TilesetFile);
        Kept.Where = QStringLiteral("the tileset");
        const QString Prefix = QStringLiteral("Tileset file \"%1\"").arg(Plan.TilesetFile);
        TmxMap::CheckTileset(Kept, Prefix);
        if (Kept.ImageSource.isEmpty())
            throw EFormatError(Prefix + QStringLiteral(": its <image> names no picture"));
        const int64_t Columns = Kept.Columns > 0       ? Kept.Columns
                                : Kept.ImageWidth >= 0 ? Kept.ImageWidth / MapCellSize
                                                       : 0;
        if (Columns <= 0)
            throw EFormatError(Prefix + QStringLiteral(": it gives neither its columns nor the "
                                                       "width of its picture"));
        int64_t Count = Kept.TileCount > 0 ? Kept.TileCount : TmxTileCount;
        if (Kept.ImageHeight >= 0)
            Count = std::min(Count, Columns * (Kept.ImageHeight / MapCellSize));
        Tileset.Name = Kept.Name;
        Tileset.Columns = int32_t(Columns);
        Tileset.TileCount = int32_t(std::min<int64_t>(Count, TmxTileCount));
        Tileset.ImageSource = Kept.ImageSource;
        Tileset.ImageWidth =
            int32_t(Kept.ImageWidth >= 0 ? Kept.ImageWidth : Columns * MapCellSize);
        Tileset.ImageHeight =
            int32_t(Kept.ImageHeight >= 0 ? Kept.ImageHeight
                                          : (Count + Columns - 1) / Columns * MapCellSize);
        Plan.PictureFile = Tsx.absoluteDir().filePath(Kept.ImageSource);
    }

    const auto Same = [](const QString& a, const QString& b) {
        const QString ca = QFileInfo(a).canonicalFilePath();
        const QString cb = QFileInfo(b).canonicalFilePath();
        return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath() ||
               (!ca.isEmpty() && ca == cb);
    };
    if (Same(Plan.MapFile, Plan.TilesetFile) || Same(Plan.MapFile, Plan.PictureFile) ||
        Same(Plan.TilesetFile, Plan.PictureFile))
        throw EFormatError(QStringLiteral("Cannot export the map as \"%1\" with the tileset \"%2\" "
                                          "and its picture \"%3\": they must be three files")
                               .arg(Plan.MapFile, Plan.TilesetFile, Plan.PictureFile));
    return Plan;
}

QImage TmxExport::TilesetPicture(const TMapCellPictures& Pictures, const TTmxTileset& Tileset) {
    const int Columns = std::max(Tileset.Columns, 1);
    QImage Image(Tileset.ImageWidth, Tileset.ImageHeight, QImage::Format_RGB32);
    if (Image.isNull())
        throw std::bad_alloc();
    Image.fill(QColor(0, 0, 0));
    const int Count = std::min(Tileset.TileCount, TmxTileCount);
    for (int v = 0; v < Count; ++v) {
        const int Left = v % Columns * MapCellSize;
        const int Top = v / Columns * MapCellSize;
        if (Left + MapCellSize > Image.width() || Top + MapCellSize > Image.height())
            continue;
        const QImage Tile = Pictures.Picture(v).convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < MapCellSize; ++y)
            std::memcpy(Image.scanLine(Top + y) + size_t(Left) * sizeof(QRgb),
                        Tile.constScanLine(y), MapCellSize * sizeof(QRgb));
    }
    return Image;
}

void TmxExport::Export(const TTmxExportPlan& Plan, const TMyByteArray& Cells, int32_t w, int32_t h,
                       const TMapCellPictures& Pictures, const TTmxExportInfo& Info,
                       const TProgress& Progress) {
    TTmxTileset Tileset = Plan.Tileset;
    if (!Plan.KeepTileset)
        Tileset.Name = Info.Texture1Name + QStringLiteral(" : ") + Info.Texture2Name;
    const auto Number = [](int n) { return QString::number(n); };
    // Everything is encoded before any file is touched: a map the tileset cannot hold is
    // refused with nothing written.
    std::vector<TTarget> Targets;
    QImage Picture;
    try {
        Picture = TilesetPicture(Pictures, Tileset);
    } catch (const std::bad_alloc&) {
        throw EFormatError(QStringLiteral("Cannot write file \"%1\". The memory for a picture of "
                                          "%2 x %3 pixels cannot be allocated")
                               .arg(Plan.PictureFile)
                               .arg(Tileset.ImageWidth)
                               .arg(Tileset.ImageHeight));
    }
    Targets.emplace_back(Plan.PictureFile, EncodePng(Picture, Plan.PictureFile));
    if (!Plan.TilesetFile.isEmpty() && !Plan.KeepTileset)
        Targets.emplace_back(Plan.TilesetFile, TmxFile::EncodeTsx(Tileset));
    // The map goes in place last, so that a map written is never without its tiles.
    Targets.emplace_back(
        Plan.MapFile,
        TmxFile::EncodeTmx(
            Cells, w, h, Tileset,
            {{QStringLiteral("tex1"), QStringLiteral("int"), Number(Info.Texture1)},
             {QStringLiteral("tex1-name"), QStringLiteral("string"), Info.Texture1Name},
             {QStringLiteral("tex2"), QStringLiteral("int"), Number(Info.Texture2)},
             {QStringLiteral("tex2-name"), QStringLiteral("string"), Info.Texture2Name},
             {QStringLiteral("pal1"), QStringLiteral("int"), Number(Info.Palette1)},
             {QStringLiteral("pal2"), QStringLiteral("int"), Number(Info.Palette2)}},
            Progress));
    // The last moment to stop: after it every file is written.
    Report(Progress, 1, 1);
    WriteTogether(Targets);
}

QString TmxExport::ProposedFileName(const QString& LastTmxFile, const QString& MapName,
                                    const QString& Folder) {
    if (!LastTmxFile.isEmpty()) {
        // A JSON map is not written over with TMX: its TMX twin beside it is proposed.
        const QFileInfo Last(LastTmxFile);
        return Last.suffix().compare(QLatin1String("tmx"), Qt::CaseInsensitive) == 0
                   ? LastTmxFile
                   : Last.dir().filePath(Last.completeBaseName() + QStringLiteral(".tmx"));
    }
    QString Base = MapName;
    if (Base.endsWith(QLatin1String(".map"), Qt::CaseInsensitive))
        Base.chop(4);
    return QDir(Folder).filePath(Base + QStringLiteral(".tmx"));
}

void TmxExport::ExportTmxFiles(const QString& FileName, const TMyByteArray& Cells, int32_t w,
                               int32_t h, const TMapCellPictures& Pictures,
                               const TTmxExportInfo& Info, const QString& TilesetFile,
                               const TProgress& Progress) {
    Export(PlanExport(FileName, TilesetFile), Cells, w, h, Pictures, Info, Progress);
}

} // namespace velkora
