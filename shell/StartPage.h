// SPDX-License-Identifier: MIT
#pragma once
// The page the main window shows while no data root is open: what a data root is, a way to open
// one or to make the demo, and the data roots used last.

#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;

namespace velkora {

class TStartPage : public QWidget {
    Q_OBJECT
public:
    explicit TStartPage(QWidget* Parent = nullptr);

    QLabel* Explanation = nullptr;
    QPushButton* OpenRootButton = nullptr;
    QPushButton* MakeDemoButton = nullptr;
    // One button per recent data root, newest first; one that is no data root any more (gone,
    // or without Sprites and Maps) is greyed.
    QList<QPushButton*> RecentButtons;
    // Says that there is no recent data root; shown when the list is empty.
    QLabel* NoRecentRoots = nullptr;

    // Lists the recent data roots of the settings again.
    void ShowRecentRoots();

signals:
    void OpenRootClicked();
    void MakeDemoClicked();
    void RecentRootClicked(const QString& Root);

private:
    QWidget* fRecentList = nullptr;
};

} // namespace velkora
