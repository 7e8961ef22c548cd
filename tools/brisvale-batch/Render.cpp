#include "Render.h"

#include "BatchCommands.h"

#include "app/DesignClasses.h"
#include "document/CardDocument.h"
#include "document/Settings.h"
#include "platform/Errors.h"
#include "richtext/RichBaseLabel.h"
#include "surface/DesignModel.h"

#include <QFileInfo>

namespace bv::batch {

int Render(const QStringList& args, QTextStream& err)
{
    QString design;
    QString out;
    bool border = false;
    double dpi = 0;
    bool dpiNext = false;
    for (const QString& a : args) {
        if (dpiNext) {
            bool ok = false;
            dpi = a.toDouble(&ok);
            dpiNext = false;
            if (!ok || dpi < 24 || dpi > 2400) {
                err << "brisvale-batch: render: --dpi needs a number from 24 to 2400\n";
                return 1;
            }
        } else if (a == QLatin1String("--border"))
            border = true;
        else if (a == QLatin1String("--dpi"))
            dpiNext = true;
        else if (a.startsWith(QLatin1String("--"))) {
            err << "brisvale-batch: render: unknown option " << a << "\n";
            return 1;
        } else if (design.isEmpty())
            design = a;
        else if (out.isEmpty())
            out = a;
        else {
            err << "brisvale-batch: render needs DESIGN.QRD and OUT\n";
            return 1;
        }
    }
    if (dpiNext) {
        err << "brisvale-batch: render: --dpi needs a number from 24 to 2400\n";
        return 1;
    }
    if (design.isEmpty() || out.isEmpty()) {
        err << "brisvale-batch: render needs DESIGN.QRD and OUT\n";
        return 1;
    }
    if (!QFileInfo(design).isFile()) {
        err << "brisvale-batch: " << design << ": no such design file\n";
        return 1;
    }

    if (RefusesOverwritingDesign(design, out, err))
        return 1;
    try {
        RegisterDesignClasses();
        // The design as the program's window would hold it: the settings of
        // QRD.INI, the default layout until the companion file says otherwise,
        // zoom 1.
        const TSettings settings;
        const TPreferences preferences = settings.LoadPreferences();
        TCardLayout layout = settings.LoadLayoutPreferences(TCardLayout());
        QString background;
        TDesignModel card;
        PrepareDesign(card);
        ApplyProgramSettings(card, preferences.DefaultFont, settings.LoadPersonalInfo());
        QStringList warnings;
        ReadDesign(card, design, layout, background, &warnings);
        for (const QString& w : warnings)
            err << "brisvale-batch: " << design << ": " << w << "\n";
        if (RefusesOverwritingBackground(background, out, err))
            return 1;
        const QImage picture = dpi > 0 ? RenderCardPictureAtDpi(card, dpi, border) : RenderCardPicture(card, border);
        WriteCardPicture(picture, out, PictureFormatForPath(out));
    } catch (const std::exception&) {
        err << "brisvale-batch: " << design << ": " << DescribeCurrentException() << "\n";
        return 1;
    }
    return 0;
}

} // namespace bv::batch
