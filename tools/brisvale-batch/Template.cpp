#include "Template.h"

#include "BatchCommands.h"

#include "document/CardDocument.h"
#include "app/DesignClasses.h"
#include "app/SelectPreviewTemplate.h"
#include "document/Settings.h"
#include "platform/Errors.h"
#include "richtext/RichBaseLabel.h"
#include "surface/DesignModel.h"
#include "surface/CompanionFile.h"

#include <QFileInfo>

namespace bv::batch {

int Template(const QStringList& args, QTextStream& err)
{
    const char* needs = "brisvale-batch: template needs TEMPLATE.QRDT and OUT.QRD\n";
    QString source;
    QString out;
    // The template chooser's font until the user picks another.
    QString font = QStringLiteral("Times New Roman");
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--font")) {
            if (i + 1 >= args.size() || args[i + 1].trimmed().isEmpty()) {
                err << "brisvale-batch: template: --font needs a font name\n";
                return 1;
            }
            font = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            err << "brisvale-batch: template: unknown option " << a << "\n";
            return 1;
        } else if (source.isEmpty()) {
            source = a;
        } else if (out.isEmpty()) {
            out = a;
        } else {
            err << needs;
            return 1;
        }
    }
    if (source.isEmpty() || out.isEmpty()) {
        err << needs;
        return 1;
    }
    if (!QFileInfo(source).isFile()) {
        err << "brisvale-batch: " << source << ": no such template file\n";
        return 1;
    }
    // The template is an input; the design and its companion are the two
    // outputs and must be two files (OUT.QRE would be its own companion).
    if (RefusesOverwriting(source, out, "template", err) || RefusesOverwriting(source, CompanionPath(out), "template", err))
        return 1;
    if (RefusesOverwriting(CompanionPath(out), out, "companion file of the output", err))
        return 1;
    try {
        RegisterDesignClasses();
        // New - Blank: an empty design, the default layout, the program's
        // settings on the card, zoom 1.
        const TSettings settings;
        const TPreferences preferences = settings.LoadPreferences();
        TCardLayout layout = settings.LoadLayoutPreferences(TCardLayout());
        TDesignModel card;
        PrepareDesign(card);
        ApplyProgramSettings(card, preferences.DefaultFont, settings.LoadPersonalInfo());
        card.SetRotated(layout.Portrait);
        SetCardSizeFromInches(card, layout);

        const QString background = StartDesignFromTemplate(card, source, font, layout);
        SetCardOrientation(card, layout, layout.Portrait, background);
        WriteDesign(card, out, background, layout);
    } catch (const Exception& e) {
        err << "brisvale-batch: " << source << ": " << e.message() << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << "brisvale-batch: " << source << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}

} // namespace bv::batch
