#pragma once
// The profile settings dialog: four tabs in which the user edits every
// drawing option of the profile window. Each opening reads the window's
// current options into the controls (GraphSettings::Load); Apply writes them
// back (GraphSettings::Apply) and redraws the profile before it returns. Ok
// applies and closes, Cancel closes: what an earlier Apply gave the window
// stays. The options reach the settings store when the profile window closes.
#include "profile/GraphSettingsState.h"

#include <QDialog>
#include <QHash>
#include <QLabel>
#include <QPushButton>

class QTabWidget;
class frmAltimetria;

// A button whose face shows the colour it holds.
class ColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit ColorButton(QWidget *parent = nullptr);
    int32_t Color() const { return m_color; }
    void SetColor(int32_t color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int32_t m_color = 0;
};

// A label showing "Text" in the font and colour it holds; a double click asks
// for another font.
class FontSampleLabel : public QLabel {
    Q_OBJECT
public:
    explicit FontSampleLabel(QWidget *parent = nullptr);
    const GraphSettings::FontState &Value() const { return m_value; }
    void SetValue(const GraphSettings::FontState &value);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    GraphSettings::FontState m_value;
};

// The rectangle that previews a fill style (0 solid ... 7 diagonal cross).
class FillStylePreview : public QWidget {
    Q_OBJECT
public:
    explicit FillStylePreview(QWidget *parent = nullptr);
    int FillStyle() const { return m_style; }
    void SetFillStyle(int style);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_style = 0;
};

class frmGraphSettings : public QDialog {
    Q_OBJECT
public:
    explicit frmGraphSettings(QWidget *parent = nullptr);

    // Controls by name: "chkBmp", "optWall(1)", "cmdGraphColor(2)", "Frame1(0)",
    // "Label2(4)", "TabStrip1", "shpFillStyle" ...
    QWidget *Control(const QString &name) const { return m_controls.value(name); }
    template <class T>
    T *Get(const QString &name) const { return qobject_cast<T *>(Control(name)); }
    // The tab with that key ("graph", "details", "axes", "backtype"), -1 when none.
    int TabIndex(const QString &key) const;
    // The values the controls hold now.
    GraphSettings::State CurrentState() const;

public slots:
    void UpdateControls();
    void TabStrip1_Click();
    void cmdApply_Click();
    void Command1_Click();   // Cancel
    void Command2_Click();   // Ok
    void cmdbackPic_Click();
    void cmbFillmode_Click();
    void optGraph_Click(int index);
    void optNote_Click(int index);
    void optWall_Click(int index);
    // The Click of a check box: enables or disables the controls it governs.
    void CheckBox_Click(const QString &name);
    // The colour picker of a colour button ("cmdYColor", "cmdTacColor(1)" ...).
    void ColorButton_Click(const QString &name);
    // The font picker of a font sample label ("lblNote" ...).
    void FontLabel_DblClick(const QString &name);

private:
    void buildControls();
    void Form_Load();
    void setBmpPath(const QString &path);
    frmAltimetria *profileWindow() const;

    QHash<QString, QWidget *> m_controls;
    QTabWidget *m_tabs = nullptr;
};
