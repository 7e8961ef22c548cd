// The dialogs that choose a file, a font or a background, worked as a user
// works them: clicks where a list draws its rows, keys, typed paths. What the
// dialog then shows and what the card receives must be the row the user
// clicked, whatever order the list sets its current row and its selection.
#include "MainScreenKit.h"
#include "app/ChangeFontAll.h"
#include "app/FontListBox.h"
#include "app/LoadBackGround.h"
#include "objects/Image.h"
#include "objects/ImageBrowser.h"
#include "objects/MultiLineLabel.h"
#include "objects/SymbolLabel.h"
#include "support/UserInput.h"

#include <QFileSystemModel>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>

using namespace bv;
using namespace bv::test;

namespace {

// Pictures that tell each other apart by their size and colour; Qt's own
// writer makes the files.
struct Sample {
    const char* name;
    QSize size;
    QColor colour;
};
const Sample samples[] = {
    { "amber.bmp", QSize(6, 6), QColor(255, 160, 0) },
    { "blue.bmp", QSize(8, 4), QColor(0, 0, 255) },
    { "cyan.png", QSize(5, 9), QColor(0, 255, 255) },
};

void writeSamples(const QString& folder)
{
    for (const Sample& s : samples) {
        QImage img(s.size, QImage::Format_RGB32);
        img.fill(s.colour);
        QVERIFY(img.save(folder + QLatin1Char('/') + QString::fromLatin1(s.name)));
    }
}

const Sample& sampleNamed(const QString& name)
{
    for (const Sample& s : samples)
        if (name == QLatin1String(s.name))
            return s;
    qFatal("no sample %s", qPrintable(name));
}

// Runs a list of steps on a list: "click:NAME" clicks the row, "key:Down" or
// "key:Up" presses the arrow key in the list.
void runSteps(QListWidget& list, const QStringList& steps)
{
    for (const QString& step : steps) {
        const QString arg = step.section(QLatin1Char(':'), 1);
        if (step.startsWith(QLatin1String("click:")))
            clickRowNamed(list, arg);
        else if (arg == QLatin1String("Down"))
            QTest::keyClick(list.viewport(), Qt::Key_Down);
        else
            QTest::keyClick(list.viewport(), Qt::Key_Up);
    }
}

// The picture tool: a click on the card opens the browser.
void usePictureTool(TMainScreen& w, QPoint at)
{
    clickButton(*child<QToolButton>(w, "DrawImageButton"));
    dragOn(*cardPanel(w), at, at);
}

QPushButton* okButtonOf(QDialog& d)
{
    for (QPushButton* b : d.findChildren<QPushButton*>()) {
        const QString t = b->text().remove(QLatin1Char('&'));
        if (t.compare(QLatin1String("OK"), Qt::CaseInsensitive) == 0 && b->isVisible())
            return b;
    }
    qFatal("no OK button");
}

} // namespace

class TestUserDialogs : public QObject {
    Q_OBJECT
private slots:
    void pictureBrowserTakesTheFileClicked_data();
    void pictureBrowserTakesTheFileClicked();
    void pictureBrowserFoldersFollowAndAreRemembered();
    void backgroundPreviewFollowsTheClick_data();
    void backgroundPreviewFollowsTheClick();
    void changeAllFontsSamplesFollowTheClick();
    void fontDialogOffersTheStylesOfAnAliasedFamily();
    void symbolClickedIsTheSymbolPlaced();
    void colourTypedIsTheShapesColour();

private:
    ProgramHome home;
};

// The preview and the picture placed are the file the clicks and keys
// ended on; a mouse click makes a row current before it selects it.
void TestUserDialogs::pictureBrowserTakesTheFileClicked_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("click") << QStringList { "click:blue.bmp" } << "blue.bmp";
    QTest::newRow("click, then the key down") << QStringList { "click:amber.bmp", "key:Down" } << "blue.bmp";
    QTest::newRow("keys, then a click back")
        << QStringList { "click:cyan.png", "key:Up", "click:cyan.png" } << "cyan.png";
    QTest::newRow("a second click elsewhere") << QStringList { "click:blue.bmp", "click:amber.bmp" } << "amber.bmp";
}

void TestUserDialogs::pictureBrowserTakesTheFileClicked()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, chosen);
    QTemporaryDir folder;
    writeSamples(folder.path());
    const Sample& expected = sampleNamed(chosen);

    ScriptedInteraction ui;
    auto w = startMainScreen();
    QSize previewed;
    ui.answerDialog([&](QDialog& d) {
        auto& browser = static_cast<TGImageBrowser&>(d);
        return workDialog(d, [&] {
            typeInto(*browser.PathEdit, folder.path(), true);
            runSteps(*browser.FileListBox1, steps);
            previewed = QSize(browser.PreviewPicture().Width(), browser.PreviewPicture().Height());
            clickButton(*browser.OKButton);
        });
    });
    usePictureTool(*w, QPoint(30, 30));
    QVERIFY(ui.allUsed());
    QCOMPARE(previewed, expected.size);
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    auto* image = qobject_cast<TGImage*>(cardPanel(*w)->Objects().first());
    QVERIFY(image);
    QCOMPARE(QSize(image->Picture().Width(), image->Picture().Height()), expected.size);
    QCOMPARE(image->Picture().Bitmap().Image().pixelColor(1, 1), expected.colour);
}

