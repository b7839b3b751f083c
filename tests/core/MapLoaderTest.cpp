// SPDX-License-Identifier: MIT
// Map files: the byte layout, the reader's tolerance of odd streams, sizes up to the format's
// largest and saves that fail part way.

#include "maps/MapLoader.h"
#include "tests/support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

struct Decoded {
    int32_t PackType = -1;
    int32_t w = -1;
    int32_t h = -1;
    TMyByteArray Cells;
};

Decoded Decode(const TMyByteArray& File) {
    Decoded d;
    d.Cells = MapLoader::DecodeMap(File.data(), File.size(), d.PackType, d.w, d.h, "test.Map");
    return d;
}

// One item of a cell stream; consecutive equal literals are merged into one item.
struct Item {
    bool IsEscape;
    int Count;
    uint8_t Value;
};

// Splits the cell stream of an encoded file into items, and checks that the stream is followed
// by exactly the end marker and, when the size would be odd, the pad byte.
std::vector<Item> Items(const TMyByteArray& File) {
    std::vector<Item> r;
    const size_t Cells =
        size_t(MyTypes::ReadBE16(File.data() + 2)) * MyTypes::ReadBE16(File.data() + 4);
    size_t Got = 0;
    size_t i = 6;
    while (Got < Cells && i < File.size()) {
        if (File[i] == 0xFE) {
            if (i + 3 > File.size()) {
                ADD_FAILURE() << "escape cut off at " << i;
                break;
            }
            r.push_back({true, File[i + 1], File[i + 2]});
            Got += File[i + 1];
            i += 3;
        } else {
            if (!r.empty() && !r.back().IsEscape && r.back().Value == File[i])
                ++r.back().Count;
            else
                r.push_back({false, 1, File[i]});
            ++Got;
            ++i;
        }
    }
    EXPECT_EQ(Got, Cells);
    const TMyByteArray Trailer(File.begin() + std::ptrdiff_t(std::min(i, File.size())), File.end());
    EXPECT_EQ(Trailer, i % 2 == 0 ? Bytes({0xFF, 0xFF}) : Bytes({0xFF}));
    return r;
}

// Checks that File is the writer's encoding of Cells: runs of 1 to 3 as literals, longer runs and
// runs of 0xFE as escapes of 1 to 255 cells, a run split only where a piece reached its limit.
void ExpectWriterEncoding(const TMyByteArray& File, const TMyByteArray& Cells) {
    ASSERT_GE(File.size(), 8u);
    EXPECT_EQ(File[0], 0);
    EXPECT_EQ(File[1], 1);
    const std::vector<Item> List = Items(File);
    for (size_t k = 0; k < List.size(); ++k) {
        const Item& It = List[k];
        if (It.IsEscape) {
            EXPECT_GE(It.Count, It.Value == 0xFE ? 1 : 4) << "item " << k;
        } else {
            EXPECT_NE(It.Value, 0xFE) << "item " << k;
            EXPECT_LE(It.Count, 3) << "item " << k;
        }
        if (k > 0 && List[k - 1].Value == It.Value) {
            EXPECT_TRUE(List[k - 1].IsEscape) << "run split at item " << k;
            EXPECT_GT(List[k - 1].Count + It.Count, 255) << "run split at item " << k;
        }
    }
    EXPECT_EQ(Decode(File).Cells, Cells);
}

// Cells in runs of random lengths (1 to MaxRun) and values, a quarter of the runs of 0xFE.
TMyByteArray RandomRuns(Rng& R, size_t Cells, int MaxRun) {
    TMyByteArray r;
    r.reserve(Cells);
    std::uniform_int_distribution<int> Len(1, MaxRun);
    std::uniform_int_distribution<int> Val(0, 255);
    while (r.size() < Cells) {
        const int v = R() % 4 == 0 ? 0xFE : Val(R);
        r.insert(r.end(), std::min<size_t>(size_t(Len(R)), Cells - r.size()), uint8_t(v));
    }
    return r;
}

} // namespace

struct Golden {
    const char* Name;
    int32_t w, h;
    TMyByteArray Cells;
    TMyByteArray File;
};

void PrintTo(const Golden& g, std::ostream* os) {
    *os << g.Name;
}

class MapGolden : public testing::TestWithParam<Golden> {};

