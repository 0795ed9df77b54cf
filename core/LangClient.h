#pragma once
// Every text shown to the user is asked for by number from the current
// language library. A number the library cannot give reads "No<number>".
#include <QString>
#include <QStringList>

QString GetLangString(int id);
// Replaces "%1" by args[0], "%2" by args[1] ... in one pass ("%10" is not "%1" + "0").
QString FormatLangString(const QString &text, const QStringList &args);
