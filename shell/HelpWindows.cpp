// SPDX-License-Identifier: MIT
#include "shell/HelpWindows.h"

#include "shell/Version.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QMessageBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace velkora::HelpWindows {

namespace {

// A window holding a text browser and a Close button; it goes when it is closed.
QDialog* MakeTextWindow(QWidget* Parent, const QString& Title, QTextBrowser*& Browser) {
    auto* Window = new QDialog(Parent);
    Window->setAttribute(Qt::WA_DeleteOnClose);
    Window->setModal(false);
    Window->setWindowTitle(Title);
    auto* Layout = new QVBoxLayout(Window);
    Browser = new QTextBrowser(Window);
    Browser->setOpenExternalLinks(true);
    Layout->addWidget(Browser);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Close, Window);
    QObject::connect(Buttons, &QDialogButtonBox::rejected, Window, &QDialog::close);
    Layout->addWidget(Buttons);
    return Window;
}

// Sections of the README that are for the developers, not the users.
const QStringList DeveloperSections = {QStringLiteral("Layout of the source"),
                                       QStringLiteral("Development")};

} // namespace

QList<QPair<QString, QString>> ActionRows(const QList<QAction*>& Actions) {
    QList<QPair<QString, QString>> Rows;
    for (const QAction* a : Actions) {
        QStringList Keys;
        for (const QKeySequence& k : a->shortcuts())
            Keys << k.toString(QKeySequence::NativeText);
        if (Keys.isEmpty())
            continue;
        QString Text = a->text();
        Text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        Text.remove(QLatin1Char('&'));
        Text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
        Rows.append({Keys.join(QStringLiteral(", ")), Text});
    }
    return Rows;
}

QDialog* MakeShortcutsWindow(QWidget* Parent, const QList<TShortcutGroup>& Groups) {
    QTextBrowser* Browser = nullptr;
    QDialog* Window = MakeTextWindow(Parent, QStringLiteral("Keyboard shortcuts"), Browser);
    Window->setObjectName(QStringLiteral("ShortcutsWindow"));
    // One table, so that the columns of every group line up.
    QString Html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");
    for (const TShortcutGroup& g : Groups) {
        if (g.Rows.isEmpty())
            continue;
        Html += QStringLiteral("<tr><td colspan=\"2\"><h3>%1</h3></td></tr>")
                    .arg(g.Title.toHtmlEscaped());
        for (const auto& [Keys, What] : g.Rows)
            Html += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                        .arg(Keys.toHtmlEscaped(), What.toHtmlEscaped());
    }
    Html += QStringLiteral("</table>");
    Browser->setHtml(Html);
    Window->resize(560, 600);
    return Window;
}

QString UserGuideMarkdown() {
    QFile File(QStringLiteral(":/doc/README.md"));
    if (!File.open(QIODevice::ReadOnly))
        return QString();
    const QStringList Lines = QString::fromUtf8(File.readAll()).split(QLatin1Char('\n'));
    QStringList Guide = {QStringLiteral("# Velkora"), QString()};
    bool Keep = false;
    for (const QString& Line : Lines) {
        if (Line.startsWith(QLatin1String("## ")))
            Keep = !DeveloperSections.contains(Line.mid(3).trimmed());
        if (Keep && !Line.startsWith(QLatin1String("![")))
            Guide << Line;
    }
    return Guide.join(QLatin1Char('\n'));
}

QDialog* MakeUserGuideWindow(QWidget* Parent) {
    QTextBrowser* Browser = nullptr;
    QDialog* Window = MakeTextWindow(Parent, QStringLiteral("User guide"), Browser);
    Window->setObjectName(QStringLiteral("UserGuideWindow"));
    Browser->setMarkdown(UserGuideMarkdown());
    Window->resize(760, 640);
    return Window;
}

QString AboutText() {
    return QStringLiteral(
               "<h3>Velkora %1</h3>"
               "<p>Edits the sprites, palettes and tile maps of a 16-bit console game.</p>"
               "<p>Free software under the MIT licence: you may use, copy, change and give it "
               "away; it comes without any warranty. The demo data it makes is under the same "
               "terms.</p>"
               "<p><a href=\"%2\">%2</a></p>"
               "<p>Qt %3 (built with Qt %4)</p>")
        .arg(QLatin1String(VELKORA_VERSION), QLatin1String(VELKORA_HOMEPAGE),
             QLatin1String(qVersion()), QLatin1String(QT_VERSION_STR));
}

QMessageBox* MakeAboutBox(QWidget* Parent) {
    auto* Box = new QMessageBox(Parent);
    Box->setAttribute(Qt::WA_DeleteOnClose);
    Box->setModal(false);
    Box->setObjectName(QStringLiteral("AboutBox"));
    Box->setWindowTitle(QStringLiteral("About Velkora"));
    Box->setTextFormat(Qt::RichText);
    Box->setText(AboutText());
    if (QApplication::windowIcon().isNull())
        Box->setIcon(QMessageBox::Information);
    else
        Box->setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
    Box->setStandardButtons(QMessageBox::Close);
    return Box;
}

} // namespace velkora::HelpWindows
