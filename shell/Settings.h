// SPDX-License-Identifier: MIT
#pragma once
// The editor's own settings: what it remembers between runs besides the data root's files.
// They live where the platform keeps a program's settings (QSettings, user scope, on Linux
// $XDG_CONFIG_HOME/velkora/velkora.conf); nothing else is written outside the data root.

#include <QString>
#include <QStringList>
#include <QVariant>

namespace velkora::Settings {

// How many data roots the recent list keeps.
constexpr int MaxRecentRoots = 8;

// The data roots used last, newest first, at most MaxRecentRoots (folders that are gone
// included: the start page shows them greyed).
QStringList RecentRoots();
// Puts Root (made absolute) at the head of the recent list.
void AddRecentRoot(const QString& Root);

// True when Folder holds a Sprites or a Maps folder.
bool IsDataRoot(const QString& Folder);
// The data root the editor starts on when the user named none: CurrentDir when it is a data
// root, else the newest recent root when it still is one; empty for the start page.
QString StartDataRoot(const QString& CurrentDir);

// A setting by key ("Sprites/Zoom"); Default when it was never written.
QVariant Value(const QString& Key, const QVariant& Default = QVariant());
void SetValue(const QString& Key, const QVariant& Value);

// Forgets every setting.
void Reset();

} // namespace velkora::Settings
