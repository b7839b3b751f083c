// SPDX-License-Identifier: MIT
#pragma once
// The bundled demo data root: what it holds, as file images built in memory.

#include "shell/MyTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace velkora::demo {

struct TDemoSprite {
    QString Name;           // file name in Sprites
    TMyArray Words;         // decoded words
    bool Compressed = true; // false: the uncompressed form
};

struct TDemoMap {
    QString Name; // file name in Maps
    int32_t Width = 0;
    int32_t Height = 0;
    TMyByteArray Cells;          // row by row
    bool ColumnByColumn = false; // stored as pack type 2 (square maps only)
};

// The sprites and maps of the demo, in no particular order.
std::vector<TDemoSprite> DemoSprites();
std::vector<TDemoMap> DemoMaps();

// The sprite file image: compressed, or uncompressed as TSpriteInfo::SaveSprite writes it.
TMyByteArray SpriteFileImage(const TDemoSprite& Sprite);
// The map file image: pack type 1 as SaveMap writes it, or pack type 2 with the cells stored
// column by column.
TMyByteArray MapFileImage(const TDemoMap& Map);

// The four maps, each a function of its own (Maps.cpp).
TDemoMap MeadowMap();  // Level1.Map, 20 x 15
TDemoMap VillageMap(); // Level2.Map, 64 x 48
TDemoMap IslandMap();  // Level3.Map, 32 x 32, column by column
TDemoMap WorldMap();   // World512.Map, 512 x 512

// Writes the demo data root into the folder Root: its Sprites and Maps folders (made, with
// Root and its parents, where they are missing), the sprite and map files and XMLParams.xml,
// each replacing a file of the same name and leaving other files alone. Returns the number of
// sprites and of maps written.
struct TDemoCounts {
    size_t Sprites = 0;
    size_t Maps = 0;
};
TDemoCounts WriteDemoRoot(const QString& Root);

} // namespace velkora::demo
