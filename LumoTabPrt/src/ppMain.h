#pragma once
// The property page of the control, as a dialog over one control: it shows
// the sixteen properties and writes them back when applied.
#include "LumoTabPrt/src/LumoExport.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QLineEdit;
class lumoTPrt;

class LUMOTABPRT_EXPORT ppMain : public QDialog {
    Q_OBJECT
public:
    // selection: the controls being edited; only the first is shown and changed.
    explicit ppMain(QList<lumoTPrt *> selection, QWidget *parent = nullptr);

    void PropertyPage_SelectionChanged();
    void PropertyPage_ApplyChanges();
    bool Changed() const { return m_changed; }
    void SetChanged(bool changed) { m_changed = changed; }

    // Leading number of a text as Basic's Val reads it ("3x" -> 3, "x3" -> 0).
    static double Val(const QString &text);

    QLineEdit *txtMarginTop, *txtMarginLeft, *txtMarginRight, *txtMarginBottom;
    QLineEdit *txtFontName, *txtFontSize;
    QCheckBox *chkFontBold, *chkFontItalic, *chkBigCells, *chkPageNumber, *chkDateOnFoot;
    QLineEdit *txtPageNumberStart, *txtPageNumberText, *txtDateText, *txtDateFormat, *txtFootText;

private:
    void Edited();
    QList<lumoTPrt *> m_selection;
    bool m_loading = false;
    bool m_changed = false;
};
