#include "BatchCommands.h"

#include "app/DesignClasses.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "surface/CompanionFile.h"
#include "platform/SafeFile.h"
#include "surface/BusinessCardPanel.h"
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
        out << DumpObjectStream(data);
    } catch (const Exception& e) {
        err << "brisvale-batch: " << native(path) << ": " << e.message() << "\n";
        return 1;
    }
    return 0;
}

int Resave(const QString& in, const QString& out, QTextStream& err)
{
    if (!QFileInfo(in).isFile()) {
        err << "brisvale-batch: cannot open " << native(in) << "\n";
        return 1;
    }
    // The design object classes a design file may name.
    RegisterDesignClasses();
    TGBusinessCardPanel32 panel;
    // The running program's clipboard is not the tool's to delete.
    panel.SetDeletesTemporaryFiles(false);
    // Rich text objects paint through a master control on their form.
    CreateMasterRichText(&panel);
    try {
        panel.ClearAll();
        panel.LoadFromFile(in);
    } catch (const std::exception&) {
        err << "brisvale-batch: " << native(in) << ": " << DescribeCurrentException() << "\n";
        return 1;
    }
    try {
        panel.SaveToFile(out);
    } catch (const std::exception&) {
        err << "brisvale-batch: " << DescribeCurrentException() << "\n";
        return 1;
    }
    return 0;
}

bool RefusesOverwritingDesign(const QString& design, const QString& output, QTextStream& err)
{
    const QString outPath = QFileInfo(output).absoluteFilePath();
    for (const QString& input : {design, CompanionPath(design)}) {
        const QString inPath = QFileInfo(input).absoluteFilePath();
        // The same file by another spelling or link; or, for a file not yet
        // there, the same path.
        if (IsSameFile(inPath, outPath) || QDir::cleanPath(inPath) == QDir::cleanPath(outPath)) {
            err << "brisvale-batch: " << native(output) << ": refusing to overwrite the design file "
                << native(input) << " with the output\n";
            return true;
        }
    }
    return false;
}

} // namespace bv::batch
