// The SuperShape properties dialog and its texture browser: values clamped
// and applied on activation, the shared background colour, the texture kept
// across surface switches, the browser's starting folder and its Ok/Cancel,
// and the result given back to the shape.
#include "effects/SuperShape.h"
#include "effects/SuperShapeProperties.h"
#include "objects/ColorCombo.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"

#include <QAction>
#include <QMenu>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using bv::test::ScriptedInteraction;

namespace {
Dib smallTexture(QRgb colour)
{
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(colour);
    return Dib::FromImage(img);
}
} // namespace

class TestSuperShapeDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
        qputenv("BRISVALE_PPI", "96");
    }
    void activationClampsAndApplies_data();
    void activationClampsAndApplies();
    void acceptedDialogStoresTheSample();
    void backgroundColourIsShared();
    void textureComesBackAfterSurfaceSwitch();
    void panelFollowsTheSelectors();
    void browserStartsInBrushFolderOrLastFile();
    void browserOkAndCancel_data();
    void browserOkAndCancel();
    void unreadableBitmapSaysSo();
    void toolAndMenuOpenTheDialog();

private:
    QTemporaryDir home;
};

void TestSuperShapeDialog::activationClampsAndApplies_data()
{
    QTest::addColumn<int>("vectors");
    QTest::addColumn<int>("inward");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("shownPoints");
    QTest::addColumn<int>("sampleVectors");
    QTest::addColumn<int>("sampleInward");
    QTest::newRow("11 vectors show 5 points") << 11 << 50 << 3 << 5 << 10 << 50;
    QTest::newRow("6 vectors below the range") << 6 << 30 << 0 << 5 << 10 << 30;
    QTest::newRow("inward 100 above the range") << 14 << 100 << 10 << 7 << 14 << 90;
}

void TestSuperShapeDialog::activationClampsAndApplies()
{
    QFETCH(int, vectors);
    QFETCH(int, inward);
    QFETCH(int, depth);
    QFETCH(int, shownPoints);
    QFETCH(int, sampleVectors);
    QFETCH(int, sampleInward);
    TSuperShape shape;
    shape.SetBounds(0, 0, 120, 80);
    shape.SetVectors(vectors);
    shape.SetInVectorPercent(inward);
    shape.SetShadowDepth(depth);
    TSuperShapeProperties dlg(shape);
    QCOMPARE(dlg.PointsOnStar->value(), shownPoints);
    QCOMPARE(dlg.Sample()->Vectors(), sampleVectors);
    QCOMPARE(dlg.Sample()->InVectorPercent(), sampleInward);
    QCOMPARE(dlg.ShadowDepthSpinner->value(), depth);
    QCOMPARE(QSize(dlg.Sample()->Width(), dlg.Sample()->Height()), QSize(120, 80));
    QCOMPARE(dlg.ShapeCombo->count(), 9);
    QCOMPARE(shape.Vectors(), vectors); // the edited shape waits for "Ok"
}

void TestSuperShapeDialog::acceptedDialogStoresTheSample()
{
    ScriptedInteraction script;
    TSuperShape shape;
    shape.SetBounds(0, 0, 60, 40);
    shape.SetVectors(11);
    shape.SetShape(gstRectangle);
    shape.SetInVectorPercent(0);
    script.answerDialog([](QDialog& d) {
        auto& dlg = static_cast<TSuperShapeProperties&>(d);
        dlg.ShapeCombo->activated(gstStar);
        dlg.ShapeCombo->setCurrentIndex(gstStar);
        dlg.OutLineWidthSpinner->setValue(3);
        dlg.SetLastTexturePath(QStringLiteral("/somewhere/t.bmp"));
        return mrOk;
    });
    QVERIFY(shape.EditProperties());
    QCOMPARE(shape.Shape(), gstStar);
    QCOMPARE(shape.Vectors(), 10);
    QCOMPARE(shape.InVectorPercent(), 50); // becoming a star after the percent
    QCOMPARE(shape.OutlineWidth(), 3);
    QCOMPARE(shape.LastBitmapFileNameandPath(), QStringLiteral("/somewhere/t.bmp"));
    QCOMPARE(QSize(shape.Width(), shape.Height()), QSize(60, 40));

    script.answerDialog([](QDialog& d) {
        static_cast<TSuperShapeProperties&>(d).OutLineWidthSpinner->setValue(7);
        return mrCancel;
    });
    QVERIFY(!shape.EditProperties());
    QCOMPARE(shape.OutlineWidth(), 3);
    QVERIFY(script.allUsed());
}

