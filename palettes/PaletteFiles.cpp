// SPDX-License-Identifier: MIT
#include "palettes/PaletteFiles.h"

#include "palettes/PngFile.h"
#include "shell/SaveFile.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace velkora {

namespace {

// The lines of a text file, numbered from 1, without their line ends; a UTF-8 byte order mark
// before the first is dropped.
struct TLine {
    int Number;
    QString Text;
};

std::vector<TLine> Lines(const QByteArray& Data) {
    QByteArray Text = Data;
    if (Text.startsWith("\xEF\xBB\xBF"))
        Text.remove(0, 3);
    std::vector<TLine> Out;
    int Number = 0;
    for (QByteArray Line : Text.split('\n')) {
        ++Number;
        if (Line.endsWith('\r'))
            Line.chop(1);
        Out.push_back({Number, QString::fromUtf8(Line)});
    }
    // The split gives an empty piece after a last line end.
    if (!Out.empty() && Out.back().Text.isEmpty())
        Out.pop_back();
    return Out;
}

EFormatError LineError(const QString& Name, int Line, const QString& Why) {
    return EFormatError(QStringLiteral("\"%1\", line %2: %3").arg(Name).arg(Line).arg(Why));
}

// A colour channel: decimal digits, 0 to 255.
bool Channel(const QString& Token, uint8_t& Value) {
    static const QRegularExpression Digits(QStringLiteral("^[0-9]{1,3}$"));
    if (!Digits.match(Token).hasMatch())
        return false;
    const int v = Token.toInt();
    if (v > 255)
        return false;
    Value = uint8_t(v);
    return true;
}

// A line that begins with three whitespace-separated numbers 0 to 255: red, green, blue.
bool ColourLine(const QString& Text, TCol& Colour) {
    static const QRegularExpression Pattern(
        QStringLiteral("^\\s*(\\S+)\\s+(\\S+)\\s+(\\S+)(\\s.*)?$"));
    const QRegularExpressionMatch m = Pattern.match(Text);
    return m.hasMatch() && Channel(m.captured(1), Colour.R) && Channel(m.captured(2), Colour.G) &&
           Channel(m.captured(3), Colour.B);
}

const QString ColourWords = QStringLiteral("three numbers 0 to 255 (red, green, blue)");

} // namespace

std::optional<TPaletteFormat> PaletteFiles::FormatOf(const QString& FileName) {
    const QString Suffix = QFileInfo(FileName).suffix().toLower();
    if (Suffix == QLatin1String("pal"))
        return TPaletteFormat::Jasc;
    if (Suffix == QLatin1String("gpl"))
        return TPaletteFormat::Gimp;
    if (Suffix == QLatin1String("hex"))
        return TPaletteFormat::Hex;
    if (Suffix == QLatin1String("png"))
        return TPaletteFormat::Png;
    return std::nullopt;
}

QString PaletteFiles::Suffixes() {
    return QStringLiteral(".pal, .gpl, .hex or .png");
}

// ---- Writers --------------------------------------------------------------------------------

QByteArray PaletteFiles::EncodeJasc(const TPallette& Pal) {
    QByteArray Out = "JASC-PAL\r\n0100\r\n16\r\n";
    for (const TCol& c : Pal.Col)
        Out += QByteArray::number(c.R) + ' ' + QByteArray::number(c.G) + ' ' +
               QByteArray::number(c.B) + "\r\n";
    return Out;
}

QByteArray PaletteFiles::EncodeGimp(const TPallette& Pal, const QString& Title) {
    // A name is one line.
    QString OneLine = Title;
    OneLine.replace(QRegularExpression(QStringLiteral("[\\r\\n]+")), QStringLiteral(" "));
    QByteArray Out = "GIMP Palette\nName: " + OneLine.toUtf8() + "\nColumns: 16\n#\n";
    for (size_t i = 0; i < Pal.Col.size(); ++i) {
        const TCol& c = Pal.Col[i];
        Out += QStringLiteral("%1 %2 %3\tIndex %4\n")
                   .arg(c.R, 3)
                   .arg(c.G, 3)
                   .arg(c.B, 3)
                   .arg(i)
                   .toLatin1();
    }
    return Out;
}

