#pragma once
// "Save As..." for a drawing window: asks for a file name and a type through
// cmDlg1 and writes the window's drawing as BMP, JPEG or PNG, or (profile
// window) an SVG drawn afresh. The profile window keeps the folder and type
// in its settings; the chart window keeps none, and remembers only while it
// is open where its last save went. A first save starts in the user's
// pictures folder (the home folder where there is none).
#include <QImage>
#include <QString>
#include <functional>

struct PictureExportSpec {
    int titleText = 2500;        // dialog title
    int filterText = 2501;       // filter list
    int failText = 2502;         // "Failed to save the picture to the file %1'"
    QString proposedName;        // file name the dialog proposes
    bool svgOffered = true;      // filter index 4 writes SVG
    QString settingsSection;     // keys ImageDir, ImageExt, ImageFilter; empty: none kept
    // Without a settings section: the folder of the window's last save, where
    // the next one starts (empty: none yet), set by a confirmed save.
    QString *lastFolder = nullptr;
};

// Runs the whole save. `svg` gives the bytes of the SVG file (it may throw).
// A cancel is silent; every failure shows failText with the completed name
// and leaves any existing file as it was.
void SavePictureAs(const PictureExportSpec &spec, const QImage &drawing, const std::function<QByteArray()> &svg);