void TestSuperShapeDialog::backgroundColourIsShared()
{
    TSuperShape shape;
    TSuperShapeProperties dlg(shape);
    emit dlg.BackGroundColorCombo2->ColorChosen(clLime);
    QCOMPARE(dlg.Sample()->BackColor(), clLime);
    QCOMPARE(dlg.BackGroundColorCombo->Color(), clLime);
    emit dlg.BackGroundColorCombo->ColorChosen(clPurple);
    QCOMPARE(dlg.Sample()->BackColor(), clPurple);
    QCOMPARE(dlg.BackGroundColorCombo2->Color(), clPurple);
}

void TestSuperShapeDialog::textureComesBackAfterSurfaceSwitch()
{
    TSuperShape shape;
    shape.SetSurfaceType(stBrushImage);
    const Dib texture = smallTexture(qRgb(10, 200, 30));
    shape.SetImage(texture);
    TSuperShapeProperties dlg(shape);
    dlg.SurfaceTypeCombo->activated(stBrushPattern);
    QVERIFY(dlg.Sample()->Image().IsEmpty());
    dlg.SurfaceTypeCombo->activated(stBrushImage);
    QCOMPARE(dlg.Sample()->Image(), texture);
}

void TestSuperShapeDialog::panelFollowsTheSelectors()
{
    TSuperShape shape; // star with a gradient
    TSuperShapeProperties dlg(shape);
    QCOMPARE(dlg.VisibleSettingsPanel(), dlg.StarPanel);
    dlg.SurfaceTypeCombo->activated(stGradientFill);
    QCOMPARE(dlg.VisibleSettingsPanel(), dlg.GradientPanel);
    dlg.ShapeCombo->activated(gstRoundRect);
    QCOMPARE(dlg.VisibleSettingsPanel(), dlg.RoundRectPanel);
    dlg.ShapeCombo->activated(gstEllipse);
    QCOMPARE(dlg.VisibleSettingsPanel(), dlg.GradientPanel);
    dlg.SurfaceTypeCombo->activated(stBrushTransparent);
    QCOMPARE(dlg.VisibleSettingsPanel(), nullptr);
    dlg.SurfaceTypeCombo->activated(stBrushImage);
    QCOMPARE(dlg.VisibleSettingsPanel(), dlg.TexturePanel);
}

void TestSuperShapeDialog::browserStartsInBrushFolderOrLastFile()
{
    TSuperShape shape;
    shape.SetSurfaceType(stBrushImage);
    TSuperShapeProperties dlg(shape);
    {
        TGBrushImageBrowser browser(dlg);
        QCOMPARE(QDir(browser.Folder()), QDir(home.path() + "/bmbrush"));
        // The shipped textures are put into the folder.
        QVERIFY(browser.FileListBox->count() >= 12);
        QVERIFY(!browser.FileListBox->findItems("Marble.bmp", Qt::MatchFixedString).isEmpty());
    }
    const QString other = home.path() + "/mine";
    QDir().mkpath(other);
    smallTexture(qRgb(1, 2, 3)).ToFile(other + "/Pick.BMP");
    dlg.SetLastTexturePath(other + "/Pick.BMP");
    TGBrushImageBrowser browser(dlg);
    QCOMPARE(QDir(browser.Folder()), QDir(other));
    QCOMPARE(browser.SelectedFile(), other + "/Pick.BMP");
    QCOMPARE(browser.Example()->Image(), smallTexture(qRgb(1, 2, 3)));
}

void TestSuperShapeDialog::browserOkAndCancel_data()
{
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << mrOk;
    QTest::newRow("cancel") << mrCancel;
}

