// SPDX-License-Identifier: MIT
// velkora-tool's help as a user reads it: every command has a help of its own whose example runs,
// and wrong commands get one line and the way to that help.

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace velkora::test;

namespace {

QStringList Lines(const QByteArray& Text) {
    return QString::fromUtf8(Text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The commands the overview lists, as their words before the first argument ("sprite decode",
// "palettes"), in the overview's order.
QStringList ListedCommands() {
    QByteArray Out;
    EXPECT_EQ(RunTool({"--help"}, &Out), 0);
    QStringList Commands;
    static const QRegularExpression Line(QStringLiteral("^  velkora-tool ((?:[a-z][a-z-]*)"
                                                        "(?: [a-z][a-z-]*)?)(?: |$)"));
    for (const QString& l : Lines(Out)) {
        const QRegularExpressionMatch m = Line.match(l);
        if (m.hasMatch())
            Commands << m.captured(1);
    }
    return Commands;
}

} // namespace

// Each command's --help describes that command alone, and its example, run in a data root in
// the overview's order (a decode before the encode that reads its output), succeeds.
TEST(ToolHelp, EveryCommandHasAHelpOfItsOwnWithAnExampleThatRuns) {
    const QStringList Commands = ListedCommands();
    ASSERT_EQ(Commands.size(), 18) << Commands.join(", ").toStdString();
    TempDir Dir;
    ASSERT_EQ(RunTool({"make-demo", Dir.path(), "--force"}), 0);
    for (const QString& Command : Commands) {
        QByteArray Out, Err;
        const QStringList Words = Command.split(QLatin1Char(' '));
        ASSERT_EQ(RunTool(Words + QStringList{"--help"}, &Out, &Err), 0) << Command.toStdString();
        const QStringList Help = Lines(Out);
        ASSERT_GE(Help.size(), 4) << Out.constData();
        EXPECT_TRUE(Help.first().startsWith("Usage: velkora-tool " + Command)) << Out.constData();
        // The other commands are not described here.
        for (const QString& Other : Commands) {
            if (Other == Command || Other.startsWith(Command + ' '))
                continue;
            EXPECT_FALSE(Out.contains(("velkora-tool " + Other + ' ').toUtf8()))
                << Command.toStdString() << " shows " << Other.toStdString();
        }
        const qsizetype At = Help.indexOf("Example:");
        ASSERT_GT(At, 1) << Out.constData();
        ASSERT_EQ(At + 2, Help.size()) << Out.constData();
        QStringList Example = Help.at(At + 1).trimmed().split(QLatin1Char(' '));
        ASSERT_EQ(Example.takeFirst(), "velkora-tool");
        EXPECT_EQ(Example.mid(0, Words.size()), Words) << Command.toStdString();
        EXPECT_EQ(RunTool(Example, &Out, &Err, Dir.path()), 0)
            << Example.join(' ').toStdString() << ": " << Err.constData();
    }
    // A group's --help lists its commands and only those.
    QByteArray Out;
    ASSERT_EQ(RunTool({"library", "--help"}, &Out), 0);
    EXPECT_EQ(Lines(Out).first(), "Usage:");
    EXPECT_TRUE(Out.contains("velkora-tool library list [--root DIR]"));
    EXPECT_FALSE(Out.contains("velkora-tool sprite"));
}

// Wrong commands and arguments: exit status 2, one line saying what is wrong, one naming the help
// that explains it; never the help itself, and nothing on stdout.
TEST(ToolHelp, WrongCommandsGetOneLineAndTheHintToTheirHelp) {
    struct TCase {
        QStringList Args;
        QString Error;
        QString HelpOf;
    };
    const TCase Cases[] = {
        {{"map", "bogus", "--help"}, "unknown map command \"bogus\"", "map"},
        {{"sprite", "squash", "a", "b"}, "unknown sprite command \"squash\"", "sprite"},
        {{"sprite"},
         "sprite needs a command: decode, encode, pack, render, export-png, import-png",
         "sprite"},
        {{"sprite", "decode", "only-one"},
         "expected: velkora-tool sprite decode IN.spr OUT.bin",
         "sprite decode"},
        {{"map", "render", "a.Map", "a.png", "--root", "."}, "--tex1 is required", "map render"},
        {{"library", "list", "--bogus"}, "unknown option --bogus", "library list"},
        {{"palettes", "extra"}, "expected: palettes [--params FILE]", "palettes"},
        {{"make-demo"}, "expected: velkora-tool make-demo [--force] DIR", "make-demo"},
        {{"palette", "import", "a.gpl"},
         "give either --palette N (the palette to replace) or --append (a new palette)",
         "palette import"},
        {{"frobnicate"},
         "unknown command \"frobnicate\"; the commands are sprite, library, map, palette, "
         "palettes, make-demo",
         ""},
    };
    for (const TCase& c : Cases) {
        QByteArray Out, Err;
        EXPECT_EQ(RunTool(c.Args, &Out, &Err), 2) << c.Args.join(' ').toStdString();
        EXPECT_TRUE(Out.isEmpty()) << Out.constData();
        const QString Help = c.HelpOf.isEmpty() ? QString() : c.HelpOf + ' ';
        EXPECT_EQ(Lines(Err),
                  QStringList({"velkora-tool: " + c.Error,
                               "Try \"velkora-tool " + Help + "--help\" for more information."}))
            << c.Args.join(' ').toStdString();
    }
}
