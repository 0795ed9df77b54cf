#pragma once
// The course file command: the file itself is built by CourseData.h.
#include "core/CourseData.h"

#include <QString>

// Asks for a file name and writes the samples of the route or climb Id of the
// open database into it. Kind "climb" reads the climb samples, any other kind
// the route samples. A cancelled dialog writes nothing and says nothing; a
// record without samples is refused with a message; any other failure is
// shown with the shared data-error message. The file is written under a
// temporary name and renamed into place, so a refusal or a failure leaves an
// existing file as it was.
void WriteCrsProfile(const QString &Id, const QString &Kind);