QByteArray PaletteFiles::EncodeHex(const TPallette& Pal) {
    QByteArray Out;
    for (const TCol& c : Pal.Col)
        Out += QStringLiteral("%1%2%3\n")
                   .arg(c.R, 2, 16, QLatin1Char('0'))
                   .arg(c.G, 2, 16, QLatin1Char('0'))
                   .arg(c.B, 2, 16, QLatin1Char('0'))
                   .toLatin1();
    return Out;
}

QByteArray PaletteFiles::EncodePng(const TPallette& Pal) {
    std::vector<QRgb> Colours;
    uint8_t Row[16];
    for (size_t i = 0; i < Pal.Col.size(); ++i) {
        Colours.push_back(qRgb(Pal.Col[i].R, Pal.Col[i].G, Pal.Col[i].B));
        Row[i] = uint8_t(i);
    }
    TMemorySink Sink;
    TIndexedPngWriter Writer(Sink, 16, 1, Colours);
    Writer.WriteRow(Row);
    Writer.Finish();
    return QByteArray(reinterpret_cast<const char*>(Sink.Bytes.data()),
                      qsizetype(Sink.Bytes.size()));
}

QByteArray PaletteFiles::Encode(TPaletteFormat Format, const TPallette& Pal, const QString& Title) {
    switch (Format) {
    case TPaletteFormat::Jasc:
        return EncodeJasc(Pal);
    case TPaletteFormat::Gimp:
        return EncodeGimp(Pal, Title);
    case TPaletteFormat::Hex:
        return EncodeHex(Pal);
    case TPaletteFormat::Png:
        break;
    }
    return EncodePng(Pal);
}

// ---- Readers --------------------------------------------------------------------------------

std::vector<TCol> PaletteFiles::DecodeJasc(const QByteArray& Data, const QString& Name) {
    std::vector<TLine> All = Lines(Data);
    std::vector<TLine> L;
    for (TLine& Line : All)
        if (!Line.Text.trimmed().isEmpty())
            L.push_back(std::move(Line));
    if (L.empty() || L[0].Text.trimmed() != QLatin1String("JASC-PAL"))
        throw EFormatError(
            QStringLiteral("\"%1\" is not a JASC-PAL palette: it does not begin with \"JASC-PAL\"")
                .arg(Name));
    if (L.size() < 2 || L[1].Text.trimmed() != QLatin1String("0100"))
        throw LineError(Name, L.size() < 2 ? L[0].Number + 1 : L[1].Number,
                        QStringLiteral("the version is not \"0100\""));
    bool Ok = false;
    const int Count = L.size() < 3 ? -1 : L[2].Text.trimmed().toInt(&Ok);
    if (!Ok || Count < 0)
        throw LineError(Name, L.size() < 3 ? L[1].Number + 1 : L[2].Number,
                        QStringLiteral("the number of colours is missing"));
    std::vector<TCol> Colours;
    for (size_t i = 3; i < L.size(); ++i) {
        static const QRegularExpression Space(QStringLiteral("\\s+"));
        const QStringList Tokens = L[i].Text.split(Space, Qt::SkipEmptyParts);
        TCol c;
        uint8_t Alpha = 0;
        if ((Tokens.size() != 3 && Tokens.size() != 4) || !Channel(Tokens[0], c.R) ||
            !Channel(Tokens[1], c.G) || !Channel(Tokens[2], c.B) ||
            (Tokens.size() == 4 && !Channel(Tokens[3], Alpha)))
            throw LineError(
                Name, L[i].Number,
                QStringLiteral("\"%1\" is not a colour: a colour is %2, and an alpha may follow")
                    .arg(L[i].Text.trimmed().left(40), ColourWords));
        Colours.push_back(c);
    }
    if (qsizetype(Colours.size()) != Count)
        throw EFormatError(QStringLiteral("\"%1\" declares %2 colours but holds %3")
                               .arg(Name)
                               .arg(Count)
                               .arg(Colours.size()));
    return Colours;
}

std::vector<TCol> PaletteFiles::DecodeGimp(const QByteArray& Data, const QString& Name) {
    const std::vector<TLine> L = Lines(Data);
    if (L.empty() || L[0].Text.trimmed() != QLatin1String("GIMP Palette"))
        throw EFormatError(QStringLiteral("\"%1\" is not a GIMP palette: it does not begin with "
                                          "\"GIMP Palette\"")
                               .arg(Name));
    std::vector<TCol> Colours;
    for (size_t i = 1; i < L.size(); ++i) {
        const QString Text = L[i].Text.trimmed();
        if (Text.isEmpty() || Text.startsWith(QLatin1Char('#')) ||
            Text.startsWith(QLatin1String("Name:")) || Text.startsWith(QLatin1String("Columns:")))
            continue;
        TCol c;
        if (!ColourLine(Text, c))
            throw LineError(Name, L[i].Number,
                            QStringLiteral("\"%1\" is not a colour: a colour line is %2 and then "
                                           "its name")
                                .arg(Text.left(40), ColourWords));
        Colours.push_back(c);
    }
    return Colours;
}

