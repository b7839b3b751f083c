// SPDX-License-Identifier: MIT
#include "shell/Settings.h"

#include "shell/MyTypes.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace velkora::Settings {

namespace {

const QString RecentRootsKey = QStringLiteral("RecentRoots");

// Opened for each use: every change is on disk when the call returns, and a test's path (set
// with QSettings::setPath) is always the one used.
std::unique_ptr<QSettings> Open() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("velkora"), QStringLiteral("velkora"));
}

QString Clean(const QString& Folder) {
    return QDir::cleanPath(QFileInfo(Folder).absoluteFilePath());
}

} // namespace

QStringList RecentRoots() {
    QStringList Roots = Open()->value(RecentRootsKey).toStringList();
    Roots.removeAll(QString());
    Roots.removeDuplicates();
    return Roots.mid(0, MaxRecentRoots);
}

void AddRecentRoot(const QString& Root) {
    const QString Folder = Clean(Root);
    QStringList Roots = RecentRoots();
    Roots.removeAll(Folder);
    Roots.prepend(Folder);
    Open()->setValue(RecentRootsKey, Roots.mid(0, MaxRecentRoots));
}

bool IsDataRoot(const QString& Folder) {
    return !Folder.isEmpty() && (QFileInfo(MyTypes::DataPath(Folder, SpriteFolderName)).isDir() ||
                                 QFileInfo(MyTypes::DataPath(Folder, MapFolderName)).isDir());
}

QString StartDataRoot(const QString& CurrentDir) {
    if (IsDataRoot(CurrentDir))
        return CurrentDir;
    const QStringList Roots = RecentRoots();
    if (!Roots.isEmpty() && IsDataRoot(Roots.first()))
        return Roots.first();
    return QString();
}

QVariant Value(const QString& Key, const QVariant& Default) {
    return Open()->value(Key, Default);
}

void SetValue(const QString& Key, const QVariant& Value) {
    Open()->setValue(Key, Value);
}

void Reset() {
    Open()->clear();
}

} // namespace velkora::Settings
