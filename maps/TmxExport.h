// SPDX-License-Identifier: MIT
#pragma once
// Exporting a map for the general-purpose tile map editor: the TMX file, its tileset picture
// and, when asked for, an external tileset file, written as one save.

#include "maps/MapImageItems.h"
#include "maps/TmxFile.h"
#include "shell/MyTypes.h"
#include "shell/Progress.h"

#include <QImage>
#include <QString>

namespace velkora {

// The texture sprites and palettes an exported map is drawn with, recorded in its properties.
struct TTmxExportInfo {
    int32_t Texture1 = 0;
    int32_t Texture2 = 0;
    QString Texture1Name;
    QString Texture2Name;
    int32_t Palette1 = 0;
    int32_t Palette2 = 0;
};

// The files one export writes.
struct TTmxExportPlan {
    QString MapFile;     // the TMX file, as named (a link is written through)
    QString PictureFile; // the tileset picture
    // The external tileset file; empty for a tileset inside the map. KeepTileset: it exists, fits
    // the cells, and is left as it is.
    QString TilesetFile;
    bool KeepTileset = false;
    // The tileset as the map names it (Source set for an external one) and as the picture is
    // drawn; its name is filled in from the textures when the export writes it.
    TTmxTileset Tileset;
};

namespace TmxExport {
// What exporting to FileName writes. Without TilesetFile the tileset lies in the map and its
// picture beside the file the map finally goes into (through links), named after it:
// NAME-tiles.png. With TilesetFile the map names that file (by a path relative to the map's
// folder): one that exists is read (with the XML reader's safety rules), checked as an imported
// tileset is (TmxMap::CheckTileset) and kept byte for byte, and only the picture it names is
// drawn anew, in its geometry; a new one is written with its picture beside it, named after it
// (NAME.png). Raises EFCreateError for a FileName that is a folder, EFormatError for a tileset
// file that does not fit, and for targets that name the same file twice.
TTmxExportPlan PlanExport(const QString& FileName, const QString& TilesetFile = QString());

// The tileset picture in Tileset's geometry (ImageWidth x ImageHeight, Columns tiles a row):
// tile v, for each value v the tileset has a tile for, is Pictures.Picture(v); the rest is
// black. Format_RGB32. Raises std::bad_alloc when the memory cannot hold it.
QImage TilesetPicture(const TMapCellPictures& Pictures, const TTmxTileset& Tileset);

// Writes the map (Cells row by row, w x h) and the files Plan names, as one save: everything is
// encoded and every target opened (checked) before anything is written, and the files are put
// in place only once all of them were written; should one fail to go in place, those put in
// place before it are put back as they were. The map's properties record Info. Progress counts
// the cells encoded; a stop there (ECancelled) writes no file.
void Export(const TTmxExportPlan& Plan, const TMyByteArray& Cells, int32_t w, int32_t h,
            const TMapCellPictures& Pictures, const TTmxExportInfo& Info,
            const TProgress& Progress = {});

// The file an export proposes: the TMX file the map was last imported from or exported to (for
// a JSON map, the ".tmx" beside it), or else one in Folder named after the map (MapName without
// its ".Map" suffix, then ".tmx").
QString ProposedFileName(const QString& LastTmxFile, const QString& MapName, const QString& Folder);

// PlanExport and Export in one.
void ExportTmxFiles(const QString& FileName, const TMyByteArray& Cells, int32_t w, int32_t h,
                    const TMapCellPictures& Pictures, const TTmxExportInfo& Info,
                    const QString& TilesetFile = QString(), const TProgress& Progress = {});
} // namespace TmxExport

} // namespace velkora
