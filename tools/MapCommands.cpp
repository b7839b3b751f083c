// SPDX-License-Identifier: MIT
// The "map" commands: map files to raw cells and back, a summary of a map, its picture, and
// TMX maps.

#include "maps/CellBlock.h"
#include "maps/MapLoader.h"
#include "tools/ToolProgress.h"
#include "tools/ToolSupport.h"

#include <array>

namespace velkora::tool {

namespace {

const char DecodeUsage[] = "map decode IN.Map OUT.cells";
const char EncodeUsage[] = "map encode IN.cells W H OUT.Map";
const char InfoUsage[] = "map info IN.Map";
const char ResizeUsage[] = "map resize IN.Map OUT.Map W H [--offset DX DY] [--fill V]";

int Decode(const QStringList& Args) {
    ExpectArgs(Args, 2, DecodeUsage);
    RefuseOtherFormat(Args.at(0), TInputKind::Map);
    int32_t w = 0;
    int32_t h = 0;
    TToolProgress Progress(QStringLiteral("map decode"));
    const TMyByteArray Cells = LoadMapFile(Args.at(0), w, h, Progress.Whole());
    MyTypes::WriteFileAtomically(Args.at(1), Cells);
    PrintLine(QStringLiteral("%1 %2").arg(w).arg(h));
    return 0;
}

int Encode(const QStringList& Args) {
    ExpectArgs(Args, 4, EncodeUsage);
    const int32_t w = int32_t(ParseNumber(Args.at(1), QStringLiteral("W"), 0, 65535));
    const int32_t h = int32_t(ParseNumber(Args.at(2), QStringLiteral("H"), 0, 65535));
    const int64_t Cells = int64_t(w) * h;
    // No cell file can be longer than the largest map; anything beyond is refused unread.
    const TMyByteArray Bytes = MyTypes::ReadFileBytes(Args.at(0), uint64_t(MaxMapCells));
    if (int64_t(Bytes.size()) != Cells)
        throw EFormatError(QStringLiteral("Cell file \"%1\" has %2 bytes, but a map of %3 x %4 "
                                          "needs exactly %5.")
                               .arg(MyTypes::ExpandFileName(Args.at(0)))
                               .arg(qulonglong(Bytes.size()))
                               .arg(w)
                               .arg(h)
                               .arg(Cells));
    MapLoader::SaveMap(Args.at(3), Bytes, w, h);
    return 0;
}

int Info(const QStringList& Args) {
    ExpectArgs(Args, 1, InfoUsage);
    const QString FileName = Args.at(0);
    RefuseOtherFormat(FileName, TInputKind::Map);
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName, MaxMapFileSize);
    const QString Name = MyTypes::ExpandFileName(FileName);
    // Counted from the stream: a map's size does not cost its cells' memory here.
    const TMapSummary Summary = MapLoader::SummarizeMap(Data.data(), Data.size(), Name);
    WarnIfSparse(Summary, FileName);
    const std::array<uint64_t, 256> Counts = MapLoader::CountValues(Data.data(), Data.size(), Name);
    const int32_t PackType = Summary.PackType;
    const int32_t w = Summary.Width;
    const int32_t h = Summary.Height;
    PrintLine(QStringLiteral("pack-type %1").arg(PackType));
    PrintLine(QStringLiteral("width %1").arg(w));
    PrintLine(QStringLiteral("height %1").arg(h));
    for (int v = 0; v < 256; ++v)
        if (Counts[size_t(v)] != 0)
            PrintLine(QStringLiteral("value %1: %2 cells").arg(v).arg(Counts[size_t(v)]));
    return 0;
}

int Resize(QStringList Args) {
    int DX = 0;
    int DY = 0;
    const int i = Args.indexOf(QStringLiteral("--offset"));
    if (i >= 0) {
        if (i + 2 >= Args.size())
            throw UsageError(QStringLiteral("option --offset needs two values, DX and DY"));
        DX = int(ParseNumber(Args.at(i + 1), QStringLiteral("DX"), -65535, 65535));
        DY = int(ParseNumber(Args.at(i + 2), QStringLiteral("DY"), -65535, 65535));
        Args.remove(i, 3);
    }
    const QString FillText = TakeOption(Args, QStringLiteral("--fill"), QStringLiteral("0"));
    const auto Fill = uint8_t(ParseNumber(FillText, QStringLiteral("V"), 0, 255));
    ExpectArgs(Args, 4, ResizeUsage);
    const int W = int(ParseNumber(Args.at(2), QStringLiteral("W"), 1, CellBlocks::MaxSide));
    const int H = int(ParseNumber(Args.at(3), QStringLiteral("H"), 1, CellBlocks::MaxSide));
    RefuseOtherFormat(Args.at(0), TInputKind::Map);
    int32_t w = 0;
    int32_t h = 0;
    TToolProgress Progress(QStringLiteral("map resize"));
    const TMyByteArray Cells = LoadMapFile(Args.at(0), w, h, Progress.Whole());
    MapLoader::SaveMap(Args.at(1), CellBlocks::ResizeCells(Cells, w, h, W, H, DX, DY, Fill), W, H);
    PrintLine(QStringLiteral("%1 %2").arg(W).arg(H));
    return 0;
}

const SubCommand DecodeCommand = {
    "decode", Decode, DecodeUsage,
    "Writes the map's cells to OUT.cells, W x H bytes row by row, and prints \"W H\".\n",
    "map decode Maps/Level1.Map Level1.cells"};

const SubCommand EncodeCommand = {
    "encode", Encode, EncodeUsage,
    "Writes the map file for W x H cells (IN.cells must hold exactly W x H bytes).\n",
    "map encode Level1.cells 20 15 Maps/Level1.Map"};

const SubCommand ResizeCommand = {
    "resize", [](const QStringList& Args) { return Resize(Args); }, ResizeUsage,
    "Writes the map made W x H cells (1 to 65535 each) to OUT.Map and prints \"W H\". The\n"
    "cell (x, y) of IN.Map goes to (x + DX, y + DY) where that lies inside the new map (the\n"
    "offset may be negative); every other cell is V (0 to 255, 0 when not given).\n",
    "map resize Maps/Level1.Map Level1-wide.Map 40 30 --offset 2 1 --fill 3"};

const SubCommand InfoCommand = {
    "info", Info, InfoUsage,
    "Prints \"pack-type P\", \"width W\" and \"height H\", then one line \"value V: N cells\"\n"
    "per cell value V (decimal) that occurs, in ascending order of V.\n",
    "map info Maps/Level1.Map"};

} // namespace

const CommandGroup MapGroup = {"map",
                               {&DecodeCommand, &EncodeCommand, &InfoCommand, &ResizeCommand,
                                &MapRenderCommand, &MapExportTmxCommand, &MapImportTmxCommand}};

} // namespace velkora::tool
