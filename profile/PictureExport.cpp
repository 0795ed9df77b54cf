#include "profile/PictureExport.h"

#include "core/BikeRoutine.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/ProfileExport.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/shell/FileWrite.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Prompt.h"
#include "profile/DibSection.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QByteArray BitmapBytes(const QImage &drawing)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (drawing.isNull() || !drawing.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        return QByteArray();
    return bytes;
}

bool WriteBitmap(const QString &fileName, const QImage &drawing, QString *why)
{
    const QByteArray bytes = BitmapBytes(drawing);
    return !bytes.isEmpty() && FileWrite::WriteFileAtomically(fileName, bytes, why);
}

// The converter writes the PNG beside the bitmap; both live in a private
// folder, so nothing of the user's is touched and nothing is left behind.
bool WritePng(const QString &fileName, const QImage &drawing, QString *why)
{
    QTemporaryDir work;
    if (!work.isValid())
        return false;
    const QString bmp = QDir(work.path()).filePath(QStringLiteral("picture.bmp"));
    if (!WriteBitmap(bmp, drawing, why) || !BmpToPng(bmp))
        return false;
    QFile png(PngPathFor(bmp));
    if (!png.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = png.readAll();
    return !bytes.isEmpty() && FileWrite::WriteFileAtomically(fileName, bytes, why);
}

// Where the dialog opens when no folder is stored, or the stored one is gone:
// the user's pictures folder, or the home folder on an account that has none
// yet (a dialog given a missing folder opens in the current one, which is the
// program's own folder when started from it).
QString StartFolder()
{
    const QString pictures = SpecialFolders.MyPictures();
    return !pictures.isEmpty() && QFileInfo(pictures).isDir() ? pictures : Shell::HomeFolder();
}

int StoredFilterIndex(const QString &section)
{
    bool ok = false;
    const int index = GetSetting(AppName, section, QStringLiteral("ImageFilter"), QStringLiteral("1")).trimmed().toInt(&ok);
    return ok && index >= 1 && index <= 4 ? index : 1;
}

} // namespace

void SavePictureAs(const PictureExportSpec &spec, const QImage &drawing, const std::function<QByteArray()> &svg)
{
    try {
        const bool keep = !spec.settingsSection.isEmpty();
        if (keep) {
            QString dir = GetSetting(AppName, spec.settingsSection, QStringLiteral("ImageDir"), QString());
            if (dir.isEmpty() || !QFileInfo(dir).isDir())
                dir = StartFolder();
            cmDlg1.InitDir = dir;
            cmDlg1.DefaultExt = GetSetting(AppName, spec.settingsSection, QStringLiteral("ImageExt"), QStringLiteral("bmp"));
        } else {
            // The shared dialog's folder is whatever its previous user left
            // (nothing at all on a fresh start: the program's folder).
            const QString last = spec.lastFolder ? *spec.lastFolder : QString();
            cmDlg1.InitDir = !last.isEmpty() && QFileInfo(last).isDir() ? last : StartFolder();
            cmDlg1.DefaultExt = QStringLiteral("bmp");
        }
        cmDlg1.DialogTitle = GetLangString(spec.titleText);
        cmDlg1.Filter = GetLangString(spec.filterText);
        cmDlg1.FilterIndex = keep ? StoredFilterIndex(spec.settingsSection) : 1;
        cmDlg1.Flags = 6;
        // A name with quotes or slashes would be read by the dialog as a list
        // of names or a folder: it is proposed made safe for a file name.
        cmDlg1.FileName = spec.proposedName.isEmpty() ? QString() : ProposedFileName(spec.proposedName);
        cmDlg1.CancelError = true;
        cmDlg1.ShowSave();

        const QString chosen = cmDlg1.FileName;
        const int index = cmDlg1.FilterIndex;
        if (keep) {
            SaveSetting(AppName, spec.settingsSection, QStringLiteral("ImageDir"), QFileInfo(chosen).absolutePath());
            SaveSetting(AppName, spec.settingsSection, QStringLiteral("ImageFilter"), QString::number(index));
            SaveSetting(AppName, spec.settingsSection, QStringLiteral("ImageExt"), cmDlg1.DefaultExt);
        } else if (spec.lastFolder) {
            *spec.lastFolder = QFileInfo(chosen).absolutePath();
        }
        static const char *const extensions[] = {".bmp", ".jpg", ".png", ".svg"};
        const int last = spec.svgOffered ? 4 : 3;
        if (index < 1 || index > last)
            return;
        // The type follows the filter index; its extension is appended unless
        // the name ends in it exactly.
        QString name = chosen;
        const QString ext = QString::fromLatin1(extensions[index - 1]);
        if (name.right(4) != ext)
            name += ext;

        bool written = false;
        QString why;
        try {
            switch (index) {
            case 1:
                written = WriteBitmap(name, drawing, &why);
                break;
            case 2: {
                cDIBSection dib;
                dib.CreateFromPicture(drawing);
                written = SaveDibToJpeg(dib, name, 90);
                break;
            }
            case 3:
                written = WritePng(name, drawing, &why);
                break;
            case 4:
                written = svg && FileWrite::WriteFileAtomically(name, svg(), &why);
                break;
            }
        } catch (const VbError &e) {
            written = false;
            why = e.Description();
        } catch (const std::exception &) {
            written = false;
        }
        // The reason (a full disk, a folder that cannot be written) follows
        // the message, so the user knows what to change.
        if (!written)
            MsgBox(FormatLangString(GetLangString(spec.failText), {name}) + (why.isEmpty() ? QString() : QChar(10) + why),
                   Vb::Exclamation);
    } catch (const VbError &) {
        // A cancelled dialog ends the command silently.
    }
}
