// SPDX-License-Identifier: MIT
#pragma once
// Shared plumbing of velkora-tool's commands.

#include "shell/MyTypes.h"
#include "shell/Progress.h"

#include <QStringList>

#include <vector>

namespace velkora {
struct TMapSummary;
}

namespace velkora::tool {

// Wrong arguments: reported in one line with the hint to the command's --help, exit status 2.
class UsageError : public Exception {
public:
    using Exception::Exception;
};

// One command ("sprite decode", or "palettes", a group that is one command itself): what it
// takes, what it does, an example, and what runs it. Each command's text sits beside its Run.
struct SubCommand {
    const char* Name;                    // "decode"; null for a group that is one command
    int (*Run)(const QStringList& Args); // gets the arguments after the command's name
    const char* Synopsis;                // "sprite decode IN.spr OUT.bin", after "velkora-tool "
    const char* Description;             // what it does: lines of text, each ending in "\n"
    const char* Example;                 // a command line, after "velkora-tool "
};

// One command group ("sprite", "map", ...) and its commands, in the order the help lists them.
struct CommandGroup {
    const char* Name;
    std::vector<const SubCommand*> Commands;
};

// The help of one command: its usage line, what it does and the example.
QString CommandHelp(const SubCommand& Command);
// The usage lines of a group's commands, each followed by what it does.
QString GroupUsage(const CommandGroup& Group);
// True when the arguments ask for help (-h or --help anywhere).
bool WantsHelp(const QStringList& Args);
// Takes the value of "--Name VALUE" out of Args; Default when absent; UsageError when the value
// is missing.
QString TakeOption(QStringList& Args, const QString& Name, const QString& Default = QString());
// Parses a whole number in [Min, Max] or raises UsageError naming What.
long long ParseNumber(const QString& Text, const QString& What, long long Min, long long Max);
// Raises UsageError unless Args holds exactly Count positional arguments.
void ExpectArgs(const QStringList& Args, int Count, const char* Usage);
// A file given as a sprite or a map that is plainly of another format: one that begins with the
// PNG signature, with "<?xml" or "<map", or with "{" and then '"' (white space and a UTF-8 byte
// order mark before them allowed). Raises EFormatError naming the file, what it is and the
// command that reads it ("... is a PNG picture; use sprite import-png"). A file that cannot be
// opened is left to the reader, which reports it.
enum class TInputKind { Sprite, Map };
void RefuseOtherFormat(const QString& FileName, TInputKind Expected);
// Writes a note to stderr ("velkora-tool: " + Text): what a command left aside or did not check.
void PrintNote(const QString& Text);
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
extern const CommandGroup SpriteGroup;  // sprite decode|encode|pack|render|export-png|import-png
extern const CommandGroup LibraryGroup; // library list
extern const CommandGroup MapGroup; // map decode|encode|info|resize|render|export-tmx|import-tmx
extern const CommandGroup PalettesGroup; // palettes
extern const CommandGroup PaletteGroup;  // palette export|import
extern const CommandGroup DemoGroup;     // make-demo

// Commands that the groups above list but that are defined beside related ones:
// "sprite render" and "map render" (RenderCommands.cpp), "sprite export-png" and "sprite
// import-png" (SpritePngCommands.cpp), "map export-tmx" and "map import-tmx" (TmxCommands.cpp).
extern const SubCommand SpriteRenderCommand;
extern const SubCommand MapRenderCommand;
extern const SubCommand SpriteExportPngCommand;
extern const SubCommand SpriteImportPngCommand;
extern const SubCommand MapExportTmxCommand;
extern const SubCommand MapImportTmxCommand;

} // namespace velkora::tool
