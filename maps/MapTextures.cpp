// SPDX-License-Identifier: MIT
#include "maps/MapTextures.h"

#include "palettes/BmpMaker.h"
#include "shell/Session.h"

namespace velkora {

TMapTextures::TMapTextures(const TSession& Session, QObject* Parent)
    : QObject(Parent), fSession(Session) {}

void TMapTextures::Start() {
    const TSpriteContainer& Library = fSession.SpriteContainer();
    for (int t = 0; t < Count; ++t) {
        fPalette[size_t(t)] = 0;
        fItems[size_t(t)].SetPalette(0, BmpMaker::ColorTable(fSession.PalletteArray(), 0));
    }
    if (!Library.SpriteNames().isEmpty()) {
        const TSpriteInfo First = Library.SpriteInfo(0);
        for (int t = 0; t < Count; ++t) {
            fItems[size_t(t)].SetSpriteInfo(First);
            fTexture[size_t(t)] = 0;
        }
    }
    fCellPictures.Rebuild(fItems[0], fItems[1]);
    fZoomed.Clear();
    for (int t = 0; t < Count; ++t)
        emit Changed(t);
}

QString TMapTextures::TextureName(int t) const {
    const QStringList& Names = fSession.SpriteContainer().SpriteNames();
    const int i = Texture(t);
    return i >= 0 && i < Names.size() ? Names[i] : QString();
}

void TMapTextures::Choose(int t, int Texture, int Palette) {
    TMapImageItems& Items = fItems[size_t(t)];
    fPalette[size_t(t)] = Palette;
    Items.SetPalette(Palette, BmpMaker::ColorTable(fSession.PalletteArray(), Palette));
    const int Sprite = Texture >= 0 ? Texture : fTexture[size_t(t)];
    if (Sprite >= 0) {
        fTexture[size_t(t)] = Sprite;
        Items.SetSpriteInfo(fSession.SpriteContainer().SpriteInfo(Sprite));
    }
    fCellPictures.RebuildTexture(t, Items);
    fZoomed.Clear();
    emit Changed(t);
}

void TMapTextures::ApplySet(const QString& Name, int Texture1, int Texture2) {
    const int Sprites = int(fSession.SpriteContainer().SpriteNames().size());
    for (const int t : {Texture1, Texture2})
        if (t < 0 || t >= Sprites)
            throw Exception(QStringLiteral("The texture set \"%1\" names the texture %2, but the "
                                           "sprite library has %3 sprites")
                                .arg(Name)
                                .arg(t)
                                .arg(Sprites));
    Choose(0, Texture1, Palette(0));
    Choose(1, Texture2, Palette(1));
}

} // namespace velkora
