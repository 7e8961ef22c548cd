#include "surface/Cursors.h"

#include "surface/BasePanel.h"

#include <QPixmap>

static void initCursorResources()
{
    Q_INIT_RESOURCE(cursors);
}

namespace bv {

namespace {
QCursor imageCursor(const char* path, int hotX, int hotY, Qt::CursorShape fallback)
{
    static bool loaded = false;
    if (!loaded) {
        initCursorResources();
        loaded = true;
    }
    QPixmap pixmap(QString::fromLatin1(path));
    if (pixmap.isNull())
        return QCursor(fallback);
    return QCursor(pixmap, hotX, hotY);
}
} // namespace

QCursor DesignCursor(int number)
{
    switch (number) {
    case crHandGrab: {
        static const QCursor grab = imageCursor(":/cursors/handgrab.png", 15, 13, Qt::ClosedHandCursor);
        return grab;
    }
    case crHandPoint: {
        static const QCursor point = imageCursor(":/cursors/handpoint.png", 7, 2, Qt::PointingHandCursor);
        return point;
    }
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crDrag: return QCursor(Qt::DragMoveCursor);
    case crNoDrop: return QCursor(Qt::ForbiddenCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}

} // namespace bv
