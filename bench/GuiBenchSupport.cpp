// SPDX-License-Identifier: MIT
#include "bench/GuiBenchSupport.h"

#include "maps/MapLoader.h"
#include "shell/Application.h"
#include "shell/MyTypes.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace velkora::bench {

namespace {

QStringList& Errors() {
    static QStringList e;
    return e;
}

// The demo's parameters file without texture sets: with an empty library they would name
// sprites that do not exist.
QString DropMapSets(const QString& ParamsFile) {
    QFile f(ParamsFile);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1").arg(ParamsFile);
    QDomDocument Doc;
    if (!Doc.setContent(&f))
        return QStringLiteral("cannot parse %1").arg(ParamsFile);
    f.close();
    QDomElement Sets = Doc.documentElement().firstChildElement().nextSiblingElement();
    while (!Sets.firstChild().isNull())
        Sets.removeChild(Sets.firstChild());
    const QByteArray Text = Doc.toByteArray(2);
    MyTypes::WriteFileAtomically(ParamsFile, reinterpret_cast<const uint8_t*>(Text.constData()),
                                 size_t(Text.size()));
    return QString();
}

} // namespace

TEditorRoot::TEditorRoot(const TRootContents& Contents) {
    if (!fDir.isValid()) {
        fError = QStringLiteral("cannot create a temporary folder");
        return;
    }
    QProcess Tool;
    Tool.start(QStringLiteral(VELKORA_TOOL),
               {QStringLiteral("make-demo"), fDir.path(), QStringLiteral("--force")});
    if (!Tool.waitForFinished(120000) || Tool.exitStatus() != QProcess::NormalExit ||
        Tool.exitCode() != 0) {
        fError = QStringLiteral("velkora-tool make-demo failed: %1")
                     .arg(QString::fromLocal8Bit(Tool.readAllStandardError()));
        return;
    }
    try {
        const QDir Sprites(fDir.filePath(QStringLiteral("Sprites")));
        const TMyByteArray Sample =
            MyTypes::ReadFileBytes(Sprites.filePath(QStringLiteral("A1.spr")));
        if (!Contents.DemoSprites) {
            for (const QString& Name : Sprites.entryList(QDir::Files))
                QFile::remove(Sprites.filePath(Name));
            const QString Error = DropMapSets(fDir.filePath(QStringLiteral("XMLParams.xml")));
            if (!Error.isEmpty()) {
                fError = Error;
                return;
            }
        }
        for (int i = 1; i <= Contents.ExtraSprites; ++i) {
            QFile f(Sprites.filePath(QStringLiteral("z%1.spr").arg(i)));
            if (!f.open(QIODevice::WriteOnly) ||
                f.write(reinterpret_cast<const char*>(Sample.data()), qint64(Sample.size())) !=
                    qint64(Sample.size())) {
                fError = QStringLiteral("cannot write %1").arg(f.fileName());
                return;
            }
        }
        if (Contents.MapSide > 0)
            MapLoader::SaveMap(fDir.filePath(QStringLiteral("Maps/A%1.Map").arg(Contents.MapSide)),
                               bench::RandomRuns(Contents.MapSide, 7), Contents.MapSide,
                               Contents.MapSide);
    } catch (const Exception& e) {
        fError = e.Message();
    }
}

int64_t ProcStatusKb(const char* Field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char Line[256];
    int64_t Kb = -1;
    const size_t n = std::strlen(Field);
    while (std::fgets(Line, sizeof Line, f)) {
        if (std::strncmp(Line, Field, n) == 0 && Line[n] == ':') {
            Kb = std::strtoll(Line + n + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return Kb;
}

const QStringList& ReportedErrors() {
    return Errors();
}

void ClearReportedErrors() {
    Errors().clear();
}

void DeliverUpdates() {
    // All pending events, as one turn of the event loop would: delivering the update requests
    // alone would let other posted events pile up and slow down every later turn.
    QCoreApplication::processEvents();
}

namespace {
// Notes the first paint event of a widget.
class TPaintWatch : public QObject {
public:
    bool Painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            Painted = true;
        return false;
    }
};
} // namespace

bool ShowAndWaitForFirstPaint(QWidget* Window) {
    TPaintWatch Watch;
    Window->installEventFilter(&Watch);
    Window->show();
    QElapsedTimer Timer;
    Timer.start();
    // The window's paint event comes first in the paint of the whole window, which ends before
    // the event that started it returns.
    while (!Watch.Painted && Timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    Window->removeEventFilter(&Watch);
    return Watch.Painted;
}

namespace {
std::vector<std::function<void()>>& EndActions() {
    static std::vector<std::function<void()>> a;
    return a;
}
} // namespace

void AtBenchmarksEnd(std::function<void()> Action) {
    EndActions().push_back(std::move(Action));
}

namespace {
QtMessageHandler PreviousHandler = nullptr;

// The offscreen platform says on every window it creates that it cannot pass size hints on;
// that says nothing about the editor and would bury the results.
void QuietHandler(QtMsgType Type, const QMessageLogContext& Context, const QString& Message) {
    if (Message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    if (PreviousHandler)
        PreviousHandler(Type, Context, Message);
}
} // namespace

int RunGuiBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PreviousHandler = qInstallMessageHandler(QuietHandler);
    TApplication App(argc, argv);
    App.setAttribute(Qt::AA_Use96Dpi, true);
    TApplication::SetErrorSink([](const QString& Message) { Errors() << Message; });
    benchmark::Initialize(&argc, argv);
    RatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();
    while (!EndActions().empty()) {
        const std::function<void()> Action = std::move(EndActions().back());
        EndActions().pop_back();
        Action();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

bool FixtureUsable(benchmark::State& State, const QString& Error) {
    if (Error.isEmpty())
        return true;
    State.SkipWithError(Error.toUtf8().constData());
    return false;
}

} // namespace velkora::bench
