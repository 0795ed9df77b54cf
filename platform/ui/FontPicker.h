#pragma once
// The font dialog behind CommonDialog::ShowFont: face, size, bold, italic and,
// when asked, strike-through, underline and a colour, with a choice of all
// faces or scalable ones only. Qt's own font dialog has no colour, yet the
// program keeps one with every font it lets the user pick.
//
// Like the other common dialogs it speaks the desktop's language: its texts
// are Qt's own translations of its font and colour dialogs.
#include "platform/ui/Prompt.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class FontPicker : public QDialog {
    Q_OBJECT
public:
    explicit FontPicker(const FontDialogRequest &request, QWidget *parent = nullptr);

    // The choice as it stands. A face the user did not change is returned by
    // the name it came with, also when that face is not installed.
    FontDialogResult result() const;
    // The colour shown; the colour button opens the colour dialog.
    void setColor(const QColor &color);

private:
    void pickColor();
    void updateSample();
    double sizeValue() const;

    FontDialogRequest m_request;
    QColor m_color;
    bool m_faceChanged = false;
    QFontComboBox *m_face = nullptr;
    QComboBox *m_size = nullptr;
    QCheckBox *m_bold = nullptr, *m_italic = nullptr, *m_strike = nullptr, *m_underline = nullptr;
    QGroupBox *m_effects = nullptr;
    QPushButton *m_colorButton = nullptr;
    QLabel *m_sample = nullptr;
};