void TestSuperShapeDialog::browserOkAndCancel()
{
    QFETCH(int, result);
    ScriptedInteraction script;
    TSuperShape shape;
    shape.SetSurfaceType(stBrushImage);
    const Dib before = smallTexture(qRgb(200, 0, 0));
    shape.SetImage(before);
    shape.SetLastBitmapFileNameandPath(QStringLiteral("/no/such/file.bmp"));
    TSuperShapeProperties dlg(shape);
    const QString start = QDir::currentPath();
    script.answerDialog([result](QDialog& d) {
        auto& browser = static_cast<TGBrushImageBrowser&>(d);
        QDir::setCurrent(QDir::tempPath()); // the browser may move the process's folder
        browser.SelectFile(QStringLiteral("Paper.bmp"));
        return result;
    });
    dlg.LoadImageButtonClick();
    QCOMPARE(QDir::currentPath(), start);
    if (result == mrOk) {
        QCOMPARE(dlg.LastTexturePath(), BrushFolder() + "Paper.bmp");
        QCOMPARE(dlg.Sample()->Image().Width(), 128);
        QCOMPARE(dlg.LastUsedTexture(), dlg.Sample()->Image());
    } else {
        QCOMPARE(dlg.LastTexturePath(), QStringLiteral("/no/such/file.bmp"));
        QCOMPARE(dlg.Sample()->Image(), before);
    }
}

void TestSuperShapeDialog::unreadableBitmapSaysSo()
{
    ScriptedInteraction script;
    const QString folder = home.path() + "/broken";
    QDir().mkpath(folder);
    QFile bad(folder + "/bad.bmp");
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("BMnot really a bitmap");
    bad.close();
    QFile badJpeg(folder + "/bad.jpg");
    QVERIFY(badJpeg.open(QIODevice::WriteOnly));
    badJpeg.write("\xFF\xD8 nothing more");
    badJpeg.close();
    smallTexture(qRgb(9, 9, 9)).ToFile(folder + "/good.bmp");

    TSuperShape shape;
    TSuperShapeProperties dlg(shape);
    TGBrushImageBrowser browser(dlg);
    browser.ShowFolder(folder);
    QVERIFY(browser.SelectFile("good.bmp"));
    QVERIFY(!browser.Example()->Image().IsEmpty());
    script.expectError();
    QVERIFY(browser.SelectFile("bad.bmp"));
    QVERIFY(browser.Example()->Image().IsEmpty());
    QCOMPARE(script.messages(), QStringList{ "Error loading file!" });
    // A JPEG that cannot be decoded leaves no texture, without a message.
    browser.SelectFile("good.bmp");
    QVERIFY(browser.SelectFile("bad.jpg"));
    QVERIFY(browser.Example()->Image().IsEmpty());
    QVERIFY(script.allUsed());
}

void TestSuperShapeDialog::toolAndMenuOpenTheDialog()
{
    RegisterSuperShapeClasses();
    ScriptedInteraction script;
    TGBusinessCardPanel32 panel;
    panel.resize(343, 191);
    panel.SetPanelState(psSuperShape);
    TLPanelState stateWhileOpen = psSuperShape;
    script.answerDialog([&](QDialog& d) {
        stateWhileOpen = panel.PanelState();
        static_cast<TSuperShapeProperties&>(d).ShadowOrientationCombo->activated(soUpperLeft);
        return mrOk;
    });
    panel.CreateObjectInRect(TRect(20, 30, 120, 90));
    QCOMPARE(panel.ObjectCount(), 1);
    auto* shape = qobject_cast<TSuperShape*>(panel.Objects()[0]);
    QVERIFY(shape);
    QCOMPARE(shape->BoundsRect(), TRect(20, 30, 120, 90));
    QCOMPARE(stateWhileOpen, psPointing);
    QCOMPARE(shape->ShadowOrient(), soUpperLeft);
    QVERIFY(panel.HasEffectObjects());

    // The context menu ends with "Properties", which opens the dialog.
    const QList<QAction*> items = shape->ContextMenu()->actions();
    QCOMPARE(items.last()->text(), QStringLiteral("Properties"));
    QVERIFY(items[items.size() - 2]->isSeparator());
    script.answerDialog([](QDialog&) { return mrCancel; });
    items.last()->trigger();
    QVERIFY(script.allUsed());
}

QTEST_MAIN(TestSuperShapeDialog)
#include "tst_supershape_dialog.moc"
