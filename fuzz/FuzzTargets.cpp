#include "fuzz/FuzzTargets.h"

#include "athletes/logic/StatesFile.h"
#include "core/DataGlobals.h"
#include "core/DbFile.h"
#include "core/RecentFiles.h"
#include "profile/DrawingWindow.h"
#include "profile/ProfileOptions.h"
#include "tools/logic/ImportEngine.h"
#include "tools/logic/TextImport.h"
#include "core/Race.h"
#include "core/Validators.h"
#include "core/XmlRaces.h"
#include "platform/dao/Dao.h"
#include "platform/dao/JetSql.h"
#include "platform/data/DataControl.h"
#include "platform/error/VbError.h"
#include "platform/settings/IniDocument.h"
#include "platform/settings/IniFile.h"
#include "platform/settings/Settings.h"
#include "platform/xml/XmlDocument.h"
#include "records/CardNumbers.h"
#include "records/SampleChecks.h"
#include "records/TextProfile.h"
#include "recordings/Hrm.h"
#include "recordings/Tur.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTime>

#include <sqlite3.h>

namespace fuzz {

namespace {

QByteArray Bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

QString Text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A folder of the process's own for the files the targets write.
const QString &WorkDir()
{
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The bytes as a file of the work folder; an empty path when it cannot be written.
QString InputFile(const QString &name, const uint8_t *data, size_t size)
{
    const QString path = QDir(WorkDir()).filePath(name);
    QFile::remove(path);
    return WriteFile(path, Bytes(data, size)) ? path : QString();
}

// A database of the program's tables, made once from the schema script and
// opened for the whole process; the targets that write into it empty what
// they wrote after each input.
const dao::DatabasePtr &ProgramDatabase()
{
    static const dao::DatabasePtr db = [] {
        const QString path = QDir(WorkDir()).filePath(QStringLiteral("program.dat"));
        QFile::remove(path);
        QFile script(QStringLiteral(VETTARO_SCHEMA_SCRIPT));
        if (!script.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", VETTARO_SCHEMA_SCRIPT);
        auto created = dao::CreateDatabase(path, dao::DefaultConnect());
        created->BeginTrans();
        created->ExecuteScript(QString::fromUtf8(script.readAll()));
        created->CommitTrans();
        UpgradeDatabase(*created);
        return created;
    }();
    return db;
}

// Runs a translated statement on a scratch connection holding the Jet
// functions, with a bound on its work and on the size of any value: a
// statement that would run for ever or build a huge text ends as an error.
int g_steps = 0;
void RunOnScratch(const QString &sqliteSql)
{
    static sqlite3 *h = [] {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        dao::jetsql::RegisterFunctions(db);
        sqlite3_exec(db, "CREATE TABLE t (a TEXT, b REAL, c INTEGER); "
                         "INSERT INTO t VALUES ('Stelvio', 12.5, 3), ('passo 2', -1, NULL), (NULL, 0, 7);",
                     nullptr, nullptr, nullptr);
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1 << 20);
        sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 1 << 16);
        sqlite3_progress_handler(db, 100, [](void *) { return int(++g_steps > 2000); }, nullptr);
        // Only reading: nothing a statement does may change the scratch table.
        sqlite3_exec(db, "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
        return db;
    }();
    g_steps = 0;
    const QByteArray sql = sqliteSql.toUtf8();
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK || !s)
        return;
    for (int rows = 0; rows < 50 && sqlite3_step(s) == SQLITE_ROW; ++rows)
        for (int c = 0; c < sqlite3_column_count(s); ++c)
            sqlite3_column_text(s, c);
    sqlite3_finalize(s);
}

QLocale PickLocale(const uint8_t *data, size_t size)
{
    static const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::Italian, QLocale::Italy),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::French, QLocale::France)};
    return locales[size ? data[0] % 4 : 0];
}

} // namespace

