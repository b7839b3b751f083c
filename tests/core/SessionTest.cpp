// SPDX-License-Identifier: MIT
// The session: what belongs to one data root.

#include "shell/Session.h"
#include "sprites/CompDecompUnit.h"
#include "tests/support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

TMyArray Seq(size_t n, uint16_t First = 0x0100) {
    TMyArray w(n);
    for (size_t i = 0; i < n; ++i)
        w[i] = uint16_t(First + 0x0101 * i);
    return w;
}

} // namespace

TEST(Library, TheSessionListsItsRootOnce) {
    TempDir d;
    ASSERT_TRUE(QDir().mkpath(d.file("Sprites")));
    WriteBytes(d.file("Sprites/X1.spr"), CompDecompUnit::Compress(Seq(16)));
    const TSession Session(d.path() + "/");
    EXPECT_EQ(Session.CurrentDir(), QDir(d.path()).absolutePath());
    EXPECT_EQ(Session.SpriteContainer().SpriteNames(), QStringList({"X1.spr"}));
    EXPECT_EQ(Session.SpriteContainer().SpriteInfo(0).Bytes, Seq(16));
    // The list is final: a file added later is not in it.
    WriteBytes(d.file("Sprites/X2.spr"), CompDecompUnit::Compress(Seq(16)));
    EXPECT_EQ(Session.SpriteContainer().SpriteNames().size(), 1);
}
