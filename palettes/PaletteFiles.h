// SPDX-License-Identifier: MIT
#pragma once
// Palettes as the files other programs read and write: JASC-PAL (.pal), GIMP palettes (.gpl),
// plain hex (.hex, one RRGGBB a line) and the PLTE of a PNG picture. The formats are pure
// functions over bytes; ReadPaletteFile and WritePaletteFile are the file access around them.

#include "palettes/BmpMaker.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace velkora {

enum class TPaletteFormat { Jasc, Gimp, Hex, Png };

namespace PaletteFiles {
// The format a file name's suffix names, case-insensitively (.pal, .gpl, .hex, .png); none for
// another suffix.
std::optional<TPaletteFormat> FormatOf(const QString& FileName);
// The suffixes, for messages: ".pal, .gpl, .hex or .png".
QString Suffixes();

// The 16 colours in each format:
// - JASC-PAL: "JASC-PAL", "0100", "16", then "R G B" a line, lines ending in CR LF;
// - GIMP: "GIMP Palette", "Name: " Title, "Columns: 16", "#", then "RRR GGG BBB<tab>Index i";
// - hex: "rrggbb" a line;
// - PNG: a 16 x 1 indexed picture (4 bits a pixel) whose pixel x is index x, its PLTE the colours.
QByteArray EncodeJasc(const TPallette& Pal);
QByteArray EncodeGimp(const TPallette& Pal, const QString& Title);
QByteArray EncodeHex(const TPallette& Pal);
QByteArray EncodePng(const TPallette& Pal);
QByteArray Encode(TPaletteFormat Format, const TPallette& Pal, const QString& Title);

// Every colour a file holds, in order, however many. Lines may end in LF or CR LF; blank lines
// are skipped. Name goes into the messages. Anything else raises EFormatError naming the file and,
// for the text formats, the line:
// - JASC-PAL: the first line "JASC-PAL", the version "0100", the count, then as many lines of
//   three (or, with alpha, four) numbers 0 to 255 as the count says;
// - GIMP: the first line "GIMP Palette"; "Name:", "Columns:" and "#" lines are skipped; a colour
//   line is three numbers 0 to 255 and then, optionally, the colour's name;
// - hex: six hex digits a line, "#" before them allowed;
// - PNG: the entries of its PLTE (PngFile::DecodePngPalette); a PNG without one is refused.
std::vector<TCol> DecodeJasc(const QByteArray& Data, const QString& Name);
std::vector<TCol> DecodeGimp(const QByteArray& Data, const QString& Name);
std::vector<TCol> DecodeHex(const QByteArray& Data, const QString& Name);
std::vector<TCol> DecodePng(const QByteArray& Data, const QString& Name);
std::vector<TCol> Decode(TPaletteFormat Format, const QByteArray& Data, const QString& Name);
// Colours as a palette: exactly 16 of them; another count raises EFormatError naming it
// ("\"x.gpl\" holds 17 colours; a palette has 16").
TPallette TakePalette(const std::vector<TCol>& Colours, const QString& Name);

// Palette files larger than this are refused before they are read: a palette file is a few
// hundred bytes, and of a PNG only the header is read.
constexpr uint64_t MaxPaletteFileSize = uint64_t(64) << 20;

// The 16 colours of a palette file in the format its suffix names. A suffix of another format
// raises EFormatError; the file's errors are those of ReadFileBytes and the decoders.
TPallette ReadPaletteFile(const QString& FileName);
// Writes Pal atomically into FileName in the format its suffix names (Title: the GIMP palette's
// name). A suffix of another format raises EFormatError before anything is written.
void WritePaletteFile(const QString& FileName, const TPallette& Pal, const QString& Title);
} // namespace PaletteFiles

} // namespace velkora
