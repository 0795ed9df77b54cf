#pragma once
// The icon picker of the sample grids: the icons of ImageList2 with their
// pictures, in the image list's order. Picking one (double-click, Enter) puts
// its name into IconKey and accepts; Esc empties IconKey and accepts, so the
// sample loses its icon; the close box picks nothing and rejects, so the
// caller leaves the sample as it was. The caller reads the dialog's result.
#include "athletes/StoredPlace.h"

#include <QDialog>

class QListWidget;

class frmIcons : public QDialog {
    Q_OBJECT
public:
    explicit frmIcons(QWidget *parent = nullptr);
    ~frmIcons() override;

    QListWidget *ListView1() const { return m_list; }

public slots:
    void UpdateControls();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int r) override;

private:
    void Form_Load();
    void Form_Unload();
    void pickSelected();
    void clearIcon();

    QListWidget *m_list = nullptr;
    StoredPlace m_place;
    bool m_unloaded = false;
};
