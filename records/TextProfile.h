#pragma once
// The text profile file: one climb or route with its altitude samples, as other
// installations exchange it. The top lines are the samples, one per line
// ("1.5,1250,"Col","""), followed by INI-style sections describing the record.
//
// The file is built in memory (BuildTextProfile) and then written in one piece
// through a temporary file (WriteTextProfileFile), so a failure never leaves a
// cut file behind. ReadTextProfile reads it back by the rules every reader of
// the format follows.
#include <QByteArray>
#include <QString>
#include <QVector>

struct TextProfileSample {
    float distParz = 0;    // km from the start
    qint16 altezza = 0;    // m
    QString note;
    QString image;         // icon key, empty for none
};

// The card as shown: every value is the text of its field, as the user sees it.
struct TextProfileCard {
    bool isClimb = true;     // "Dati Salite" when true, else "Dati Percorsi"
    QString idPercorso;
    QString lunghezza;       // km, in the user's locale form
    QString quotaIniziale;   // climbs only
    QString quotaFinale;     // climbs only
    QString telefono;
    QString fax;
    QString stato;
    QString regione;
    QString provincia;
    QString localita;
    QString email;
    QString url;
};

// What a reader gets back.
struct TextProfileRecord {
    bool isClimb = false;
    bool fourValues = true;  // false for the earlier three-value line shape
    QString idPercorso;
    double lunghezzaKm = 0;
    QString quotaIniziale, quotaFinale;
    QString telefono, fax, stato, regione, provincia, localita, email, url;
    QString programVersion;
    QVector<TextProfileSample> samples;
};

namespace TextProfile {
// Signature of the current four-value format and of the earlier three-value one.
inline constexpr const char *Signature = "Vettaro-V4";
inline constexpr const char *OldSignature = "vettaro";
// Contact data written in the Author section (the program's home page and
// mail address); never read back.
inline constexpr const char *AuthorName = "Vettaro";
inline constexpr const char *AuthorUrl = "https://www.vettaro.example/";
inline constexpr const char *AuthorMail = "info@vettaro.example";
}

// A distance as the sample lines carry it: point decimal whatever the locale,
// 7 significant digits, trailing zeros dropped, no point for a whole value.
QString FormatProfileDistance(float km);

// The length text of the card (km, user's locale) as whole metres, halves to
// the even neighbour. Throws VbError 13 when the text is not a number.
qint64 ProfileLengthMetres(const QString &lengthText);

// The whole file, CR LF line ends, in Windows-1252 when every character fits
// there (as older installations read it), else in UTF-8. The length is read
// with either decimal mark and no group separator. Throws VbError when the length is not
// a number. programVersion is "major.minor.revision".
QByteArray BuildTextProfile(const TextProfileCard &card, const QVector<TextProfileSample> &samples,
                            const QString &programVersion);

// Writes the bytes to path through a temporary file that replaces the target
// only when complete. Throws VbError (75 path/file access error) on failure; the
// target is then untouched and no partial file remains.
void WriteTextProfileFile(const QString &path, const QByteArray &bytes);

// Reads a text profile. Throws VbError when the bytes are not a profile file
// (unknown signature, fewer sample lines than announced, a bad number).
TextProfileRecord ReadTextProfile(const QByteArray &bytes);
