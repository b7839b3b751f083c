// SPDX-License-Identifier: MIT
#pragma once
// The items of the demo's terrain textures, by number, and the map cell values that name them.
//
// A texture holds 25 items of 3 x 3 tiles. A map cell value v below 25 is item v of the first
// texture of a texture set, a value from 25 up item v - 25 of the second. Texture set 0 is
// Land (values 0-24) with Village (values 25-49); texture set 1 is Land with Cave.
//
// Transitions between two kinds of ground are chosen by the ground at the cell's four corners:
// a corner mask with bit 1 = north-west, 2 = north-east, 4 = south-west, 8 = south-east set where
// the corner lies in the second kind (water, sand, rock). Each texture lays its transitions out
// like a picture in the editor's 5-column item list: a 3 x 3 pond in columns 0-2 of rows 1-3 and
// a 2 x 2 island in columns 3-4 of rows 1-2.

#include <array>
#include <cstdint>

namespace velkora::demo {

// Texture 1, A1.spr: grass and water.
namespace Land {
enum : uint8_t {
    Grass = 0,
    GrassTufts = 1,
    Daisies = 2,
    Bush = 3,
    DeepWater = 4,
    Water = 11,
    DiagonalNeSw = 18, // water at the north-east and south-west corners
    DiagonalNwSe = 19,
    Lilies = 20,
    WaterRock = 21,
    Stones = 22,
    Poppies = 23,
    TallGrass = 24,
};
} // namespace Land

// Texture 2, A2.spr: sand paths and squares, trees, fields, houses, bridges. Values are the
// map cell values (item number + 25).
namespace Village {
enum : uint8_t {
    Tree = 25,
    Forest = 26,
    Pine = 27,
    Boulder = 28,
    Crops = 29,
    Sand = 36,
    RoofLeft = 43,
    RoofRight = 44,
    BridgeAcross = 45, // a bridge running west-east
    BridgeDown = 46,   // a bridge running north-south
    Well = 47,
    WallWindow = 48, // under RoofLeft
    WallDoor = 49,   // under RoofRight
};
} // namespace Village

// Texture 3, A10.spr: cave floor and rock (item numbers; with Land as the first texture of set 1
// the cell values are these + 25).
namespace Cave {
enum : uint8_t {
    Floor = 0,
    CrackedFloor = 1,
    Rubble = 2,
    Stalagmite = 3,
    Crystals = 4,
    Rock = 11,
    DiagonalNeSw = 18,
    DiagonalNwSe = 19,
    Lava = 20,
    Pool = 21,
    Stairs = 22,
    Chest = 23,
    Bones = 24,
};
} // namespace Cave

// Item number of each corner mask in the transition layout shared by the three textures; masks 6
// and 9 (two opposite corners) map to items 18 and 19, which only Land and Cave provide.
constexpr std::array<uint8_t, 16> ItemOfMask = {
    0,  // 0: no corner (the plain ground item; Village has none, use Land::Grass)
    17, // 1: NW
    15, // 2: NE
    16, // 3: NW NE
    7,  // 4: SW
    12, // 5: NW SW
    18, // 6: NE SW
    8,  // 7: all but SE
    5,  // 8: SE
    19, // 9: NW SE
    10, // 10: NE SE
    9,  // 11: all but SW
    6,  // 12: SW SE
    13, // 13: all but NE
    14, // 14: all but NW
    11, // 15: all
};

} // namespace velkora::demo
