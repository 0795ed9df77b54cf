#pragma once
// The profile window: the altitude profile of the route or climb the card
// windows last handed over, drawn in a zoom and pan frame, with the pointer
// read-out, the marked-stretch figures and the power estimate, and the menu
// that opens the settings dialog, saves, prints, sets up the printer and copies.
//
// There is one profile window. While it is open (AltimetriaOpen) the card
// windows set its caption and ask it to redraw (ProfileViewInterface) instead
// of opening another.
#include "core/WindowInterfaces.h"
#include "profile/ProfileOptions.h"
#include "profile/ProfileReadout.h"
#include "profile/ProfileRenderer.h"

#include <QHash>
#include <QPointF>
#include <QWidget>

class DrawingFrame;
class DrawingSurface;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QStatusBar;

class frmAltimetria : public QWidget, public ProfileViewInterface {
    Q_OBJECT
    Q_INTERFACES(ProfileViewInterface)
public:
    explicit frmAltimetria(QWidget *parent = nullptr);
    ~frmAltimetria() override;

    // The drawing options; the settings dialog reads and assigns them and
    // then asks for a redraw.
    ProfileOptions Options;

    // The window state of the last redraw.
    const ProfileView &View() const { return m_view; }
    DrawingFrame *Frame() const { return m_frame; }
    DrawingSurface *Picture1() const;
    // Controls by name ("txtPeso", "lblDist", "Label2(3)", "mnuGraph" ...).
    QWidget *Control(const QString &name) const { return m_controls.value(name); }
    QAction *MenuItem(const QString &name) const { return m_items.value(name); }
    // Status panel by key ("Distanza", "Altezza", "Pendenza", "Tempo", "Località", "Size").
    QLabel *Panel(const QString &key) const { return m_panels.value(key); }
    // The window's loading mark ("LOADING" while the stored size is applied).
    QString Tag() const { return m_tag; }
    // The outer window: the workspace frame around it, or itself.
    QWidget *OuterWindow() const;
    // Number of redraws so far (tests and benchmarks).
    int RedrawCount() const { return m_redraws; }

    // The last read-out state.
    const ProfileReadout::Segment &Segment() const { return m_seg; }

    // The hand-off changed: Picture1_Resize.
    void redraw() override { Picture1_Resize(); }

public slots:
    // Redraws the whole profile from the hand-off.
    void Picture1_Resize();
    void UpdateControls();
    void MyPrint();
    // Menu commands.
    void mnuGraph_Click();
    void mnuSaveBmp_Click();
    void mnuAltiPrint_Click();
    void mnuAltiImposta_Click();
    void mnuCopy_Click();

    // Writes the profile `name` as an SVG file drawn afresh from the database
    // (complete or not at all). Throws VbError when it cannot.
    void SaveAsSVG(const QString &name, const QString &svgFile);

    // The surface's mouse events, in pixels of the surface.
    void Picture1_MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, const QPointF &pixel);
    void Picture1_MouseMove(Qt::MouseButtons buttons, const QPointF &pixel);
    void Picture1_MouseUp(Qt::MouseButton button, const QPointF &pixel);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QByteArray SvgBytes(const QString &name);
    void Form_Load();
    void Form_Unload();
    void buildControls();
    void cursorReadout(const QPointF &point);
    void markReadout(const QPointF &point);
    QLabel *makeLabel(const QString &name, QWidget *parent, bool value);
    void setMainStatusBarVisible(bool visible);

    DrawingFrame *m_frame = nullptr;
    QMenuBar *m_menuBar = nullptr;
    QStatusBar *m_status = nullptr;
    QHash<QString, QWidget *> m_controls;
    QHash<QString, QAction *> m_items;
    QHash<QString, QLabel *> m_panels;
    QMenu *m_menu = nullptr;
    QString m_tag;
    ProfileView m_view;
    ProfileReadout::Segment m_seg;
    QPointF m_markStart;
    ProfileSettings::WindowPlacement m_placement;
    bool m_placed = false;
    bool m_unloaded = false;
    int m_redraws = 0;
};