// The folder tree shows the folder listed, whether typed or clicked; the
// next browser opens where the last picture came from.
void TestUserDialogs::pictureBrowserFoldersFollowAndAreRemembered()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("inner")));
    const QString inner = QDir(root.path()).filePath(QStringLiteral("inner"));
    writeSamples(inner);
    QImage(3, 3, QImage::Format_RGB32).save(root.filePath(QStringLiteral("outer.bmp")));

    ScriptedInteraction ui;
    auto w = startMainScreen();
    QStringList listedAtRoot;
    QString treeAtRoot;
    QStringList listedInner;
    ui.answerDialog([&](QDialog& d) {
        auto& browser = static_cast<TGImageBrowser&>(d);
        return workDialog(d, [&] {
            typeInto(*browser.PathEdit, root.path(), true);
            for (int i = 0; i < browser.FileListBox1->count(); ++i)
                listedAtRoot << browser.FileListBox1->item(i)->text();
            QTreeView& tree = *browser.DirectoryListBox1;
            auto* model = tree.model();
            QTRY_VERIFY(tree.currentIndex().isValid()
                && model->data(tree.currentIndex(), QFileSystemModel::FilePathRole).toString() == root.path());
            treeAtRoot = model->data(tree.currentIndex(), QFileSystemModel::FilePathRole).toString();
            // The tree opened the listed folder: its folder shows below it.
            QTRY_VERIFY(rowNamed(tree, QStringLiteral("inner"), tree.currentIndex()).isValid());
            clickRow(tree, rowNamed(tree, QStringLiteral("inner"), tree.currentIndex()));
            for (int i = 0; i < browser.FileListBox1->count(); ++i)
                listedInner << browser.FileListBox1->item(i)->text();
            clickRowNamed(*browser.FileListBox1, QStringLiteral("cyan.png"));
            clickButton(*browser.OKButton);
        });
    });
    usePictureTool(*w, QPoint(30, 30));
    QCOMPARE(treeAtRoot, root.path());
    QCOMPARE(listedAtRoot, QStringList { "outer.bmp" });
    QCOMPARE(listedInner, (QStringList { "amber.bmp", "blue.bmp", "cyan.png" }));
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);

    // A new window (as after a restart): the browser opens at "inner".
    w.reset();
    auto again = startMainScreen();
    QString startPath;
    QStringList startListed;
    ui.answerDialog([&](QDialog& d) {
        auto& browser = static_cast<TGImageBrowser&>(d);
        return workDialog(d, [&] {
            startPath = browser.PathEdit->text();
            for (int i = 0; i < browser.FileListBox1->count(); ++i)
                startListed << browser.FileListBox1->item(i)->text();
        });
    });
    usePictureTool(*again, QPoint(30, 30));
    QCOMPARE(startPath, inner);
    QCOMPARE(startListed.size(), 3);
    QCOMPARE(cardPanel(*again)->ObjectCount(), 0);
}

// The background art dialog previews the picture clicked, and "Ok" puts
// that picture on the card.
void TestUserDialogs::backgroundPreviewFollowsTheClick_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("click") << QStringList { "click:aab-green.bmp" } << "aab-green.bmp";
    QTest::newRow("click, then the key up") << QStringList { "click:aab-green.bmp", "key:Up" } << "aaa-red.bmp";
    QTest::newRow("another click") << QStringList { "click:aaa-red.bmp", "click:aab-green.bmp" } << "aab-green.bmp";
}

void TestUserDialogs::backgroundPreviewFollowsTheClick()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, chosen);
    const QColor red(255, 0, 0);
    const QColor green(0, 128, 0);
    const QColor expected = chosen.contains(QLatin1String("red")) ? red : green;
    ScriptedInteraction ui;
    auto w = startMainScreen();
    const QString bg = BackgroundFolder();
    for (const auto& [name, colour] : { std::pair { "aaa-red.bmp", red }, std::pair { "aab-green.bmp", green } }) {
        QImage img(336, 192, QImage::Format_RGB32);
        img.fill(colour);
        QVERIFY(img.save(bg + QString::fromLatin1(name)));
    }
    QColor previewed;
    ui.answerDialog([&](QDialog& d) {
        auto& dialog = static_cast<TLoadBackGround&>(d);
        return workDialog(d, [&] {
            runSteps(*dialog.FileListBox1, steps);
            previewed = dialog.Image1->pixmap().toImage().pixelColor(5, 5);
            clickButton(*dialog.OkButton);
        });
    });
    action(*w, "mnuSetorChangeBackgroundArt")->trigger();
    QVERIFY(ui.allUsed());
    QCOMPARE(previewed, expected);
    QCOMPARE(QFileInfo(w->Document().BackgroundFile()).fileName(), chosen);
    QCOMPARE(cardPanel(*w)->grab().toImage().pixelColor(40, 40), expected);
}