TEST_P(MapGolden, WritesTheseBytesAndReadsThemBack) {
    const Golden& g = GetParam();
    EXPECT_EQ(MapLoader::EncodeMap(g.Cells, g.w, g.h), g.File);
    const Decoded d = Decode(g.File);
    EXPECT_EQ(d.PackType, 1);
    EXPECT_EQ(d.w, g.w);
    EXPECT_EQ(d.h, g.h);
    EXPECT_EQ(d.Cells, g.Cells);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, MapGolden,
    testing::Values(
        Golden{"FourFives", 2, 2, Bytes({5, 5, 5, 5}), Bytes({0, 1, 0, 2, 0, 2, 0xFE, 4, 5, 0xFF})},
        Golden{"TwoLiteralSevens", 3, 1, Bytes({7, 7, 9}),
               Bytes({0, 1, 0, 3, 0, 1, 7, 7, 9, 0xFF})},
        Golden{"PadByte", 2, 1, Bytes({1, 2}), Bytes({0, 1, 0, 2, 0, 1, 1, 2, 0xFF, 0xFF})},
        Golden{"NoCells", 0, 5, Bytes({}), Bytes({0, 1, 0, 0, 0, 5, 0xFF, 0xFF})},
        Golden{"ThreeLiteralsThenFourEscaped", 7, 1, Bytes({3, 3, 3, 4, 4, 4, 4}),
               Bytes({0, 1, 0, 7, 0, 1, 3, 3, 3, 0xFE, 4, 4, 0xFF, 0xFF})},
        Golden{"RunAcrossARowEnd", 3, 2, Bytes({1, 1, 4, 4, 4, 4}),
               Bytes({0, 1, 0, 3, 0, 2, 1, 1, 0xFE, 4, 4, 0xFF})},
        Golden{"EscapeValuedCellsAreEscaped", 4, 1, Bytes({0xFE, 1, 0xFE, 0xFE}),
               Bytes({0, 1, 0, 4, 0, 1, 0xFE, 1, 0xFE, 1, 0xFE, 2, 0xFE, 0xFF})},
        Golden{"MarkerValuedCells", 2, 1, Bytes({0xFF, 0xFF}),
               Bytes({0, 1, 0, 2, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF})}),
    [](const testing::TestParamInfo<Golden>& i) { return std::string(i.param.Name); });

TEST(MapLoader, LongRunsAreCutIntoPiecesOfAtMost255) {
    for (int Count : {255, 256, 258, 259, 300, 510, 511, 1000}) {
        for (int Value : {9, 0xFE}) {
            SCOPED_TRACE(testing::Message() << Count << " cells of " << Value);
            const TMyByteArray Cells = TMyByteArray(size_t(Count), uint8_t(Value));
            ExpectWriterEncoding(MapLoader::EncodeMap(Cells, Count, 1), Cells);
        }
    }
}

TEST(MapLoader, ReadsTransposedMapsColumnByColumn) {
    // Square, as the game stores it.
    Decoded d = Decode(Bytes({0, 2, 0, 2, 0, 2, 1, 2, 3, 4, 0xFF, 0xFF}));
    EXPECT_EQ(d.PackType, 2);
    EXPECT_EQ(d.Cells, Bytes({1, 3, 2, 4}));
    // Three columns of two cells, and two columns of three.
    d = Decode(Bytes({0, 2, 0, 3, 0, 2, 1, 4, 2, 5, 3, 6, 0xFF, 0xFF}));
    EXPECT_EQ(d.Cells, Bytes({1, 2, 3, 4, 5, 6}));
    d = Decode(Bytes({0, 2, 0, 2, 0, 3, 1, 3, 5, 2, 4, 6, 0xFF, 0xFF}));
    EXPECT_EQ(d.Cells, Bytes({1, 2, 3, 4, 5, 6}));

    // A larger one whose sides are not multiples of anything in particular.
    Rng R(7);
    const int32_t w = 131, h = 70;
    const TMyByteArray Rows = RandomRuns(R, size_t(w * h), 5);
    TMyByteArray Columns(Rows.size());
    for (int32_t c = 0; c < w; ++c)
        for (int32_t r = 0; r < h; ++r)
            Columns[size_t(c * h + r)] = Rows[size_t(r * w + c)];
    TMyByteArray File = MapLoader::EncodeMap(Columns, int32_t(Columns.size()), 1);
    const TMyByteArray Header = Bytes({0, 2, 0, w, 0, h});
    std::copy(Header.begin(), Header.end(), File.begin());
    d = Decode(File);
    EXPECT_EQ(d.w, w);
    EXPECT_EQ(d.h, h);
    EXPECT_EQ(d.Cells, Rows);

    // Saving writes pack type 1, row by row.
    EXPECT_EQ(Decode(MapLoader::EncodeMap(d.Cells, w, h)).PackType, 1);
    EXPECT_EQ(Decode(MapLoader::EncodeMap(d.Cells, w, h)).Cells, Rows);
}

