// SPDX-License-Identifier: MIT
// The editor's command line: the parser, the built program as a user runs it, and the start-up
// on a data root given as its argument.

#include "shell/CommandLine.h"
#include "shell/Application.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "shell/Version.h"
#include "sprites/SpriteEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "workbench/SpritesFrm.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

#include <memory>
#include <utility>

using namespace velkora;

Q_DECLARE_METATYPE(TCommandLine::TAction)

namespace {

struct Finished {
    int Exit = -1; // -1: crashed or still running after a minute
    QByteArray Out, Err;
};

// Runs the built editor in WorkDir with an environment that has no display at all, but for the
// variables Set names.
Finished RunEditor(const QStringList& Args, const QString& WorkDir,
                   const QString& OutputFile = QString(),
                   const QList<std::pair<QString, QString>>& Set = {}) {
    QProcess p;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    for (const char* Name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        Env.remove(QLatin1String(Name));
    for (const auto& [Name, Value] : Set)
        Env.insert(Name, Value);
    p.setProcessEnvironment(Env);
    p.setWorkingDirectory(WorkDir);
    if (!OutputFile.isEmpty())
        p.setStandardOutputFile(OutputFile);
    p.start(QStringLiteral(VELKORA_EDITOR), Args);
    Finished f;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return f;
    }
    f.Out = p.readAllStandardOutput();
    f.Err = p.readAllStandardError();
    if (p.exitStatus() == QProcess::NormalExit)
        f.Exit = p.exitCode();
    return f;
}

void Row(const char* Name, const QStringList& Args, TCommandLine::TAction Action,
         const QString& Root = QString(), const QString& Error = QString()) {
    QTest::newRow(Name) << Args << Action << Root << Error;
}

QStringList Lines(const QByteArray& Text) {
    return QString::fromUtf8(Text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempDir> fDir;
    QString fOldDir;

    // In fDir: root (the demo data root), elsewhere (another data root, the folder the editor
    // is started in), -dash (a folder named like an option) and file.txt.
    QString Path(const QString& Name) const { return fDir->file(Name); }

private slots:
    void initTestCase() {
        fDir = std::make_unique<test::TempDir>();
        QCOMPARE(test::RunTool({"make-demo", Path("root")}), 0);
        test::DataRoot Elsewhere(Path("elsewhere"));
        Elsewhere.AddSprite(QStringLiteral("Elsewhere1"), test::PatternWords(2, 1));
        Elsewhere.Palettes = {test::DistinctPalette(0)};
        Elsewhere.WriteParams();
        QVERIFY(QDir().mkdir(Path("-dash")));
        test::WriteBytes(Path("file.txt"), test::Bytes({1, 2, 3}));
        fOldDir = QDir::currentPath();
        // Relative names in the rows below are taken against fDir.
        QVERIFY(QDir::setCurrent(fDir->path()));
    }
    void cleanupTestCase() { QDir::setCurrent(fOldDir); }

    void parse_data() {
        QTest::addColumn<QStringList>("Args");
        QTest::addColumn<TCommandLine::TAction>("Action");
        QTest::addColumn<QString>("Root");  // a name in fDir, or empty
        QTest::addColumn<QString>("Error"); // %1: fDir
        using L = TCommandLine;
        Row("nothing: the current directory", {}, L::Run);
        Row("a folder, relative and unclean", {"./elsewhere/../root/"}, L::Run, "root");
        Row("-- lets a folder look like an option", {"--", "-dash"}, L::Run, "-dash");
        Row("--help after a root", {"root", "--help"}, L::ShowHelp);
        Row("-h", {"-h"}, L::ShowHelp);
        Row("the first of --version and a bad option decides", {"--version", "--bogus"},
            L::ShowVersion);
        Row("an unknown option", {"--bogus", "--help"}, L::Refuse, "",
            "Unknown option \"--bogus\".");
        Row("a folder named like an option, without --", {"-dash"}, L::Refuse, "",
            "Unknown option \"-dash\".");
        Row("two roots", {"root", "missing"}, L::Refuse, "",
            "Only one data root can be given, not \"root\" and \"missing\".");
        Row("a missing folder", {"missing"}, L::Refuse, "",
            "Cannot open folder \"%1/missing\". No such file or directory");
        Row("a file", {"file.txt"}, L::Refuse, "",
            "Cannot open folder \"%1/file.txt\". Not a directory");
        Row("an empty name", {""}, L::Refuse, "",
            "Cannot open folder \"\". No such file or directory");
    }
    void parse() {
        QFETCH(QStringList, Args);
        QFETCH(TCommandLine::TAction, Action);
        QFETCH(QString, Root);
        QFETCH(QString, Error);
        const TCommandLine Line = ParseCommandLine(Args);
        QCOMPARE(Line.Action, Action);
        QCOMPARE(Line.DataRoot, Root.isEmpty() ? QString() : Path(Root));
        QCOMPARE(Line.Error, Error.contains("%1") ? Error.arg(fDir->path()) : Error);
    }

    // Help, version and refusals come before the application object: they work without any
    // display, where creating it would end the program.
    void theProgramAnswersWithoutADisplay() {
        const QString Dir = Path("elsewhere");
        Finished f = RunEditor({"--help"}, Dir);
        QCOMPARE(f.Exit, 0);
        QCOMPARE(QString::fromUtf8(f.Out), CommandLineHelp());
        QVERIFY(f.Err.isEmpty());
        f = RunEditor({"--version"}, Dir);
        QCOMPARE(f.Exit, 0);
        QCOMPARE(f.Out, QByteArray("velkora " VELKORA_VERSION "\n"));

        const QString d = fDir->path();
        const std::pair<QStringList, QString> Wrongs[] = {
            {{"../missing"}, "Cannot open folder \"" + d + "/missing\". No such file or directory"},
            {{"../file.txt"}, "Cannot open folder \"" + d + "/file.txt\". Not a directory"},
            {{"../root", "."}, "Only one data root can be given, not \"../root\" and \".\"."},
            {{"--bogus"}, "Unknown option \"--bogus\"."}};
        for (const auto& [Args, Message] : Wrongs) {
            f = RunEditor(Args, Dir);
            QCOMPARE(f.Exit, 2);
            QVERIFY(f.Out.isEmpty());
            QCOMPARE(Lines(f.Err), QStringList({"velkora: " + Message,
                                                "Try \"velkora --help\" for more information."}));
        }
        // Output that cannot be written is a failure, not a success.
        f = RunEditor({"--version"}, Dir, QStringLiteral("/dev/full"));
        QCOMPARE(f.Exit, 1);
        QVERIFY2(f.Err.startsWith("velkora: Cannot write to the standard output."), f.Err);
    }

    // Without a display the editor says so in one line with the remedies and ends with exit
    // status 1, not with Qt's abort: where no display is named, and where the one named is not
    // there.
    void withoutADisplayTheEditorSaysSoInOneLine() {
        const QString Remedies =
            " to show the editor on; start it in a virtual display with \"xvfb-run -a velkora\", "
            "or unseen with QT_QPA_PLATFORM=offscreen";
        const QString Config = Path("config");
        Finished f =
            RunEditor({"../root"}, Path("elsewhere"), QString(), {{"XDG_CONFIG_HOME", Config}});
        QCOMPARE(f.Exit, 1);
        QVERIFY(f.Out.isEmpty());
        QCOMPARE(Lines(f.Err),
                 QStringList({"velkora: there is no display (DISPLAY is not set)" + Remedies}));
        f = RunEditor(
            {}, Path("elsewhere"), QString(),
            {{"XDG_CONFIG_HOME", Config}, {"DISPLAY", ":4711"}, {"QT_QPA_PLATFORM", "xcb"}});
        QCOMPARE(f.Exit, 1);
        QCOMPARE(Lines(f.Err),
                 QStringList({"velkora: cannot open the display \":4711\"" + Remedies}));
    }

    // Started elsewhere with a root, the editor runs in that root; in process, the start-up
    // steps then read that root's library and parameters, not those of the starting folder.
    void aDataRootArgumentIsTheFolderTheEditorWorksOn() {
        const QString Root = QFileInfo(Path("root")).canonicalFilePath();
        QProcess p;
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("QT_QPA_PLATFORM", "offscreen");
        // Its settings go to the test's folder, not the user's.
        Env.insert("XDG_CONFIG_HOME", Path("config"));
        p.setProcessEnvironment(Env);
        p.setWorkingDirectory(Path("elsewhere"));
        p.start(QStringLiteral(VELKORA_EDITOR), {"../root"});
        QVERIFY(p.waitForStarted());
        const QString Cwd = QStringLiteral("/proc/%1/cwd").arg(p.processId());
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(Cwd).canonicalFilePath(), Root, 10000);
        QVERIFY2(!p.waitForFinished(1000), p.readAllStandardError()); // it started and runs
        p.kill();
        p.waitForFinished();

        QStringList Errors;
        TApplication::SetErrorSink([&Errors](const QString& m) { Errors << m; });
        QVERIFY(QDir::setCurrent(Path("elsewhere")));
        QByteArray Program("velkora"), Argument("../root");
        char* Argv[] = {Program.data(), Argument.data(), nullptr};
        QCOMPARE(HandleCommandLine(2, Argv), -1);
        QCOMPARE(QDir::current().canonicalPath(), Root);
        {
            // As main() makes them, for the current directory the command line chose.
            TSession Session(MyTypes::GetCurrentDir());
            TMainFrm w(Session);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QByteArray Out;
            QCOMPARE(test::RunTool({"library", "list", "--root", Root}, &Out), 0);
            QStringList Listed;
            for (int i = 0; i < w.SpritesFrm()->ComboBox1->count(); ++i)
                Listed << w.SpritesFrm()->ComboBox1->itemText(i);
            QCOMPARE(Listed, Lines(Out));
            QCOMPARE(test::RunTool({"palettes", "--params", Root + "/XMLParams.xml"}, &Out), 0);
            QCOMPARE(w.SpritesFrm()->PalCmb->count(), Lines(Out).size());
            QVERIFY2(Errors.isEmpty(), qPrintable(Errors.join('\n')));
        }
        TApplication::SetErrorSink(nullptr);
        QVERIFY(QDir::setCurrent(fDir->path()));
    }

    // The root goes to the editor as it was named: a link to a data root stays the root the
    // editor works on and remembers, not the folder the link leads to.
    void aLinkedDataRootIsWorkedOnAsItWasNamed() {
        const QString Linked = Path("linked");
        QVERIFY(QFile::link(Path("root"), Linked));
        QProcess p;
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("QT_QPA_PLATFORM", "offscreen");
        Env.insert("XDG_CONFIG_HOME", Path("config-linked"));
        p.setProcessEnvironment(Env);
        p.setWorkingDirectory(Path("elsewhere"));
        p.start(QStringLiteral(VELKORA_EDITOR), {Linked});
        QVERIFY(p.waitForStarted());
        const auto Remembered = [&] {
            QSettings Stored(Path("config-linked/velkora/velkora.conf"), QSettings::IniFormat);
            return Stored.value("RecentRoots").toStringList();
        };
        QTRY_COMPARE_WITH_TIMEOUT(Remembered(), QStringList({Linked}), 10000);
        p.kill();
        p.waitForFinished();
    }
};

VELKORA_GUI_TEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