int JetSql(const uint8_t *data, size_t size)
{
    using namespace dao::jetsql;
    const QString text = Text(data, size);
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    const QString pattern = nl < 0 ? text : text.left(nl);
    const QString value = nl < 0 ? QString() : text.mid(nl + 1);
    LikeMatch(value, pattern);
    LikeMatch(pattern, value);
    DateLiteralToIso(pattern);
    LooksLikeSql(text);
    try {
        const QString sql = Translate(text, int(size % 3), [](const QString &n) { return n.toUpper(); });
        SimpleSource source;
        AnalyzeSimpleSelect(sql, &source);
        FirstKeyword(sql);
        RunOnScratch(sql);
    } catch (const VbError &) {
    }
    return 0;
}

int XmlRaces(const uint8_t *data, size_t size)
{
    xml::XmlDocument doc;
    doc.loadXml(Bytes(data, size));
    Race race;
    ReadRaceXmlDocument(doc, race);
    if (const xml::XmlNode *root = doc.documentElement()) {
        root->text();
        for (const xml::XmlNode *n : doc.selectNodes(QStringLiteral("/*/*/*")))
            GetXmlNodeText(n, QStringLiteral("*"), QString());
    }
    return 0;
}

int TextProfile(const uint8_t *data, size_t size)
{
    try {
        const TextProfileRecord rec = ReadTextProfile(Bytes(data, size));
        ProfileLengthMetres(rec.quotaIniziale);
    } catch (const VbError &) {
    }
    return 0;
}

int Settings(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Bytes(data, size);
    IniDocument doc;
    doc.setText(IniDocument::Decode(bytes));
    QStringList sections;
    for (const QString &line : doc.text().split(QLatin1Char('\n'))) {
        QStringView name;
        if (IniDocument::ParseSectionLine(line, &name) && sections.size() < 8)
            sections << name.toString();
    }
    sections << QString() << QStringLiteral("Settings");
    for (const QString &s : std::as_const(sections)) {
        for (const QString &k : doc.keys(s))
            doc.value(s, k);
        doc.sectionLines(s);
    }
    doc.setValue(sections.first(), QStringLiteral("k"), QStringLiteral("v"));
    doc.removeKey(sections.first(), QStringLiteral("k"));
    doc.removeSection(sections.last());
    doc.text();

    // The same bytes as a settings file and as a profile file.
    const QString settings = SettingsFilePath(QStringLiteral("VtFuzz"));
    QDir().mkpath(QFileInfo(settings).absolutePath());
    WriteFile(settings, bytes);
    const QString profile = QDir(WorkDir()).filePath(QStringLiteral("profile.ini"));
    WriteFile(profile, bytes);
    for (const QString &s : std::as_const(sections)) {
        for (const QString &k : GetSettingKeys(QStringLiteral("VtFuzz"), s)) {
            GetSetting(QStringLiteral("VtFuzz"), s, k);
            ProfileGetString(profile, s, k);
            ProfileGetInt(profile, s, k, 0);
        }
        ProfileGetSection(profile, s);
    }
    return 0;
}

int FieldText(const uint8_t *data, size_t size)
{
    const QLocale saved;
    const QLocale locale = PickLocale(data, size);
    QLocale::setDefault(locale);
    const QStringList lines = Text(data, size).split(QLatin1Char('\n'));
    static const dao::FieldType types[] = {dao::dbBoolean, dao::dbByte, dao::dbInteger, dao::dbLong,
                                           dao::dbCurrency, dao::dbSingle, dao::dbDouble, dao::dbDate,
                                           dao::dbText, dao::dbMemo, dao::dbTime};
    int count = 0;
    for (const QString &line : lines) {
        if (++count > 32)
            break;
        double number = 0;
        ParseDecimal(line, &number);
        QTime time;
        ParseDateTime(line, &time);
        CommaToPoint(line);
        for (const QChar c : line.left(64)) {
            const int16_t code = int16_t(c.unicode() & 0x7FFF);
            int16_t k = code;
            KeyPressInteger(k, line, 8);
            k = code;
            KeyPressDecimal(k);
            k = code;
            KeyPressTime(k, line);
            k = code;
            KeyPressMaxLen(k, line, 16);
        }
        for (const dao::FieldType type : types) {
            try {
                const QVariant v = data::FieldValue(line, type);
                data::FieldText(v, type);
            } catch (const VbError &) {
            }
            data::FieldText(QVariant(line), type);
            data::FieldText(QVariant(number), type);
        }
        try {
            CardNumbers::ReadNumber(line, locale);
            CardNumbers::ReadInt16(line, locale);
            CardNumbers::ReadSingle(line, locale);
        } catch (const VbError &) {
        }
        CardNumbers::IsNumber(line, locale);
        SampleChecks::CheckDistance(line, QVariant(1.5), {0.0, 1.5, 3.0}, locale);
        SampleChecks::CheckHeight(line, QVariant(100), locale);
    }
    QLocale::setDefault(saved);
    return 0;
}

