// SPDX-License-Identifier: MIT
#pragma once
// What the drawing commands share: the palettes of a parameters file, and the textures and
// palettes a map is drawn with ("map render", "map export-tmx").

#include "maps/MapImageItems.h"
#include "palettes/BmpMaker.h"
#include "sprites/SpriteEditor.h"

#include <QStringList>

namespace velkora::tool {

// The palettes of the parameters file FileName.
TPalletteList LoadPalettes(const QString& FileName);
// --palette N beyond the Count palettes of the parameters file FileName: UsageError naming how
// many it holds.
void CheckPaletteNumber(int N, size_t Count, const QString& FileName);

// The options --root DIR --tex1 I --tex2 J [--pal1 P] [--pal2 Q], as given.
struct TMapTextureOptions {
    QString Root;
    QString Tex1;
    QString Tex2;
    QString Pal1;
    QString Pal2;
};
// Takes the options out of Args; UsageError when --root, --tex1 or --tex2 is missing.
TMapTextureOptions TakeMapTextureOptions(QStringList& Args);

// The two textures and their palettes, checked against the data root: its sprite library and
// the palettes of its XMLParams.xml.
class TMapTextures {
public:
    // Raises EFOpenError for a missing root, Exception for a root without sprites or palettes,
    // UsageError for a number outside them.
    explicit TMapTextures(const TMapTextureOptions& Options);

    const QString& RootPath() const { return fRootPath; }
    int Texture1() const { return fI; }
    int Texture2() const { return fJ; }
    int Palette1() const { return fP; }
    int Palette2() const { return fQ; }
    // The sprite names of the two textures ("A1.spr").
    QString Texture1Name() const { return fLibrary.SpriteNames().at(fI); }
    QString Texture2Name() const { return fLibrary.SpriteNames().at(fJ); }

    // Reads both sprites and builds the pictures of every cell value as the map workspace does.
    TMapCellPictures Pictures() const;

private:
    static QString CheckedRoot(const QString& Root);

    QString fRootPath;
    TSpriteContainer fLibrary;
    TPalletteList fPalettes;
    int fI = 0;
    int fJ = 0;
    int fP = 0;
    int fQ = 0;
};

} // namespace velkora::tool