TEST(MapLoader, ToleratesOddStreams) {
    // An escape of count 0 yields nothing and the stream goes on.
    EXPECT_EQ(Decode(Bytes({0, 1, 0, 2, 0, 1, 0xFE, 0, 9, 3, 0xFE, 0, 0xFE, 4, 0xFF})).Cells,
              Bytes({3, 4}));
    // A stream that ends early leaves the rest 0; the header's size stands.
    Decoded d = Decode(Bytes({0, 1, 0, 3, 0, 2, 5, 0xFE, 2, 6}));
    EXPECT_EQ(d.w, 3);
    EXPECT_EQ(d.h, 2);
    EXPECT_EQ(d.Cells, Bytes({5, 6, 6, 0, 0, 0}));
    EXPECT_EQ(Decode(Bytes({0, 1, 0, 2, 0, 2})).Cells, Bytes({0, 0, 0, 0}));
    // An escape cut off after its first or second byte is ignored.
    EXPECT_EQ(Decode(Bytes({0, 1, 0, 2, 0, 1, 7, 0xFE})).Cells, Bytes({7, 0}));
    EXPECT_EQ(Decode(Bytes({0, 1, 0, 2, 0, 1, 7, 0xFE, 3})).Cells, Bytes({7, 0}));
    // Cells beyond w x h, the end marker and pad byte among them, are dropped; so is the part of
    // an escape that does not fit.
    EXPECT_EQ(Decode(Bytes({0, 1, 0, 2, 0, 1, 1, 0xFE, 200, 8, 0xFF, 0xFF})).Cells, Bytes({1, 8}));
    EXPECT_EQ(Decode(Bytes({0, 1, 0, 2, 0, 1, 0xFF})).Cells, Bytes({0xFF, 0}));
    // A header of no cells ignores any stream.
    d = Decode(Bytes({0, 7, 0, 0, 0, 0, 0xFE, 9, 9, 1, 2}));
    EXPECT_EQ(d.PackType, 7);
    EXPECT_TRUE(d.Cells.empty());
}

// The reader written as plainly as possible, to hold the real one against.
TMyByteArray ReferenceDecode(const TMyByteArray& File) {
    const size_t w = MyTypes::ReadBE16(File.data() + 2), h = MyTypes::ReadBE16(File.data() + 4);
    TMyByteArray Stored(w * h, 0);
    size_t o = 0;
    for (size_t i = 6; i < File.size() && o < Stored.size();) {
        if (File[i] != 0xFE) {
            Stored[o++] = File[i++];
        } else if (i + 2 < File.size()) {
            for (int k = 0; k < File[i + 1] && o < Stored.size(); ++k)
                Stored[o++] = File[i + 2];
            i += 3;
        } else {
            break;
        }
    }
    if (MyTypes::ReadBE16(File.data()) != 2)
        return Stored;
    TMyByteArray Rows(w * h);
    for (size_t k = 0; k < Stored.size(); ++k)
        Rows[(k % h) * w + k / h] = Stored[k];
    return Rows;
}

TEST(MapLoader, ReadsArbitraryStreamsLikeThePlainReader) {
    Rng R(99);
    const std::pair<int, int> Sizes[] = {{1, 1},      {3, 5},      {17, 9},   {64, 64},
                                         {300, 1000}, {1000, 300}, {5000, 3}, {2, 20000}};
    for (int Case = 0; Case < 64; ++Case) {
        const auto [w, h] = Sizes[size_t(Case) % std::size(Sizes)];
        const size_t Cells = size_t(w) * size_t(h);
        // Streams of every density: mostly escapes, mostly literals, too short, too long.
        const size_t Length = R() % (Case % 4 == 0 ? 64 : Cells / (1 + R() % 40) + 16);
        const int EscapeShare = int(R() % 100);
        TMyByteArray File = Bytes({0, Case % 2 == 0 ? 2 : 1, w >> 8, w & 0xFF, h >> 8, h & 0xFF});
        for (size_t i = 0; i < Length; ++i)
            File.push_back(int(R() % 100) < EscapeShare ? 0xFE : uint8_t(R()));
        SCOPED_TRACE(testing::Message()
                     << "case " << Case << ": " << w << " x " << h << ", " << Length << " bytes");
        EXPECT_EQ(Decode(File).Cells, ReferenceDecode(File));
    }
}