int Database(const uint8_t *data, size_t size)
{
    const QString path = QDir(WorkDir()).filePath(QStringLiteral("fuzz.dat"));
    QFile::remove(path);
    if (!WriteFile(path, Bytes(data, size)))
        return 0;
    for (const bool exclusive : {true, false}) {
        try {
            dao::DatabasePtr db = dao::OpenDatabase(path, exclusive, !exclusive, dao::DefaultConnect());
            QStringList sources = db->TableNames();
            sources += db->QueryNames();
            for (const QString &name : std::as_const(sources).mid(0, 12)) {
                try {
                    if (db->TableExists(name))
                        db->TableDefinition(name);
                    dao::RecordsetPtr rs = db->OpenRecordset(name, dao::dbOpenSnapshot);
                    for (int row = 0; row < 64 && !rs->AtEOF(); ++row) {
                        for (int f = 0; f < rs->FieldCount(); ++f)
                            rs->Value(f);
                        rs->MoveNext();
                    }
                    rs->Close();
                } catch (const VbError &) {
                }
            }
            db->Close();
        } catch (const VbError &) {
        }
    }
    return 0;
}

int HrmFile(const uint8_t *data, size_t size)
{
    ::Hrm reader;
    if (reader.ReadHRMData(Bytes(data, size), QStringLiteral("fuzz.hrm")) > 0) {
        int pulse = 0;
        for (const SamplePtr &s : *reader.Samples())
            pulse += s->Pulse();
        (void)pulse;
    } else {
        reader.Failure().Text();
    }
    return 0;
}

int TourFile(const uint8_t *data, size_t size)
{
    ::Tur reader;
    if (reader.ReadTurData(Bytes(data, size), QStringLiteral("fuzz.tur")) > 0) {
        float speed = 0;
        for (const SamplePtr &s : *reader.Samples())
            speed += s->Speed();
        (void)speed;
    } else {
        reader.Failure().Text();
    }
    return 0;
}

int StatesFile(const uint8_t *data, size_t size)
{
    qsizetype letters = 0;
    for (const QString &name : ::StatesFile::Parse(Bytes(data, size)))
        letters += name.size();
    (void)letters;
    ::StatesFile::DistinctNames(Bytes(data, size), 8);
    return 0;
}

int DatabaseUpgrade(const uint8_t *data, size_t size)
{
    const QString path = InputFile(QStringLiteral("upgrade.dat"), data, size);
    if (path.isEmpty())
        return 0;
    try {
        DatabaseOwner::instance().open(path);
        for (const QString &table : {QStringLiteral("States"), QStringLiteral("Icons")}) {
            dao::RecordsetPtr rs = CurrentDb->OpenRecordset(table, dao::dbOpenSnapshot);
            for (int row = 0; row < 16 && !rs->AtEOF(); ++row)
                rs->MoveNext();
            rs->Close();
        }
        DatabaseOwner::instance().close();
    } catch (const VbError &) {
    }
    ResetGlobals();
    return 0;
}

int DatabaseImport(const uint8_t *data, size_t size)
{
    dao::Database &destination = *ProgramDatabase();
    const QString path = InputFile(QStringLiteral("source.dat"), data, size);
    if (path.isEmpty())
        return 0;
    try {
        dao::DatabasePtr source = dao::OpenDatabase(path, false, true, dao::DefaultConnect());
        ImportEngine::Callbacks callbacks;
        int questions = 0;
        // Replace the first few cards asked about, keep the others.
        callbacks.confirm = [&questions](const QString &) { return ++questions <= 3; };
        const auto criterion = ImportEngine::Criterion(size ? data[size - 1] % 3 : 0);
        ImportEngine::CopyRaces(*source, destination, true, true, criterion, callbacks);
        source->Close();
    } catch (const VbError &) {
    }
    destination.Execute(QStringLiteral("DELETE FROM [Dati Salite]"));
    destination.Execute(QStringLiteral("DELETE FROM [Dati Percorsi]"));
    return 0;
}

