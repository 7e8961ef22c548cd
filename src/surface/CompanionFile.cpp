#include "surface/CompanionFile.h"

#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "platform/LayoutLimits.h"
#include "platform/SafeFile.h"
#include "platform/ProfileFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace bv {

namespace {
const QString iniData = QStringLiteral("Ini Data");
const QString backgroundSection = QStringLiteral("Background");
const QString layoutSection = QStringLiteral("Layout");
const QString pairSection = QStringLiteral("Pair");
} // namespace

int InchesToThousandths(Single inches)
{
    return static_cast<int>(Round(static_cast<Extended>(inches) * 1000));
}

Single ThousandthsToInches(int thousandths)
{
    return ToSingle(thousandths * 0.001L);
}

QString CompanionPath(const QString& designPath)
{
    QFileInfo info(designPath);
    const QString suffix = info.suffix();
    if (suffix.isEmpty() || info.fileName() == QLatin1Char('.') + suffix)
        return designPath + QStringLiteral(".QRE");
    return designPath.left(designPath.size() - suffix.size()) + QStringLiteral("QRE");
}

void WriteCompanionFile(const QString& path, const QString& background, const CompanionLayout& layout,
    const QByteArray& designFingerprint)
{
    const QString target = QFileInfo(path).absoluteFilePath();
    const QString failure = QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(target));

    // Built whole in memory, in the written key order, and written once
    // through a temporary file, so the old companion survives a failed write.
    ProfileFile ini = ProfileFile::InMemory();
    ini.WriteInteger(iniData, QStringLiteral("ISINI"), 1);
    ini.WriteInteger(iniData, QStringLiteral("Version"), 2);
    ini.WriteString(backgroundSection, QStringLiteral("File"), background);
    ini.WriteInteger(layoutSection, QStringLiteral("Height"), layout.height);
    ini.WriteInteger(layoutSection, QStringLiteral("Width"), layout.width);
    ini.WriteInteger(layoutSection, QStringLiteral("TopMargin"), layout.topMargin);
    ini.WriteInteger(layoutSection, QStringLiteral("LeftMargin"), layout.leftMargin);
    ini.WriteInteger(layoutSection, QStringLiteral("HPitch"), layout.hPitch);
    ini.WriteInteger(layoutSection, QStringLiteral("VPitch"), layout.vPitch);
    ini.WriteInteger(layoutSection, QStringLiteral("PredefLayout"), layout.predefLayout);
    ini.WriteInteger(layoutSection, QStringLiteral("Papersize"), layout.paperSize);
    ini.WriteInteger(layoutSection, QStringLiteral("Across"), layout.across);
    ini.WriteInteger(layoutSection, QStringLiteral("Down"), layout.down);
    ini.WriteBool(layoutSection, QStringLiteral("UseMM"), layout.useMM);
    ini.WriteBool(layoutSection, QStringLiteral("UsePortrait"), layout.usePortrait);
    if (!layout.stock.isEmpty())
        ini.WriteString(layoutSection, QStringLiteral("Stock"), layout.stock);
    if (layout.cornerRadius > 0)
        ini.WriteInteger(layoutSection, QStringLiteral("CornerRadius"), layout.cornerRadius);
    if (!layout.paper.isEmpty())
        ini.WriteString(layoutSection, QStringLiteral("Paper"), layout.paper);
    if (!designFingerprint.isEmpty())
        ini.WriteString(pairSection, QStringLiteral("Design"), QString::fromLatin1(designFingerprint));
    try {
        AtomicFile out(target);
        out.Write(ini.Bytes());
        out.Commit();
    } catch (const EWriteError&) {
        throw;
    } catch (const Exception&) {
        throw EWriteError(failure);
    }
}

QByteArray DesignFingerprint(const QByteArray& designBytes)
{
    return QCryptographicHash::hash(designBytes, QCryptographicHash::Sha1).toHex();
}

QString PendingCompanionPath(const QString& designPath)
{
    const QFileInfo companion(CompanionPath(designPath));
    return companion.absolutePath() + QStringLiteral("/.") + companion.fileName() + QStringLiteral(".pending");
}

void WriteDesignPair(const QString& designPath, const std::function<void(const QString&)>& writeDesign,
    const QString& background, const CompanionLayout& layout)
{
    const QString design = QFileInfo(designPath).absoluteFilePath();
    const QString companion = QFileInfo(CompanionPath(design)).absoluteFilePath();
    const FolderLock lock(QFileInfo(design).absolutePath(), FolderLock::Exclusive);
    // Both files are written and checked in full before either replaces its
    // old version, so a failure (a full disk) never leaves a new .QRD without
    // its .QRE, nor a cut file where a good one was.
    AtomicBatch pair;
    pair.StageLast(companion, PendingCompanionPath(design));
    writeDesign(design);
    const SafeReadResult written = ReadOutsideFile(pair.PendingTemp(design), MaxDesignFileBytes);
    if (!written.ok())
        throw EWriteError(AtomicFile::FailureMessage(design));
    WriteCompanionFile(companion, background, layout, DesignFingerprint(written.data));
    pair.Commit();
}