std::vector<TCol> PaletteFiles::DecodeHex(const QByteArray& Data, const QString& Name) {
    static const QRegularExpression Pattern(QStringLiteral("^#?([0-9A-Fa-f]{6})$"));
    std::vector<TCol> Colours;
    for (const TLine& Line : Lines(Data)) {
        const QString Text = Line.Text.trimmed();
        if (Text.isEmpty())
            continue;
        const QRegularExpressionMatch m = Pattern.match(Text);
        if (!m.hasMatch())
            throw LineError(Name, Line.Number,
                            QStringLiteral("\"%1\" is not a colour: a line of a hex palette is six "
                                           "hex digits, RRGGBB")
                                .arg(Text.left(40)));
        const uint32_t v = m.captured(1).toUInt(nullptr, 16);
        Colours.push_back({uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    }
    return Colours;
}

std::vector<TCol> PaletteFiles::DecodePng(const QByteArray& Data, const QString& Name) {
    const std::vector<QRgb> Entries = PngFile::DecodePngPalette(
        reinterpret_cast<const uint8_t*>(Data.constData()), size_t(Data.size()), Name);
    if (Entries.empty())
        throw EFormatError(
            QStringLiteral("\"%1\" has no palette (PLTE chunk): it is not an indexed picture")
                .arg(Name));
    std::vector<TCol> Colours;
    for (const QRgb e : Entries)
        Colours.push_back({uint8_t(qRed(e)), uint8_t(qGreen(e)), uint8_t(qBlue(e))});
    return Colours;
}

std::vector<TCol> PaletteFiles::Decode(TPaletteFormat Format, const QByteArray& Data,
                                       const QString& Name) {
    switch (Format) {
    case TPaletteFormat::Jasc:
        return DecodeJasc(Data, Name);
    case TPaletteFormat::Gimp:
        return DecodeGimp(Data, Name);
    case TPaletteFormat::Hex:
        return DecodeHex(Data, Name);
    case TPaletteFormat::Png:
        break;
    }
    return DecodePng(Data, Name);
}

TPallette PaletteFiles::TakePalette(const std::vector<TCol>& Colours, const QString& Name) {
    TPallette Pal;
    if (Colours.size() != Pal.Col.size())
        throw EFormatError(
            QStringLiteral("\"%1\" holds %2 %3; a palette has 16")
                .arg(Name)
                .arg(Colours.size())
                .arg(Colours.size() == 1 ? QStringLiteral("colour") : QStringLiteral("colours")));
    std::copy(Colours.begin(), Colours.end(), Pal.Col.begin());
    return Pal;
}

// ---- Files ----------------------------------------------------------------------------------

namespace {

TPaletteFormat FormatOrRefuse(const QString& FileName) {
    const std::optional<TPaletteFormat> Format = PaletteFiles::FormatOf(FileName);
    if (!Format)
        throw EFormatError(QStringLiteral("\"%1\" is not a palette file: palette files end in %2")
                               .arg(MyTypes::ExpandFileName(FileName), PaletteFiles::Suffixes()));
    return *Format;
}

} // namespace

TPallette PaletteFiles::ReadPaletteFile(const QString& FileName) {
    const TPaletteFormat Format = FormatOrRefuse(FileName);
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName, MaxPaletteFileSize);
    const QString Name = MyTypes::ExpandFileName(FileName);
    return TakePalette(
        Decode(Format,
               QByteArray(reinterpret_cast<const char*>(Data.data()), qsizetype(Data.size())),
               Name),
        Name);
}

void PaletteFiles::WritePaletteFile(const QString& FileName, const TPallette& Pal,
                                    const QString& Title) {
    const QByteArray Data = Encode(FormatOrRefuse(FileName), Pal, Title);
    MyTypes::WriteFileAtomically(FileName, reinterpret_cast<const uint8_t*>(Data.constData()),
                                 size_t(Data.size()));
}

} // namespace velkora
