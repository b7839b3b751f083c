#pragma once
// Shared plumbing of velkora-tool's commands.

#include "shell/MyTypes.h"
#include "shell/Progress.h"

#include <QStringList>

#include <initializer_list>

namespace velkora {
struct TMapSummary;
}

namespace velkora::tool {

// Wrong arguments: reported with the command's usage, exit status 2.
class UsageError : public Exception {
public:
    using Exception::Exception;
};

// One command group ("sprite", "map", ...): Run gets the arguments after the group's name.
struct CommandGroup {
    const char* Name;
    const char* Usage; // one line per command, shown by --help
    int (*Run)(const QStringList& Args);
};

// One command of a group ("decode" of "sprite"): Run gets the arguments after its name.
struct SubCommand {
    const char* Name;
    int (*Run)(const QStringList& Args);
};
// Runs the command that Args names first; UsageError when it names none of Commands.
int Dispatch(const char* Group, std::initializer_list<SubCommand> Commands,
             const QStringList& Args);

// True when the arguments ask for help (-h or --help anywhere).
bool WantsHelp(const QStringList& Args);
// Prints a group's usage to stdout and returns 0.
int PrintUsage(const CommandGroup& Group);
// Takes the value of "--Name VALUE" out of Args; Default when absent; UsageError when the value
// is missing.
QString TakeOption(QStringList& Args, const QString& Name, const QString& Default = QString());
// Parses a whole number in [Min, Max] or raises UsageError naming What.
long long ParseNumber(const QString& Text, const QString& What, long long Min, long long Max);
// Raises UsageError unless Args holds exactly Count positional arguments.
void ExpectArgs(const QStringList& Args, int Count, const char* Usage);
// Writes Line and a newline to stdout; EInOutError when the output cannot be written.
void PrintLine(const QString& Line);

// The warning on stderr for a map that declares millions of cells but holds data for less than
// half of them (TMapSummary::Sparse).
void WarnIfSparse(const TMapSummary& Summary, const QString& FileName);
// Reads the map file FileName as MapLoader::LoadMap does, with the decoding's progress. A map
// that declares millions of cells but holds data for less than half of them is read all the same
// (it is a valid map), after a warning on stderr.
TMyByteArray LoadMapFile(const QString& FileName, int32_t& w, int32_t& h,
                         const TProgress& Progress = {});

// The groups, each defined in its own file.
extern const CommandGroup SpriteGroup;   // sprite decode|encode|pack|render|export-png|import-png
extern const CommandGroup LibraryGroup;  // library list
extern const CommandGroup MapGroup;      // map decode|encode|info|render|export-tmx|import-tmx
extern const CommandGroup PalettesGroup; // palettes
extern const CommandGroup DemoGroup;     // make-demo

// Rendering commands, shared by the groups that dispatch to them (RenderCommands.cpp):
// "sprite render ..." and "map render ..." (Args after "render").
int SpriteRender(const QStringList& Args);
int MapRender(const QStringList& Args);
// "sprite export-png ..." and "sprite import-png ..." (SpritePngCommands.cpp).
int SpriteExportPng(const QStringList& Args);
int SpriteImportPng(const QStringList& Args);
// "map export-tmx ..." and "map import-tmx ..." (TmxCommands.cpp).
int MapExportTmx(const QStringList& Args);
int MapImportTmx(const QStringList& Args);

} // namespace velkora::tool
