// SPDX-License-Identifier: MIT
#include "shell/StartPage.h"

#include "shell/Settings.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace velkora {

TStartPage::TStartPage(QWidget* Parent) : QWidget(Parent) {
    setObjectName(QStringLiteral("StartPage"));
    // Not the window's designed small face: this page is read, not laid out to the pixel.
    setFont(QApplication::font());
    auto* Outer = new QHBoxLayout(this);
    Outer->addStretch(1);
    auto* Column = new QVBoxLayout;
    Outer->addLayout(Column, 0);
    Outer->addStretch(1);
    Column->setSpacing(10);
    Column->addStretch(1);

    auto* Title = new QLabel(QStringLiteral("Velkora"), this);
    QFont TitleFont = Title->font();
    TitleFont.setPointSizeF(TitleFont.pointSizeF() * 2);
    TitleFont.setBold(true);
    Title->setFont(TitleFont);
    Column->addWidget(Title);

    Explanation = new QLabel(this);
    Explanation->setWordWrap(true);
    Explanation->setFixedWidth(480);
    Explanation->setText(QStringLiteral(
        "A data root is the folder that holds your game's extracted files: the sprite files "
        "(*.spr) in its folder Sprites, the maps (*.Map) in Maps and the palettes in "
        "XMLParams.xml. Saves replace those files in place, so keep a copy of the folder "
        "before you change anything."));
    Column->addWidget(Explanation);

    auto* Buttons = new QHBoxLayout;
    OpenRootButton = new QPushButton(QStringLiteral("Open data root..."), this);
    OpenRootButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    OpenRootButton->setToolTip(QStringLiteral("Choose the folder that holds Sprites, Maps and "
                                              "XMLParams.xml"));
    MakeDemoButton = new QPushButton(QStringLiteral("Make a demo data root..."), this);
    MakeDemoButton->setToolTip(QStringLiteral("Write the demo's sprites, maps and palettes into a "
                                              "folder you choose, and open it"));
    Buttons->addWidget(OpenRootButton);
    Buttons->addWidget(MakeDemoButton);
    Buttons->addStretch(1);
    Column->addLayout(Buttons);
    connect(OpenRootButton, &QPushButton::clicked, this, &TStartPage::OpenRootClicked);
    connect(MakeDemoButton, &QPushButton::clicked, this, &TStartPage::MakeDemoClicked);

    auto* RecentTitle = new QLabel(QStringLiteral("Recent data roots"), this);
    QFont Bold = RecentTitle->font();
    Bold.setBold(true);
    RecentTitle->setFont(Bold);
    Column->addSpacing(8);
    Column->addWidget(RecentTitle);
    fRecentList = new QWidget(this);
    auto* List = new QVBoxLayout(fRecentList);
    List->setContentsMargins(0, 0, 0, 0);
    List->setSpacing(2);
    Column->addWidget(fRecentList);
    NoRecentRoots =
        new QLabel(QStringLiteral("None yet: the data roots you open appear here."), this);
    NoRecentRoots->setEnabled(false);
    Column->addWidget(NoRecentRoots);
    Column->addStretch(2);

    ShowRecentRoots();
}

void TStartPage::ShowRecentRoots() {
    qDeleteAll(RecentButtons);
    RecentButtons.clear();
    const QIcon Folder = style()->standardIcon(QStyle::SP_DirIcon);
    for (const QString& Root : Settings::RecentRoots()) {
        auto* b = new QPushButton(Folder, QDir::toNativeSeparators(Root), fRecentList);
        b->setFlat(true);
        b->setStyleSheet(QStringLiteral("text-align: left; padding: 3px 6px;"));
        const bool Usable = Settings::IsDataRoot(Root);
        b->setEnabled(Usable);
        b->setToolTip(Usable ? QStringLiteral("Open %1").arg(QDir::toNativeSeparators(Root))
                             : QStringLiteral("%1 is gone or holds no Sprites or Maps folder")
                                   .arg(QDir::toNativeSeparators(Root)));
        connect(b, &QPushButton::clicked, this, [this, Root] { emit RecentRootClicked(Root); });
        fRecentList->layout()->addWidget(b);
        RecentButtons << b;
    }
    NoRecentRoots->setVisible(RecentButtons.isEmpty());
}

} // namespace velkora
