#include "BatchCommands.h"

#include "app/DesignClasses.h"
#include "platform/Errors.h"
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
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        err << "brisvale-batch: cannot open " << native(path) << "\n";
        return false;
    }
    data = file.readAll();
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
    } catch (const Exception& e) {
        err << "brisvale-batch: " << native(in) << ": " << e.message() << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << "brisvale-batch: " << native(in) << ": " << e.what() << "\n";
        return 1;
    }
    try {
        panel.SaveToFile(out);
    } catch (const Exception& e) {
        err << "brisvale-batch: " << e.message() << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << "brisvale-batch: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

} // namespace bv::batch
