// SPDX-License-Identifier: MIT
#include "maps/MapFiles.h"

#include "maps/MapDocument.h"
#include "maps/MapEditing.h"
#include "maps/MapTextures.h"
#include "maps/TmxExport.h"
#include "maps/TmxFile.h"
#include "shell/FileDialogs.h"
#include "shell/Session.h"
#include "sprites/SpriteEditor.h"
#include "widgets/LongTask.h"
#include "widgets/Questions.h"
#include "widgets/Workspace.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QScopeGuard>
#include <QSignalBlocker>

#include <algorithm>

namespace velkora {

namespace {

const QString TmxFilter = QStringLiteral("TMX maps (*.tmx)");
const QString TileMapFilter =
    QStringLiteral("Tile maps (*.tmx *.tmj *.json);;TMX maps (*.tmx);;JSON maps (*.tmj *.json)");

} // namespace

TMapFiles::TMapFiles(TSession& Session, TMapDocument& Document, TMapTextures& Textures,
                     TWorkspace& Workspace, QWidget* Window, QComboBox* Chooser,
                     TMapFileDialogs& Dialogs)
    : QObject(Window), fSession(Session), fDocument(Document), fTextures(Textures),
      fWorkspace(Workspace), fWindow(Window), fChooser(Chooser), fDialogs(Dialogs) {
    SetDefaultDialogs();
}

void TMapFiles::SetDefaultDialogs() {
    fDialogs.NewMapDialog = [this](TNewMapChoice& Choice) {
        TNewMapDialog Dialog(Choice, fTextures.CellPictures(), fWindow);
        if (Dialog.exec() != QDialog::Accepted)
            return false;
        Choice = Dialog.Choice();
        return true;
    };
    fDialogs.TmxSaveDialog = [this](const QString& Suggested) {
        // The TMX file last imported or exported is proposed as it is; otherwise the map's name
        // ("Level1.tmx") in the folder of the last TMX file.
        const QString Proposed =
            fDocument.TmxFileName().isEmpty() ? QFileInfo(Suggested).fileName() : Suggested;
        return FileDialogs::SaveFile(fWindow, QStringLiteral("Tmx"),
                                     QStringLiteral("Export map as TMX"), TmxFilter, Proposed,
                                     QStringLiteral("tmx"), true);
    };
    fDialogs.TmxOpenDialog = [this] {
        return FileDialogs::OpenFile(fWindow, QStringLiteral("Tmx"), QStringLiteral("Import TMX"),
                                     TileMapFilter);
    };
    fDialogs.SaveAsDialog = [this](const QString& Suggested) {
        bool Ok = false;
        const QString Name =
            QInputDialog::getText(fWindow, QStringLiteral("Save map as"),
                                  QStringLiteral("Name of the map file in the Maps folder:"),
                                  QLineEdit::Normal, Suggested, &Ok);
        return Ok ? Name : QString();
    };
}

// ---- The list of maps ---------------------------------------------------------------------------

void TMapFiles::FindFiles(QStringList& S) const {
    S += SpriteEditor::FindFiles(MyTypes::DataPath(fSession.CurrentDir(), MapFolderName),
                                 QStringLiteral(".Map"));
}

QString TMapFiles::GetFullName(const QString& Name) const {
    return fSession.MapPath(Name);
}

void TMapFiles::ListMaps() {
    fNames.clear();
    FindFiles(fNames);
    SpriteEditor::SortNames(fNames);
    const QSignalBlocker Block(fChooser);
    fChooser->clear();
    fChooser->addItems(fNames);
    fChooser->setCurrentIndex(fNames.isEmpty() ? -1 : 0);
}

void TMapFiles::ListMap(const QString& Name) {
    if (!fNames.contains(Name)) {
        fNames.append(Name);
        SpriteEditor::SortNames(fNames);
        const QSignalBlocker Block(fChooser);
        fChooser->clear();
        fChooser->addItems(fNames);
    }
    fMapIndex = int(fNames.indexOf(Name));
    SelectQuietly(fMapIndex);
}

void TMapFiles::SelectQuietly(int Index) {
    const QSignalBlocker Block(fChooser);
    fChooser->setCurrentIndex(Index);
}

QString TMapFiles::Title() const {
    if (fDocument.FileName().isEmpty())
        return !fDocument.HasMap()             ? QString()
               : fDocument.NewName().isEmpty() ? QStringLiteral("New map")
                                               : fDocument.NewName();
    return QFileInfo(fDocument.FileName()).fileName();
}

// ---- Open, save, new ----------------------------------------------------------------------------

void TMapFiles::OpenChosen() {
    // Another map takes the place of unsaved edits only when the user says so; Cancel keeps the
    // map and the chooser as they were.
    if (!fWorkspace.MayDiscard()) {
        SelectQuietly(fMapIndex);
        return;
    }
    const int Index = fChooser->currentIndex();
    if (Index < 0 || Index >= fNames.size())
        throw EListError(Index);
    const QString Name = fNames.at(Index);
    const QString FileName = GetFullName(Name);
    // A map that cannot be read leaves the map in memory, and the chooser goes back to it, so
    // that a save writes that map to its own file.
    auto Restore = qScopeGuard([this] { SelectQuietly(fMapIndex); });
    // A file of a few bytes may declare gigabytes of cells: asked before they are made.
    const auto MayOpen = [this, &Name](const TMapSummary& Map) {
        return !Map.Sparse() || AskOpenSparseMap(fWindow, Map.SparseText(Name));
    };
    bool Opened = false;
    if (!LongTask::Run(
            fWindow, QStringLiteral("Opening %1...").arg(Name),
            [&](const TProgress& p) { Opened = fDocument.Load(FileName, p, MayOpen); }) ||
        !Opened)
        return;
    Restore.dismiss();
    fMapIndex = Index;
}

void TMapFiles::Save() {
    // The file the map was read from; a new map is saved under a name first.
    if (fDocument.FileName().isEmpty()) {
        if (fDocument.HasMap())
            SaveAs();
        return;
    }
    // A map file that leads outside the data root is written only when the user says so.
    if (!MayWriteOutsideRoot(fWindow, fSession.CurrentDir(), fDocument.FileName()))
        return;
    // Another program's version of the file is not overwritten without a word.
    if (fDocument.ChangedOnDisk() && !AskOverwriteChanged(fWindow, fDocument.FileName()))
        return;
    LongTask::Run(fWindow, QStringLiteral("Saving %1...").arg(Title()),
                  [&](const TProgress& p) { fDocument.Save(p); });
}

void TMapFiles::SaveAs() {
    if (!fDocument.HasMap())
        return;
    const QString Typed = fDialogs.SaveAsDialog ? fDialogs.SaveAsDialog(Title()) : QString();
    QString Name = MapFileNameFor(Typed);
    if (Name.isEmpty())
        return;
    // Names match case-insensitively: a listed map of that name is that file.
    for (const QString& Listed : fNames)
        if (Listed.compare(Name, Qt::CaseInsensitive) == 0)
            Name = Listed;
    const QString FileName = GetFullName(Name);
    if (FileName != fDocument.FileName() && QFileInfo::exists(FileName) &&
        !AskReplaceFile(fWindow, Name))
        return;
    if (!MayWriteOutsideRoot(fWindow, fSession.CurrentDir(), FileName))
        return;
    // Its own file, changed by another program, is not overwritten without a word either.
    if (FileName == fDocument.FileName() && fDocument.ChangedOnDisk() &&
        !AskOverwriteChanged(fWindow, FileName))
        return;
    // A data root without a Maps folder gets one.
    const QString Folder = QFileInfo(FileName).path();
    if (!QDir().mkpath(Folder))
        throw EFCreateError(MyTypes::ExpandFileName(FileName),
                            QStringLiteral("The folder \"%1\" cannot be made.").arg(Folder));
    if (!LongTask::Run(fWindow, QStringLiteral("Saving %1...").arg(Name),
                       [&](const TProgress& p) { fDocument.SaveAs(FileName, p); }))
        return;
    ListMap(Name);
}

void TMapFiles::NewMap(int Item) {
    TNewMapChoice Choice;
    if (fDocument.HasMap()) {
        Choice.Width = std::clamp(fDocument.Width(), 1, MaxNewMapSide);
        Choice.Height = std::clamp(fDocument.Height(), 1, MaxNewMapSide);
    }
    Choice.Item = Item;
    if (!fDialogs.NewMapDialog || !fDialogs.NewMapDialog(Choice))
        return;
    if (Choice.Width < 1 || Choice.Width > MaxNewMapSide || Choice.Height < 1 ||
        Choice.Height > MaxNewMapSide || Choice.Item < 0 || Choice.Item >= MapItemCount)
        throw Exception(QStringLiteral("A new map has 1 to %1 cells a side and is filled with "
                                       "one of the items 0 to %2")
                            .arg(MaxNewMapSide)
                            .arg(MapItemCount - 1));
    OpenNewMap(Choice.Width, Choice.Height,
               TMyByteArray(size_t(Choice.Width) * size_t(Choice.Height), uint8_t(Choice.Item)));
}

bool TMapFiles::OpenNewMap(int32_t w, int32_t h, TMyByteArray Cells, const QString& Name) {
    if (!fWorkspace.MayDiscard())
        return false;
    fDocument.NewMap(w, h, std::move(Cells), Name);
    fMapIndex = -1;
    SelectQuietly(-1);
    return true;
}

// ---- TMX
// ------------------------------------------------------------------------------------------

void TMapFiles::ExportTmx() {
    if (!fDocument.HasMap())
        return;
    const QString FileName = fDialogs.TmxSaveDialog
                                 ? fDialogs.TmxSaveDialog(TmxExport::ProposedFileName(
                                       fDocument.TmxFileName(), Title(), fSession.CurrentDir()))
                                 : QString();
    if (FileName.isEmpty())
        return;
    // The dialog asked about the map's file; its tileset picture is asked about too, before
    // either is written.
    const TTmxExportPlan Plan = TmxExport::PlanExport(FileName);
    if (QFileInfo::exists(Plan.PictureFile) &&
        !AskReplaceFile(fWindow, QFileInfo(Plan.PictureFile).fileName()))
        return;
    TTmxExportInfo Info;
    Info.Texture1 = fTextures.Texture(0);
    Info.Texture2 = fTextures.Texture(1);
    Info.Texture1Name = fTextures.TextureName(0);
    Info.Texture2Name = fTextures.TextureName(1);
    Info.Palette1 = std::max(fTextures.Palette(0), 0);
    Info.Palette2 = std::max(fTextures.Palette(1), 0);
    TmxExport::Export(Plan, fDocument.MapParams().DecomBytes, fDocument.Width(), fDocument.Height(),
                      fTextures.CellPictures(), Info);
    fDocument.SetTmxFileName(Plan.MapFile);
}

void TMapFiles::ImportTmx() {
    const QString FileName = fDialogs.TmxOpenDialog ? fDialogs.TmxOpenDialog() : QString();
    if (FileName.isEmpty())
        return;
    TTmxImport Map = TmxFile::LoadTileMap(FileName);
    if (!OpenNewMap(Map.Width, Map.Height, std::move(Map.Cells),
                    QFileInfo(FileName).completeBaseName()))
        return;
    fDocument.SetTmxFileName(MyTypes::ExpandFileName(FileName));
    // The textures and palettes the map was exported with, where this data root has them.
    const TTmxTextureChoice Choice =
        TmxMap::RecordedTextures(Map.Properties, fSession.SpriteContainer().SpriteNames(),
                                 int(fSession.PalletteArray().size()));
    for (int t = 0; t < TMapTextures::Count; ++t)
        if (Choice.Palette[t] >= 0 || Choice.Texture[t] >= 0)
            fTextures.Choose(t, Choice.Texture[t],
                             Choice.Palette[t] >= 0 ? Choice.Palette[t] : fTextures.Palette(t));
}

void TMapFiles::ReimportTmx() {
    if (!fDocument.HasMap() || fDocument.TmxFileName().isEmpty())
        return;
    TTmxImport Map = TmxFile::LoadTileMap(fDocument.TmxFileName());
    fDocument.ReplaceCells(
        Map.Width, Map.Height, std::move(Map.Cells),
        QStringLiteral("Reimport %1").arg(QFileInfo(fDocument.TmxFileName()).fileName()));
}

} // namespace velkora