TEST(MapLoader, SeededRandomMapsRoundTrip) {
    Rng R(20240611);
    for (int Case = 0; Case < 60; ++Case) {
        const int32_t w = int32_t(R() % 300);
        const int32_t h = int32_t(R() % 200);
        const int MaxRun = Case % 3 == 0 ? 3 : Case % 3 == 1 ? 20 : 1200;
        SCOPED_TRACE(testing::Message() << "case " << Case << ": " << w << " x " << h);
        const TMyByteArray Cells = RandomRuns(R, size_t(w) * size_t(h), MaxRun);
        const TMyByteArray File = MapLoader::EncodeMap(Cells, w, h);
        ExpectWriterEncoding(File, Cells);
        const Decoded d = Decode(File);
        EXPECT_EQ(d.w, w);
        EXPECT_EQ(d.h, h);
    }
    // The extreme sizes.
    const TMyByteArray Wide = RandomRuns(R, 65535, 600);
    EXPECT_EQ(Decode(MapLoader::EncodeMap(Wide, 65535, 1)).Cells, Wide);
    EXPECT_EQ(Decode(MapLoader::EncodeMap(Wide, 1, 65535)).h, 65535);
}

TEST(MapLoader, TakesEverySizeTheFormatHasWhereTheMemoryIsThere) {
    // 5000 x 5000 cells, far over the 16 M cells once refused: through the codec in both pack
    // types, and through a file.
    Rng R(11);
    constexpr int32_t n = 5000;
    const TMyByteArray Cells = RandomRuns(R, size_t(n) * n, 9);
    TMyByteArray File = MapLoader::EncodeMap(Cells, n, n);
    const Decoded Rows = Decode(File);
    EXPECT_EQ(Rows.w, n);
    EXPECT_EQ(Rows.h, n);
    EXPECT_TRUE(Rows.Cells == Cells);
    File[1] = 2; // the same stream taken as stored column by column
    const Decoded Columns = Decode(File);
    ASSERT_EQ(Columns.Cells.size(), Cells.size());
    size_t Wrong = 0;
    for (size_t r = 0; r < size_t(n); ++r)
        for (size_t c = 0; c < size_t(n); ++c)
            Wrong += Columns.Cells[r * n + c] != Cells[c * n + r];
    EXPECT_EQ(Wrong, 0u);
    TempDir Dir;
    const QString Name = Dir.file("big.Map");
    MapLoader::SaveMap(Name, Cells, n, n);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(MapLoader::LoadMap(Name, w, h) == Cells);
    EXPECT_EQ(w, n);
    EXPECT_EQ(h, n);

    // Saving checks the size before touching the file.
    WriteBytes(Name, Bytes({1, 2, 3}));
    try {
        MapLoader::SaveMap(Name, TMyByteArray(), 4097, 4096);
        FAIL() << "no error";
    } catch (const EFormatError& e) {
        EXPECT_EQ(e.Message(), QString("Cannot save map file \"%1\": it has 0 cells, but 4097 x "
                                       "4096 needs 16781312.")
                                   .arg(Name));
    }
    EXPECT_THROW(MapLoader::SaveMap(Name, TMyByteArray(), 70000, 0), EFormatError);
    EXPECT_THROW(MapLoader::SaveMap(Name, TMyByteArray(), -1, 0), EFormatError);
    EXPECT_THROW(MapLoader::SaveMap(Name, TMyByteArray(5), 2, 2), EFormatError);
    EXPECT_THROW(MapLoader::EncodeMap(TMyByteArray(3), 2, 2), EFormatError);
    EXPECT_EQ(ReadBytes(Name), Bytes({1, 2, 3}));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList("big.Map"));
}

