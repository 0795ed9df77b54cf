#pragma once
// The desktop services the program asks of the system.
#include <QString>
#include <QStringList>

class QLocale;

namespace Shell {
// XDG and home folders; empty when the platform has none.
// The documents folder, or the home folder when it does not exist on disk.
QString DocumentsFolder();
QString PicturesFolder();
QString MusicFolder();
QString VideosFolder();
QString DesktopFolder();
QString HomeFolder();
QString AppDataFolder();        // per-user data (XDG data home)
QString ConfigFolder();         // per-user config (XDG config home)
QString CacheFolder();
QString FontsFolder();
QString TemplatesFolder();
QString ApplicationsFolder();   // start menu equivalent
// Temporary folder, ending in the separator "/".
QString TempFolder();
// Folder of the running executable.
QString ProgramFolder();

// Locale: the user's decimal separator, the user's default locale as a
// Windows locale number (LCID), and a language's name for a locale number.
QChar DecimalSeparator();
// The user's short date format with the whole year: "85" alone is ambiguous.
QString FullYearDateFormat();
int UserDefaultLcid();
QString LanguageName(int lcid);      // in the user's own language, e.g. "Italian"
QString NativeLanguageName(int lcid); // in that language, e.g. "italiano"
int LcidFromLocaleName(const QString &bcp47);   // "it-IT" -> 1040, 0 when unknown
QString LocaleNameFromLcid(int lcid);            // 1040 -> "it_IT", "" when unknown
// A number as the locale writes it (QLocale::toString), except that a finite
// negative figure that shows as zero loses its sign: -0.004 with two decimals
// is "0.00", never "-0.00", in any locale's digits. -inf keeps its sign.
QString NumberText(const QLocale &locale, double value, char format = 'g', int precision = 6);

QString UserName();
QString ComputerName();

// Opens a document, web address or mail link with its associated program.
// Returns a code the callers choose their message by: >32 success, 31 no
// associated program, 2 file not found.
int OpenDocument(const QString &target);
// Starts a program and waits for its end; returns its exit code, -1 when it
// could not be started.
int RunAndWait(const QString &program, const QStringList &arguments, int timeoutMs = -1);
}
