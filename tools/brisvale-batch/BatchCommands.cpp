#include "BatchCommands.h"

#include "app/DesignClasses.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "surface/CompanionFile.h"
#include "platform/SafeFile.h"
#include "surface/DesignModel.h"
#include "surface/ObjectStream.h"
#include "richtext/RichBaseLabel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bv::batch {

namespace {
QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool readFile(const QString& path, QByteArray& data, QTextStream& err)
{
    SafeReadResult r = ReadOutsideFile(path, MaxDesignFileBytes);
    if (!r.ok()) {
        err << "brisvale-batch: " << r.error << "\n";
        return false;
    }
    data = std::move(r.data);
    return true;
}
} // namespace

int Dump(const QString& path, QTextStream& out, QTextStream& err)
{
    QByteArray data;
    if (!readFile(path, data, err))
        return 1;
    try {
        // Written as it is made: a design holding a large bitmap is not
        // held as text in memory first.
        DumpObjectStream(data, out);
    } catch (const Exception& e) {
        err << "brisvale-batch: " << native(path) << ": " << e.message() << "\n";
        return 1;
    }
    return 0;
}

void PrepareDesign(TDesignModel& design)
{
    design.SetCardSize(QSize(343, 191));
    design.SetShape(lsRectangle);
    // The running program's clipboard is not the tool's to delete.
    design.SetDeletesTemporaryFiles(false);
    // Rich text objects lay out and draw through the master they are given.
    CreateMasterRichText(design);
}

int Resave(const QString& in, const QString& out, QTextStream& err)
{
    if (!QFileInfo(in).isFile()) {
        err << "brisvale-batch: cannot open " << native(in) << "\n";
        return 1;
    }
    // The design itself and its companion are inputs too.
    if (RefusesOverwritingDesign(in, out, err))
        return 1;
    // The design object classes a design file may name.
    RegisterDesignClasses();
    TDesignModel card;
    PrepareDesign(card);
    try {
        card.ClearAll();
        card.LoadFromFile(in);
    } catch (const std::exception&) {
        err << "brisvale-batch: " << native(in) << ": " << DescribeCurrentException() << "\n";
        return 1;
    }
    try {
        card.SaveToFile(out);
    } catch (const std::exception&) {
        err << "brisvale-batch: " << DescribeCurrentException() << "\n";
        return 1;
    }
    return 0;
}

bool RefusesOverwriting(const QString& input, const QString& output, const char* what, QTextStream& err)
{
    const QString inPath = QFileInfo(input).absoluteFilePath();
    const QString outPath = QFileInfo(output).absoluteFilePath();
    if (!IsSameFile(inPath, outPath) && QDir::cleanPath(inPath) != QDir::cleanPath(outPath))
        return false;
    err << "brisvale-batch: " << native(output) << ": refusing to overwrite the " << what << " "
        << native(input) << " with the output\n";
    return true;
}

bool RefusesOverwritingDesign(const QString& design, const QString& output, QTextStream& err)
{
    return RefusesOverwriting(design, output, "design file", err)
        || RefusesOverwriting(CompanionPath(design), output, "design file", err);
}

bool RefusesOverwritingBackground(const QString& background, const QString& output, QTextStream& err)
{
    return !background.isEmpty() && RefusesOverwriting(background, output, "background picture", err);
}

} // namespace bv::batch