int StatesImport(const uint8_t *data, size_t size)
{
    const dao::DatabasePtr &db = ProgramDatabase();
    // The table holds a few names already, as a user's would.
    db->Execute(QStringLiteral("DELETE FROM States"));
    db->Execute(QStringLiteral("INSERT INTO States (State) VALUES ('Italia'), ('España'), ('Österreich')"));
    const ::StatesFile::NameList names = ::StatesFile::DistinctNames(Bytes(data, size), 64);
    const ::StatesFile::ImportResult result =
        ::StatesFile::Import(db, names.tooMany ? ::StatesFile::Parse(Bytes(data, size)).mid(0, 64) : names.names);
    (void)result.description.size();
    db->Execute(QStringLiteral("DELETE FROM States"));
    return 0;
}

int TextProfileFile(const uint8_t *data, size_t size)
{
    TextImport::HasProfileSignature(Bytes(data, size));
    const QString path = InputFile(QStringLiteral("profile.txt"), data, size);
    if (path.isEmpty())
        return 0;
    try {
        if (const auto rec = TextImport::ReadProfileFile(path))
            (void)rec->samples.size();
    } catch (const VbError &) {
    }
    return 0;
}

int SettingsValues(const uint8_t *data, size_t size)
{
    const QString app = QStringLiteral("VtValues");
    const QString file = SettingsFilePath(app);
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!WriteFile(file, Bytes(data, size)))
        return 0;

    // Every value of the file as a flag and as a stored number (widths, places).
    IniDocument doc;
    doc.setText(IniDocument::Decode(Bytes(data, size)));
    int values = 0;
    for (const QString &line : doc.text().split(QLatin1Char('\n'))) {
        QStringView name;
        if (!IniDocument::ParseSectionLine(line, &name))
            continue;
        const QString section = name.toString();
        for (const QString &key : GetSettingKeys(app, section)) {
            if (++values > 64)
                break;
            const QString value = GetSetting(app, section, key);
            SettingAsBool(value, true);
            if (const auto width = CardNumbers::ReadSettingNumber(value))
                (void)(*width > 0 && *width <= 32767 ? int(*width / DrawingWindow::TwipsPerPixel) : 0);
        }
    }

    RecentFileList recent(app);
    recent.MruList();
    for (const QString &path : recent.Paths())
        (void)path.size();
    recent.Add(QStringLiteral("/tmp/fuzz.dat"));

    ProfileSettings::WindowPlacement place;
    ProfileSettings::LoadPlacement(app, place);
    const QSize stored = DrawingWindow::StoredSize(place);
    (void)(stored.width() + place.left / DrawingWindow::TwipsPerPixel + place.top / DrawingWindow::TwipsPerPixel);

    ProfileOptions options;
    int32_t backColour = 0;
    ProfileSettings::Load(app, options, backColour);
    return 0;
}

const std::vector<Target> &Targets()
{
    static const std::vector<Target> targets = {
        {"jetsql", JetSql},       {"xml_races", XmlRaces}, {"text_profile", TextProfile},
        {"settings", Settings},   {"field_text", FieldText}, {"database", Database},
        {"hrm", HrmFile},         {"tour_file", TourFile}, {"states_file", StatesFile},
        {"db_upgrade", DatabaseUpgrade}, {"db_import", DatabaseImport}, {"states_import", StatesImport},
        {"text_profile_file", TextProfileFile}, {"settings_values", SettingsValues},
    };
    return targets;
}

void InitProcess()
{
    const QString home = WorkDir();
    qputenv("XDG_CONFIG_HOME", QDir(home).filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", QDir(home).filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", QDir(home).filePath(QStringLiteral("cache")).toLocal8Bit());
    QDir().mkpath(QDir(home).filePath(QStringLiteral("config")));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    SetValidatorEffects([] {}, [] {});
}

} // namespace fuzz
