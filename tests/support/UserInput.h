#pragma once
// Input as a user gives it, for the tests of dialogs and drawing tools: a
// click where a list draws the row, keys typed into a field, a click on a
// button, a drag on the card. A dialog's test chooses this way rather than
// through the dialog's setters, so that what a click really sets (and in
// which order) is what the test sees.
#include "platform/Interaction.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QDialog>
#include <QTest>
#include <functional>

namespace bv::test {

// The row of a view whose text is `text` (first column, any letter case),
// searched below `parent`; invalid when there is none.
inline QModelIndex rowNamed(const QAbstractItemView& view, const QString& text,
    const QModelIndex& parent = QModelIndex())
{
    const QAbstractItemModel* model = view.model();
    for (int r = 0; r < model->rowCount(parent); ++r) {
        const QModelIndex index = model->index(r, 0, parent);
        if (index.data().toString().compare(text, Qt::CaseInsensitive) == 0)
            return index;
    }
    return {};
}

// Clicks the row where the view shows it (scrolled into view first, as a
// user scrolls to it).
inline void clickRow(QAbstractItemView& view, const QModelIndex& index, Qt::KeyboardModifiers keys = {})
{
    QVERIFY2(index.isValid(), "no such row");
    view.scrollTo(index);
    const QRect where = view.visualRect(index);
    QVERIFY2(where.isValid() && view.viewport()->rect().contains(where.center()), "the row is not on the screen");
    QTest::mouseClick(view.viewport(), Qt::LeftButton, keys, where.center());
}

inline void clickRowNamed(QAbstractItemView& view, const QString& text)
{
    clickRow(view, rowNamed(view, text));
}

// Replaces what a field holds by typing, optionally ending with Enter.
inline void typeInto(QWidget& field, const QString& text, bool enter = false)
{
    field.setFocus();
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&field, Qt::Key_Delete);
    QTest::keyClicks(&field, text);
    if (enter)
        QTest::keyClick(&field, Qt::Key_Return);
}

inline void clickButton(QAbstractButton& button)
{
    QVERIFY2(button.isEnabled() && button.isVisible(), qPrintable(button.text() + QLatin1String(" cannot be clicked")));
    QTest::mouseClick(&button, Qt::LeftButton);
}

// Shows a dialog the program runs modally and lets `steps` work it as a
// user; the answer is the result the steps closed it with, Cancel when
// they left it open. For ScriptedInteraction::answerDialog.
inline int workDialog(QDialog& dialog, const std::function<void()>& steps)
{
    dialog.show();
    QCoreApplication::processEvents();
    steps();
    if (dialog.isVisible()) {
        dialog.hide();
        return mrCancel;
    }
    return dialog.result();
}

// Drags with the left button on a widget (the card) from one point to
// another; equal points give a click without a drag.
inline void dragOn(QWidget& widget, QPoint from, QPoint to)
{
    QTest::mousePress(&widget, Qt::LeftButton, {}, from);
    if (from != to) {
        QTest::mouseMove(&widget, (from + to) / 2);
        QTest::mouseMove(&widget, to);
    }
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, to);
}

} // namespace bv::test
