#include "document/Settings.h"

#include "platform/Environment.h"
#include "platform/ProfileFile.h"

#include <algorithm>

namespace bv {

namespace {
const QString sPrinter = QStringLiteral("Printer");
const QString sFont = QStringLiteral("Default Font");
const QString sLayout = QStringLiteral("Layout");
const QString sPersonal = QStringLiteral("Personal");
const QString sMru = QStringLiteral("MRU");
const QString sPrintShop = QStringLiteral("Print Shop");

int readNudge(const ProfileFile& ini, const QString& key)
{
    // The fine-tuning dialog never goes beyond these limits; an edited file
    // must not move the printing off the card stock.
    return std::clamp(ini.ReadInteger(sPrinter, key, 0), MinNudge, MaxNudge);
}

Single readLength(const ProfileFile& ini, const QString& key, int storedDefault)
{
    return StoredToLayoutLength(ini.ReadInteger(sLayout, key, storedDefault));
}

void writeLength(ProfileFile& ini, const QString& key, Single inches)
{
    ini.WriteInteger(sLayout, key, LayoutLengthToStored(inches));
}
} // namespace

QString TSettings::FileName() const
{
    return path.isEmpty() ? IniPath() : path;
}

TPreferences TSettings::LoadPreferences() const
{
    const ProfileFile ini(FileName());
    TPreferences p;
    p.Nudges.TopMargin = readNudge(ini, QStringLiteral("TopMarginNudge"));
    p.Nudges.LeftMargin = readNudge(ini, QStringLiteral("LeftMarginNudge"));
    p.Nudges.VerticalSpacing = readNudge(ini, QStringLiteral("VerticalSpacing"));
    p.Nudges.HorizontalSpacing = readNudge(ini, QStringLiteral("HorizontalSpacing"));
    p.ShowBottomMarginWarning = ini.ReadBool(sPrinter, QStringLiteral("ShowBottomMarginWarning"), true);
    p.DefaultFont.Name = ini.ReadString(sFont, QStringLiteral("Name"), QStringLiteral("Arial"));
    p.DefaultFont.Size = ini.ReadInteger(sFont, QStringLiteral("Size"), 10);
    p.DefaultFont.Bold = ini.ReadBool(sFont, QStringLiteral("Bold"), false);
    p.DefaultFont.Italic = ini.ReadBool(sFont, QStringLiteral("Italic"), false);
    p.DefaultFont.Underline = ini.ReadBool(sFont, QStringLiteral("Underline"), false);
    return p;
}

void TSettings::SavePreferences(const TPreferences& p) const
{
    ProfileFile(FileName()).Update([&](ProfileFile& ini) {
        ini.WriteBool(sPrinter, QStringLiteral("ShowBottomMarginWarning"), p.ShowBottomMarginWarning);
        ini.WriteString(sFont, QStringLiteral("Name"), p.DefaultFont.Name);
        ini.WriteInteger(sFont, QStringLiteral("Size"), p.DefaultFont.Size);
        ini.WriteBool(sFont, QStringLiteral("Bold"), p.DefaultFont.Bold);
        ini.WriteBool(sFont, QStringLiteral("Italic"), p.DefaultFont.Italic);
        ini.WriteBool(sFont, QStringLiteral("Underline"), p.DefaultFont.Underline);
        ini.WriteInteger(sPrinter, QStringLiteral("TopMarginNudge"), p.Nudges.TopMargin);
        ini.WriteInteger(sPrinter, QStringLiteral("LeftMarginNudge"), p.Nudges.LeftMargin);
        ini.WriteInteger(sPrinter, QStringLiteral("VerticalSpacing"), p.Nudges.VerticalSpacing);
        ini.WriteInteger(sPrinter, QStringLiteral("HorizontalSpacing"), p.Nudges.HorizontalSpacing);
    });
}

TCardLayout TSettings::LoadLayoutPreferences(const TCardLayout& current) const
{
    const ProfileFile ini(FileName());
    TCardLayout l;
    l.Height = readLength(ini, QStringLiteral("Height"), 2000);
    l.Width = readLength(ini, QStringLiteral("Width"), 3500);
    l.TopMargin = readLength(ini, QStringLiteral("TopMargin"), 500);
    l.LeftMargin = readLength(ini, QStringLiteral("LeftMargin"), 750);
    l.HPitch = readLength(ini, QStringLiteral("HPitch"), 3500);
    l.VPitch = readLength(ini, QStringLiteral("VPitch"), 2000);
    l.PredefLayout = ini.ReadInteger(sLayout, QStringLiteral("PredefLayout"), 0);
    l.Papersize = ini.ReadInteger(sLayout, QStringLiteral("Papersize"), PaperLetter);
    l.Across = ini.ReadInteger(sLayout, QStringLiteral("Across"), 2);
    l.Down = ini.ReadInteger(sLayout, QStringLiteral("Down"), 5);
    l.UseMM = ini.ReadBool(sLayout, QStringLiteral("UseMM"), false);
    l.Portrait = ini.ReadBool(sLayout, QStringLiteral("Portrait"), current.Portrait);
    l.Stock = ini.ReadString(sLayout, QStringLiteral("Stock")).left(200);
    l.CornerRadius = readLength(ini, QStringLiteral("CornerRadius"), 0);
    l.Paper = ini.ReadString(sLayout, QStringLiteral("Paper")).left(200);
    ClampToLayoutLimits(l);
    return l;
}

void TSettings::SaveLayoutPreferences(const TCardLayout& l) const
{
    ProfileFile(FileName()).Update([&](ProfileFile& ini) {
        writeLength(ini, QStringLiteral("Height"), l.Height);
        writeLength(ini, QStringLiteral("Width"), l.Width);
        writeLength(ini, QStringLiteral("TopMargin"), l.TopMargin);
        writeLength(ini, QStringLiteral("LeftMargin"), l.LeftMargin);
        writeLength(ini, QStringLiteral("HPitch"), l.HPitch);
        writeLength(ini, QStringLiteral("VPitch"), l.VPitch);
        ini.WriteInteger(sLayout, QStringLiteral("PredefLayout"), l.PredefLayout);
        ini.WriteInteger(sLayout, QStringLiteral("Papersize"), l.Papersize);
        ini.WriteInteger(sLayout, QStringLiteral("Across"), l.Across);
        ini.WriteInteger(sLayout, QStringLiteral("Down"), l.Down);
        ini.WriteBool(sLayout, QStringLiteral("UseMM"), l.UseMM);
        ini.WriteBool(sLayout, QStringLiteral("Portrait"), l.Portrait);
        // Keys older versions ignore; left out for the program's own layouts.
        if (l.Stock.isEmpty())
            ini.DeleteKey(sLayout, QStringLiteral("Stock"));
        else
            ini.WriteString(sLayout, QStringLiteral("Stock"), l.Stock);
        if (l.CornerRadius > 0)
            writeLength(ini, QStringLiteral("CornerRadius"), l.CornerRadius);
        else
            ini.DeleteKey(sLayout, QStringLiteral("CornerRadius"));
        if (l.Paper.isEmpty())
            ini.DeleteKey(sLayout, QStringLiteral("Paper"));
        else
            ini.WriteString(sLayout, QStringLiteral("Paper"), l.Paper);
    });
}

TPrintShopPreferences TSettings::LoadPrintShop() const
{
    const ProfileFile ini(FileName());
    TPrintShopPreferences p;
    const int bleed = ini.ReadInteger(sPrintShop, QStringLiteral("Bleed"), -1);
    p.BleedHundredthsMm = bleed < 0 ? -1 : std::min(bleed, 600);
    p.CropMarks = ini.ReadBool(sPrintShop, QStringLiteral("CropMarks"), true);
    p.ShowGuides = ini.ReadBool(sPrintShop, QStringLiteral("ShowGuides"), false);
    return p;
}

void TSettings::SavePrintShop(const TPrintShopPreferences& p) const
{
    ProfileFile(FileName()).Update([&](ProfileFile& ini) {
        if (p.BleedHundredthsMm >= 0)
            ini.WriteInteger(sPrintShop, QStringLiteral("Bleed"), std::min(p.BleedHundredthsMm, 600));
        ini.WriteBool(sPrintShop, QStringLiteral("CropMarks"), p.CropMarks);
        ini.WriteBool(sPrintShop, QStringLiteral("ShowGuides"), p.ShowGuides);
    });
}

TPersonalInfo TSettings::LoadPersonalInfo() const
{
    const ProfileFile ini(FileName());
    TPersonalInfo info;
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        info.Field(i) = ini.ReadString(sPersonal, TPersonalInfo::Keys()[static_cast<std::size_t>(i)], QString());
    return info;
}

void TSettings::SavePersonalInfo(const TPersonalInfo& info) const
{
    ProfileFile(FileName()).Update([&](ProfileFile& ini) {
        for (int i = 0; i < TPersonalInfo::Count; ++i)
            ini.WriteString(sPersonal, TPersonalInfo::Keys()[static_cast<std::size_t>(i)], info.Field(i));
    });
}

QStringList TSettings::LoadRecentFiles() const
{
    const ProfileFile ini(FileName());
    QStringList files;
    for (const QString& line : ini.ReadSectionValues(sMru)) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString value = line.mid(eq + 1).trimmed().left(ProfileFile::MaxStringLength);
        if (value.isEmpty())
            continue;
        files << value;
        if (files.size() == MaxRecentFiles)
            break;
    }
    return files;
}

void TSettings::StoreRecentFiles(const QStringList& files) const
{
    ProfileFile(FileName()).Update([&](ProfileFile& ini) {
        ini.EraseSection(sMru);
        const int n = std::min<int>(files.size(), MaxRecentFiles);
        for (int i = 0; i < n; ++i)
            ini.WriteString(sMru, QStringLiteral("F") + QString::number(i), files[i]);
    });
}

} // namespace bv