// "Change all fonts to..." shows the font clicked in its samples and gives
// it to every text.
void TestUserDialogs::changeAllFontsSamplesFollowTheClick()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    auto* label = new TGMultiLineLabel;
    cardPanel(*w)->AddObject(label, TRect(10, 10, 200, 60));
    label->Loaded();
    label->SetItems({ QStringLiteral("Some text") });
    QStringList samplesShown;
    ui.answerDialog([&](QDialog& d) {
        auto& dialog = static_cast<TChangeFontAll&>(d);
        return workDialog(d, [&] {
            for (const QString& family : { QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Mono") }) {
                clickRowNamed(*dialog.FontListBox1, family);
                samplesShown << QFontInfo(dialog.SampleBold->font()).family();
            }
            clickButton(*dialog.OkButton);
        });
    });
    action(*w, "Changeallfontsto1")->trigger();
    QVERIFY(ui.allUsed());
    QCOMPARE(samplesShown, (QStringList { "DejaVu Serif", "Liberation Mono" }));
    QCOMPARE(label->Font().Name, QStringLiteral("Liberation Mono"));
}

// The default font Arial is a name fontconfig gives to Liberation Sans:
// the font dialog offers that family's styles, and the choice keeps the
// name Arial.
void TestUserDialogs::fontDialogOffersTheStylesOfAnAliasedFamily()
{
    ScriptedInteraction ui;
    ui.allowMessages();
    auto w = startMainScreen();
    QCOMPARE(cardPanel(*w)->PanelFont().Name, QStringLiteral("Arial"));
    QStringList styles;
    ui.answerFontDialog([&](QDialog& d) {
        return workDialog(d, [&] {
            // The dialog's three lists: families, styles, sizes.
            const QList<QListView*> lists = d.findChildren<QListView*>();
            QCOMPARE(lists.size(), 3);
            QListView* styleList = lists[1];
            for (int r = 0; r < styleList->model()->rowCount(); ++r)
                styles << styleList->model()->index(r, 0).data().toString();
            if (rowNamed(*styleList, QStringLiteral("Bold")).isValid())
                clickRowNamed(*styleList, QStringLiteral("Bold"));
            clickButton(*okButtonOf(d));
        });
    });
    action(*w, "mnuDefaultFont")->trigger();
    QVERIFY(ui.allUsed());
    QVERIFY2(styles.contains(QStringLiteral("Bold")), qPrintable(styles.join(", ")));
    QCOMPARE(cardPanel(*w)->PanelFont().Name, QStringLiteral("Arial"));
    QVERIFY(cardPanel(*w)->PanelFont().Bold);
    QVERIFY(action(*w, "mnuDefaultFont")->text().contains(QLatin1String("Arial")));
}

// The symbol tool: the cell clicked in the symbol grid is the symbol placed.
void TestUserDialogs::symbolClickedIsTheSymbolPlaced()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    int clicked = -1;
    ui.answerDialog([&](QDialog& d) {
        return workDialog(d, [&] {
            auto* grid = d.findChild<QListWidget*>(QStringLiteral("SymbolList"));
            const QModelIndex cell = grid->model()->index(12, 0);
            clicked = cell.data(Qt::UserRole).toInt();
            clickRow(*grid, cell);
            clickButton(*d.findChild<QPushButton*>(QStringLiteral("OKButton")));
        });
    });
    clickButton(*child<QToolButton>(*w, "DrawSymbolButton"));
    dragOn(*cardPanel(*w), QPoint(40, 40), QPoint(40, 40));
    QVERIFY(ui.allUsed());
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    auto* symbol = qobject_cast<TGSymbolLabel*>(cardPanel(*w)->Objects().first());
    QVERIFY(symbol);
    QCOMPARE(symbol->Caption().size(), 1);
    QCOMPARE(int(symbol->Caption().at(0).unicode()), clicked);
}

// A shape's "Background Color": the colour typed in the colour dialog.
void TestUserDialogs::colourTypedIsTheShapesColour()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    TBCShapes* shape = addRectangle(*w, 40, 40, 80, 50, 0xFFFFFF);
    ui.answerColourDialog([&](QDialog& d) {
        return workDialog(d, [&] {
            QLineEdit* html = nullptr;
            for (QLineEdit* e : d.findChildren<QLineEdit*>())
                if (e->text().startsWith(QLatin1Char('#')))
                    html = e;
            QVERIFY(html);
            typeInto(*html, QStringLiteral("#3366cc"));
            clickButton(*okButtonOf(d));
        });
    });
    QTest::mouseClick(cardPanel(*w), Qt::RightButton, {}, QPoint(60, 60));
    QMenu* menu = shape->ContextMenu();
    QTRY_VERIFY(menu->isVisible());
    for (QAction* a : menu->actions())
        if (a->text() == QLatin1String("Background Color"))
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
    QVERIFY(ui.allUsed());
    QCOMPARE(cardPanel(*w)->RenderToBitmap().pixelColor(80, 65), QColor(0x33, 0x66, 0xcc));
}

QTEST_MAIN(TestUserDialogs)
#include "tst_user_dialogs.moc"
