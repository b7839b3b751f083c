// SPDX-License-Identifier: MIT
// velkora-tool on broken files: whatever it is given, it ends with status 0 or 1 (never a signal,
// never a hang), and a failure carries a message on stderr.

#include "maps/MapLoader.h"
#include "sprites/CompDecompUnit.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

// Seeded variants of a valid file: truncations, flipped bytes, random bytes of its size.
std::vector<TMyByteArray> Variants(const TMyByteArray& Valid, int Count, unsigned Seed) {
    Rng r(Seed);
    std::vector<TMyByteArray> Out;
    for (int i = 0; i < Count; ++i) {
        TMyByteArray v = Valid;
        switch (i % 4) {
        case 0: // truncated anywhere, also inside the header
            v.resize(Valid.empty() ? 0 : r() % Valid.size());
            break;
        case 1: { // a few bytes changed, in the header every other time
            const size_t Span = i % 8 == 1 ? std::min<size_t>(v.size(), 24) : v.size();
            for (int k = 0, n = 1 + int(r() % 6); k < n && Span > 0; ++k)
                v[r() % Span] = uint8_t(r());
            break;
        }
        case 2: // random bytes of the same length
            for (uint8_t& b : v)
                b = uint8_t(r());
            break;
        default: // a valid header with a random tail
            for (size_t k = std::min<size_t>(v.size(), 22); k < v.size(); ++k)
                v[k] = uint8_t(r());
            v.resize(v.size() + r() % 64, uint8_t(r()));
        }
        Out.push_back(std::move(v));
    }
    return Out;
}

// Runs the tool once and checks how it ended.
void ExpectCleanEnd(const QStringList& Args, const QString& Input) {
    QByteArray Out, Err;
    const int Status = RunTool(Args, &Out, &Err);
    ASSERT_GE(Status, 0) << "killed or hung on " << Input.toStdString() << " with "
                         << Args.join(' ').toStdString();
    ASSERT_LE(Status, 1) << Err.toStdString();
    if (Status == 1) {
        EXPECT_TRUE(Err.startsWith("velkora-tool: ")) << Err.toStdString();
    }
}

class ToolRobustness : public ::testing::Test {
protected:
    TempDir Dir;
    // Adjust, when given, changes each variant before it is written.
    void RunOnVariants(const TMyByteArray& Valid, unsigned Seed, int Count,
                       const std::function<QStringList(const QString&)>& Args,
                       const std::function<void(TMyByteArray&)>& Adjust = {}) {
        int n = 0;
        for (TMyByteArray& v : Variants(Valid, Count, Seed)) {
            if (Adjust)
                Adjust(v);
            const QString f = Dir.file(QStringLiteral("in%1.bin").arg(n++));
            WriteBytes(f, v);
            ExpectCleanEnd(Args(f), f);
            if (HasFatalFailure())
                return;
        }
    }
};

} // namespace

TEST_F(ToolRobustness, SpriteFiles) {
    DataRoot Root(Dir.file("root"));
    Root.Palettes = {DistinctPalette(0)};
    Root.WriteParams();
    const TMyByteArray Sprite = CompDecompUnit::Compress(PatternWords(12, 3));
    RunOnVariants(Sprite, 11, 120, [&](const QString& f) {
        return QStringList{"sprite", "decode", f, Dir.file("out.bin")};
    });
    RunOnVariants(Sprite, 12, 80, [&](const QString& f) {
        return QStringList{
            "sprite", "render", f, Dir.file("out.png"), "--params", Root.Root() + "/XMLParams.xml"};
    });
}

TEST_F(ToolRobustness, EditFiles) {
    const TMyByteArray Edit(200, 0x5A);
    RunOnVariants(Edit, 21, 60, [&](const QString& f) {
        return QStringList{"sprite", "encode", f, Dir.file("out.spr")};
    });
    RunOnVariants(Edit, 22, 40, [&](const QString& f) {
        return QStringList{"sprite", "pack", f, Dir.file("out.spr")};
    });
}

TEST_F(ToolRobustness, MapFiles) {
    TMyByteArray Cells(30 * 20);
    for (size_t i = 0; i < Cells.size(); ++i)
        Cells[i] = uint8_t((i / 7) % 50);
    const TMyByteArray Map = MapLoader::EncodeMap(Cells, 30, 20);
    // Any header is a map the format allows, up to 65535 x 65535 cells, and decodes to that many
    // cells (zero where the stream ends early): so that the test does not write gigabytes, the
    // height of a header over a million cells is cut down to what keeps it under.
    const auto Smaller = [](TMyByteArray& v) {
        if (v.size() < 6)
            return;
        const int w = MyTypes::ReadBE16(&v[2]);
        if (int64_t(w) * MyTypes::ReadBE16(&v[4]) > (1 << 20)) {
            const int h = (1 << 20) / w;
            v[4] = uint8_t(h >> 8);
            v[5] = uint8_t(h & 0xFF);
        }
    };
    RunOnVariants(
        Map, 31, 120,
        [&](const QString& f) {
            return QStringList{"map", "decode", f, Dir.file("out.cells")};
        },
        Smaller);
    RunOnVariants(
        Map, 32, 80,
        [&](const QString& f) {
            return QStringList{"map", "info", f};
        },
        Smaller);
}

TEST_F(ToolRobustness, ParametersFiles) {
    DataRoot Root(Dir.file("root"));
    Root.Palettes = {DistinctPalette(0), DistinctPalette(1)};
    Root.MapSets = {{"A : B", 0, 1}};
    Root.PalSets = {MyTypes::IdentityPallette()};
    Root.WriteParams();
    const TMyByteArray Params = ReadBytes(Root.Root() + "/XMLParams.xml");
    RunOnVariants(Params, 41, 120, [&](const QString& f) {
        return QStringList{"palettes", "--params", f};
    });
}