CompanionData ReadPairedCompanion(const QString& designPath)
{
    const QString pendingPath = PendingCompanionPath(designPath);
    if (QFileInfo(pendingPath).isFile()) {
        CompanionData waiting = ReadCompanionFile(pendingPath);
        const SafeReadResult design = ReadOutsideFile(designPath, MaxDesignFileBytes);
        if (waiting.isIni && design.ok() && waiting.design == DesignFingerprint(design.data))
            return waiting;
    }
    return ReadCompanionFile(CompanionPath(designPath));
}

void ClampCompanionLayout(CompanionLayout& l)
{
    using namespace layoutlimits;
    l.height = std::clamp(l.height, MinCardHeight, MaxLength);
    l.width = std::clamp(l.width, MinCardWidth, MaxLength);
    l.topMargin = std::clamp(l.topMargin, 0, MaxLength);
    l.leftMargin = std::clamp(l.leftMargin, 0, MaxLength);
    l.hPitch = std::clamp(l.hPitch, 0, MaxLength);
    l.vPitch = std::clamp(l.vPitch, 0, MaxLength);
    l.across = std::clamp(l.across, MinAcross, MaxAcross);
    l.down = std::clamp(l.down, MinDown, MaxDown);
    // A corner cannot round off more than half the shorter side.
    l.cornerRadius = std::clamp(l.cornerRadius, 0, std::min(l.width, l.height) / 2);
}

CompanionData ReadCompanionFile(const QString& path)
{
    CompanionData data;
    // Anything under the companion's name counts as there; what is not a
    // readable regular file is reported rather than taken for no companion.
    data.exists = QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    if (!data.exists)
        return data;
    // Read once: a file that cannot be read is reported, not taken for an
    // empty one.
    const SafeReadResult file = ReadOutsideFile(path, MaxProfileFileBytes);
    if (!file.ok()) {
        data.unreadable = true;
        data.error = file.error;
        return data;
    }
    const ProfileText ini(file.data);
    data.isIni = ini.ReadBool(iniData, QStringLiteral("ISINI"), false);
    if (data.isIni) {
        data.design = ini.ReadString(pairSection, QStringLiteral("Design")).toLatin1();
        data.background = ini.ReadString(backgroundSection, QStringLiteral("File"));
        CompanionLayout& l = data.layout;
        const CompanionLayout d;
        l.height = ini.ReadInteger(layoutSection, QStringLiteral("Height"), d.height);
        l.width = ini.ReadInteger(layoutSection, QStringLiteral("Width"), d.width);
        l.across = ini.ReadInteger(layoutSection, QStringLiteral("Across"), d.across);
        l.down = ini.ReadInteger(layoutSection, QStringLiteral("Down"), d.down);
        l.topMargin = ini.ReadInteger(layoutSection, QStringLiteral("TopMargin"), d.topMargin);
        l.leftMargin = ini.ReadInteger(layoutSection, QStringLiteral("LeftMargin"), d.leftMargin);
        l.hPitch = ini.ReadInteger(layoutSection, QStringLiteral("HPitch"), d.hPitch);
        l.vPitch = ini.ReadInteger(layoutSection, QStringLiteral("VPitch"), d.vPitch);
        l.predefLayout = ini.ReadInteger(layoutSection, QStringLiteral("PredefLayout"), d.predefLayout);
        l.paperSize = ini.ReadInteger(layoutSection, QStringLiteral("Papersize"), d.paperSize);
        l.useMM = ini.ReadBool(layoutSection, QStringLiteral("UseMM"), d.useMM);
        l.usePortrait = ini.ReadBool(layoutSection, QStringLiteral("UsePortrait"), d.usePortrait);
        l.stock = ini.ReadString(layoutSection, QStringLiteral("Stock")).left(200);
        l.cornerRadius = ini.ReadInteger(layoutSection, QStringLiteral("CornerRadius"), 0);
        l.paper = ini.ReadString(layoutSection, QStringLiteral("Paper")).left(200);
        ClampCompanionLayout(l);
        return data;
    }
    // An older companion: plain text, the first line is the background.
    const QString text = DecodeProfileText(file.data);
    if (!text.isEmpty()) {
        QString first = text.section(QLatin1Char('\n'), 0, 0);
        if (first.endsWith(QLatin1Char('\r')))
            first.chop(1);
        data.background = first;
    }
    return data;
}

} // namespace bv
