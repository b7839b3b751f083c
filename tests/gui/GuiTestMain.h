// SPDX-License-Identifier: MIT
#pragma once
// main() for the Qt Test programs: the application object is the editor's own, so errors that
// escape handlers are reported as in the editor (to a sink the tests can read). Questions never
// wait on a modal box: unless a test answers them itself, they are answered "Discard" (or the
// first answer where there is no Discard) and recorded in AskedQuestions(); colour dialogs are
// answered Cancel and their titles recorded there too.

#include "shell/Application.h"
#include "widgets/Questions.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace velkora::test {
inline QStringList& AskedQuestions() {
    static QStringList Asked;
    return Asked;
}
inline void AnswerDiscard() {
    SetQuestionSink([](const QString& Question, const QStringList& Answers) {
        AskedQuestions() << Question;
        const int Discard = int(Answers.indexOf(QStringLiteral("Discard")));
        return Discard >= 0 ? Discard : 0;
    });
    SetColourSink([](const QColor&, const QString& Title) -> std::optional<QColor> {
        AskedQuestions() << Title;
        return std::nullopt;
    });
}
} // namespace velkora::test

#define VELKORA_GUI_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char** argv) {                                                              \
        std::signal(SIGXFSZ, SIG_IGN);                                                             \
        /* The editor's settings go to a folder of the program's own, never the user's; they       \
           last from one test function to the next, as from one run of the editor to the next,     \
           so a test that needs the defaults calls Settings::Reset() first. */                     \
        QTemporaryDir SettingsDir;                                                                 \
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, SettingsDir.path());     \
        velkora::TApplication App(argc, argv);                                                     \
        App.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        velkora::test::AnswerDiscard();                                                            \
        TestClass Test;                                                                            \
        return QTest::qExec(&Test, argc, argv);                                                    \
    }
