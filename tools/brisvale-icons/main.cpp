// brisvale-icons OUTDIR: writes the program icon as PNG files of the sizes a
// desktop's icon theme asks for (OUTDIR/NxN/brisvale.png), drawn by the same
// code as the window icon. Run by the build; the files are installed.
#include "app/ToolIcons.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: brisvale-icons OUTDIR\n");
        return 1;
    }
    const QIcon icon = bv::ProgramIcon();
    for (int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        const QString folder = QStringLiteral("%1/%2x%2").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            icon.paint(&p, image.rect());
        }
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/brisvale.png"), "PNG")) {
            std::fprintf(stderr, "brisvale-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
