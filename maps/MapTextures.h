// SPDX-License-Identifier: MIT
#pragma once
// The two textures a map is drawn with. Each is a sprite of the session's library drawn in one of
// its palettes into a strip of items (TMapImageItems); from both come the pictures of every cell
// value and their copies at a zoom. Everything that shows or writes cells in the current textures
// (the map view, the item grid, the overview, the TMX export, the texture sets) reads them here.

#include "maps/MapImageItems.h"
#include "maps/ZoomedPictures.h"

#include <QObject>
#include <QString>

#include <array>

namespace velkora {

class TSession;

class TMapTextures : public QObject {
    Q_OBJECT
public:
    static constexpr int Count = 2;

    // Both textures empty, in palette 0: nothing is read before Start.
    explicit TMapTextures(const TSession& Session, QObject* Parent = nullptr);

    // Both strips from the library's first sprite in palette 0; with an empty library both stay
    // empty (texture -1). Sends Changed for both.
    void Start();

    // The sprite (its position in the library, -1 for none) and the palette of texture t, 0 or 1.
    int Texture(int t) const { return fTexture[size_t(t)]; }
    int Palette(int t) const { return fPalette[size_t(t)]; }
    // The library's name of texture t; empty for none.
    QString TextureName(int t) const;

    // Draws texture t in palette Palette from sprite Texture (-1: the sprite it has), read from
    // its file each time. The palette is taken first: an error reading the sprite leaves the
    // strip as it was, its palette recorded. Sends Changed(t).
    void Choose(int t, int Texture, int Palette);
    // A texture set: both sprites, the palettes kept. A set naming a sprite the library does not
    // hold raises Exception naming the set, before anything changes.
    void ApplySet(const QString& Name, int Texture1, int Texture2);

    // The strip of texture t.
    TMapImageItems& Items(int t) { return fItems[size_t(t)]; }
    // The pictures of all cell values in the textures and palettes chosen now.
    const TMapCellPictures& CellPictures() const { return fCellPictures; }
    // The picture of Value Zoom times its size for a screen of Ratio device pixels a pixel; null
    // where a cell would not cover whole device pixels (see TZoomedPictures).
    const QImage& Zoomed(int Value, int Zoom, qreal Ratio) {
        return fZoomed.Picture(fCellPictures, Value, Zoom, Ratio);
    }

signals:
    // The pictures of texture t changed (its sprite or its palette).
    void Changed(int Texture);

private:
    const TSession& fSession;
    std::array<TMapImageItems, Count> fItems;
    std::array<int, Count> fTexture{-1, -1};
    std::array<int, Count> fPalette{0, 0};
    TMapCellPictures fCellPictures;
    TZoomedPictures fZoomed;
};

} // namespace velkora
