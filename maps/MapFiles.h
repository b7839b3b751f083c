// SPDX-License-Identifier: MIT
#pragma once
// The map's files as the map workspace offers them: the maps of the Maps folder in the map
// chooser, opening the one chosen, saving into the map's file or under a new name inside Maps,
// new maps, and the TMX export, import and reimport. Unsaved edits are asked about before any of
// them would be thrown away.

#include "maps/NewMapDialog.h"
#include "shell/MyTypes.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QWidget;

namespace velkora {

class TMapDocument;
class TMapTextures;
class TSession;
class TWorkspace;

// The questions the map's files ask, replaceable by tests. NewMapDialog edits the choice it is
// given and returns false for Cancel; SaveAsDialog returns the typed name (empty for Cancel).
// The TMX file dialogs return a file (empty for Cancel); the save dialog proposes Suggested, adds
// ".tmx" and asks before it replaces a file.
struct TMapFileDialogs {
    using TNewMapQuestion = std::function<bool(TNewMapChoice& Choice)>;
    using TNameQuestion = std::function<QString(const QString& Suggested)>;
    TNewMapQuestion NewMapDialog;
    TNameQuestion SaveAsDialog;
    std::function<QString(const QString& Suggested)> TmxSaveDialog;
    std::function<QString()> TmxOpenDialog;
};

class TMapFiles : public QObject {
    Q_OBJECT
public:
    // The files of Session's Maps folder, listed in Chooser, for Document; Workspace asks about
    // unsaved edits, Window is the parent of every question. Dialogs without an answer of their
    // own get the editor's dialogs.
    TMapFiles(TSession& Session, TMapDocument& Document, TMapTextures& Textures,
              TWorkspace& Workspace, QWidget* Window, QComboBox* Chooser, TMapFileDialogs& Dialogs);

    // Appends the names of the map files under Maps ("*.Map", any case).
    void FindFiles(QStringList& S) const;
    // Maps/Name under the data root.
    QString GetFullName(const QString& Name) const;
    // The map names, in library order, as the chooser shows them.
    const QStringList& Names() const { return fNames; }
    // Lists the maps in the chooser, the first selected (without opening it).
    void ListMaps();

    // Opens the map the chooser names, once unsaved edits may go; a refusal or a file that
    // cannot be read (raised) leaves the map in memory and the chooser naming it.
    void OpenChosen();
    // The map into its file; a map without one is saved under a name first.
    void Save();
    // Asks a name inside Maps and saves the map under it.
    void SaveAs();
    // Asks the size and the fill item (Item proposed) and makes the map.
    void NewMap(int Item);
    // Makes Cells (w x h, row by row) the map, a new one without a file that counts as modified,
    // once unsaved edits may go; false when the user keeps them. The chooser then names no map.
    bool OpenNewMap(int32_t w, int32_t h, TMyByteArray Cells, const QString& Name = QString());
    // The map in the textures and palettes chosen now as a TMX file and its tileset picture
    // (both asked about before either is written).
    void ExportTmx();
    // A TMX or JSON map as a new unsaved map named after the file, in the textures and palettes
    // it records where this data root has them.
    void ImportTmx();
    // The cells of the file last imported or exported in place of the map's, as one edit.
    void ReimportTmx();

    // The map's name for the window title: its file's name, the name a new map goes by, "New
    // map"; empty without a map.
    QString Title() const;

private:
    void SetDefaultDialogs();
    // Lists the map files again, selecting Name.
    void ListMap(const QString& Name);
    void SelectQuietly(int Index);

    TSession& fSession;
    TMapDocument& fDocument;
    TMapTextures& fTextures;
    TWorkspace& fWorkspace;
    QWidget* fWindow;
    QComboBox* fChooser;
    TMapFileDialogs& fDialogs;
    QStringList fNames;
    // The position in fNames of the map in memory (-1: none).
    int fMapIndex = -1;
};

} // namespace velkora
