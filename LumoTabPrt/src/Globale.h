#pragma once
// Helpers shared by the whole library: the nested wait cursor and two text helpers.
#include "LumoTabPrt/src/LumoExport.h"

#include <QString>

namespace Globale {

// The wait cursor is nested: it goes on with the first HourglassOn and off only
// when the matching last HourglassOff runs. One switch-off too many leaves the
// counter at 0.
LUMOTABPRT_EXPORT void HourglassOn();
LUMOTABPRT_EXPORT void HourglassOff();
LUMOTABPRT_EXPORT void ResetHourglass();
LUMOTABPRT_EXPORT qint16 HourglassCount();

// On/off in pairs for one scope, whatever way it is left.
class Hourglass {
public:
    Hourglass() { HourglassOn(); }
    ~Hourglass() { HourglassOff(); }
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;
};

// Replaces every occurrence of find, also one that a replacement forms, until
// none is left. An empty find, or a replacement holding find (which would never
// end), returns the text unchanged.
LUMOTABPRT_EXPORT QString StrReplace(const QString &text, const QString &find, const QString &replacement);

// The text before the first sep in source; source becomes the text after it.
// Without sep the whole source is returned and source becomes empty.
LUMOTABPRT_EXPORT QString StrSplitToken(QString &source, const QString &sep);

}