TEST(MapLoader, ReportsMapsTheMemoryCannotHold) {
    // The format's largest map, where the memory for it cannot be had: an error naming the file
    // and the sizes, never a crash. (Past the machine's memory it is refused before allocating.)
    if (!MemoryLimitsWork)
        GTEST_SKIP() << "the address sanitizer cannot run under a memory limit";
    TempDir Dir;
    const QString Name = Dir.file("big.Map");
    int32_t w = 0, h = 0;
    const QString Huge = Dir.file("huge.Map");
    WriteBytes(Huge, Bytes({0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 9, 9, 0xFF}));
    QString Message;
    EXPECT_EQ(RunWithMemoryLimit(
                  512u << 20, [&] { MapLoader::LoadMap(Huge, w, h); }, &Message),
              1);
    EXPECT_TRUE(Message.startsWith(
                    QString("Map file \"%1\" claims 65535 x 65535 cells, but the 4294836225 bytes")
                        .arg(Huge)) ||
                Message.startsWith(QString("Map file \"%1\" claims 65535 x 65535 cells: their "
                                           "4294836225 bytes")
                                       .arg(Huge)))
        << Message.toStdString();
    // A file image that cannot be held (a sparse file of 3 GB), and an encoding that cannot be.
    const QString Sparse = Dir.file("sparse.Map");
    WriteBytes(Sparse, Bytes({0, 1, 0, 0, 0, 0}));
    ASSERT_TRUE(QFile::resize(Sparse, qint64(3) << 30));
    EXPECT_EQ(RunWithMemoryLimit(
                  512u << 20, [&] { MapLoader::LoadMap(Sparse, w, h); }, &Message),
              1);
    EXPECT_EQ(Message, QString("Cannot open file \"%1\". The 3221225472 bytes for the file cannot "
                               "be allocated")
                           .arg(Sparse));
    // (The map is larger than any block freed above, which the child could take again.) The
    // failed save leaves the old file and nothing else.
    WriteBytes(Name, Bytes({1, 2, 3}));
    const TMyByteArray Wide(size_t(65535) * 2048, 7);
    EXPECT_EQ(RunWithMemoryLimit(
                  64u << 20, [&] { MapLoader::SaveMap(Name, Wide, 65535, 2048); }, &Message),
              1);
    EXPECT_EQ(Message, QString("Cannot save map file \"%1\" of 65535 x 2048 cells: the memory for "
                               "its encoding (up to %2 bytes) cannot be allocated.")
                           .arg(Name)
                           .arg(6 + 3 * Wide.size() + 2));
    EXPECT_EQ(ReadBytes(Name), Bytes({1, 2, 3}));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"big.Map", "huge.Map", "sparse.Map"}));
}

TEST(MapLoader, FailedLoadsNameTheFileAndKeepTheSize) {
    TempDir Dir;
    const QString Old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    const QString Abs = QDir(Dir.path()).canonicalPath();
    int32_t w = 12, h = 34;
    try {
        MapLoader::LoadMap("missing.Map", w, h);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(
            e.Message(),
            QString("Cannot open file \"%1/missing.Map\". No such file or directory").arg(Abs));
    }
    WriteBytes("short.Map", Bytes({0, 1, 0, 2, 0}));
    try {
        MapLoader::LoadMap("short.Map", w, h);
        ADD_FAILURE() << "no error";
    } catch (const EFormatError& e) {
        EXPECT_EQ(e.Message(), QString("Map file \"%1/short.Map\" is too short: 5 bytes, but its "
                                       "header alone needs 6.")
                                   .arg(Abs));
    }
    WriteBytes("empty.Map", Bytes({}));
    EXPECT_THROW(MapLoader::LoadMap("empty.Map", w, h), EFormatError);
    EXPECT_EQ(w, 12);
    EXPECT_EQ(h, 34);
    QDir::setCurrent(Old);

    WriteBytes(Dir.file("ok.Map"), Bytes({0, 1, 0, 3, 0, 1, 7, 7, 9, 0xFF}));
    EXPECT_EQ(MapLoader::LoadMap(Dir.file("ok.Map"), w, h), Bytes({7, 7, 9}));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 1);
}

TEST(MapLoader, SavesReplaceTheFileWhole) {
    TempDir Dir;
    const QString Name = Dir.file("a.Map");
    MapLoader::SaveMap(Name, Bytes({5, 5, 5, 5}), 2, 2);
    EXPECT_EQ(ReadBytes(Name), Bytes({0, 1, 0, 2, 0, 2, 0xFE, 4, 5, 0xFF}));
    const TMyByteArray OldFile = ReadBytes(Name);

    // A new map whose file is far larger than the limit: the write fails part way.
    Rng R(3);
    const TMyByteArray Big = RandomRuns(R, 200 * 200, 3);
    QString Message;
    const int Status = RunWithFileSizeLimit(
        4096, [&] { MapLoader::SaveMap(Name, Big, 200, 200); }, &Message);
    EXPECT_EQ(Status, 1);
    EXPECT_TRUE(Message.startsWith(QString("Cannot write file \"%1\".").arg(Name)))
        << qPrintable(Message);
    EXPECT_EQ(ReadBytes(Name), OldFile);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList("a.Map"));

    try {
        MapLoader::SaveMap(Dir.file("no/such/folder.Map"), Big, 200, 200);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), QString("Cannot create file \"%1\". No such file or directory")
                                   .arg(Dir.file("no/such/folder.Map")));
    }

    int32_t i = -1;
    EXPECT_EQ(MapLoader::Incr(i), 0);
    EXPECT_EQ(MapLoader::Incr(i), 1);
    EXPECT_EQ(i, 1);
}
