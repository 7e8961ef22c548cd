#pragma once
// Shared pieces of the main-window tests: a program folder of its own per
// test, a printer so the start-up check stays quiet, a started main window
// and designs drawn onto its card.
#include "app/DocumentCommands.h"
#include "app/MainScreen.h"
#include "app/RecentFiles.h"
#include "app/UndoHistory.h"
#include "printing/PrintCommands.h"
#include "objects/Shapes.h"
#include "platform/Environment.h"
#include "platform/ProfileFile.h"
#include "support/FakePrinters.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace bv::test {

// A fresh program folder (BRISVALE_HOME) at 96 pixels per inch, with one
// default printer installed.
struct ProgramHome {
    ProgramHome() : printers(QStringList { QStringLiteral("Card Printer") }, QStringLiteral("Card Printer"))
    {
        qputenv("BRISVALE_HOME", dir.path().toLocal8Bit());
        qputenv("BRISVALE_PPI", "96");
    }
    QString path(const QString& name) const { return ProgramFolder() + name; }
    QString saved(const QString& name) const { return ProgramFolder() + QStringLiteral("saved/") + name; }

    QTemporaryDir dir;
    FakePrinters printers;
};

// The window's widgets and actions, found by their object names.
template <typename T = QWidget>
T* child(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("The main window has no %s named %s", T::staticMetaObject.className(), name);
    return found;
}
inline QAction* action(const QObject& window, const char* name)
{
    return child<QAction>(window, name);
}
inline TGBusinessCardPanel32* cardPanel(const QObject& window)
{
    return child<TGBusinessCardPanel32>(window, "BusinessCardPanel");
}

// Creates the main window and runs its first activation, as showing it does.
inline std::unique_ptr<TMainScreen> startMainScreen()
{
    auto w = std::make_unique<TMainScreen>();
    w->show();
    w->FormActivate();
    QCoreApplication::processEvents();
    return w;
}

// A filled rectangle made the way the rectangle tool makes one.
inline TBCShapes* addRectangle(TMainScreen& w, int l, int t, int width, int height, TColor colour = 0x0000FF)
{
    auto* shape = new TBCShapes;
    TBrush brush = shape->Brush();
    brush.Color = colour;
    shape->SetBrush(brush);
    cardPanel(w)->AddObject(shape, TRect { l, t, l + width, t + height });
    shape->Loaded();
    QCoreApplication::processEvents();
    return shape;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace bv::test
