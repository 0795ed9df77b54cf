// The Jet dialect as the program's queries write it, translated and run on SQLite.
#include "platform/dao/JetSql.h"
#include "platform/error/VbError.h"

#include <gtest/gtest.h>

using namespace dao::jetsql;

TEST(DaoJetSql, TranslatesLiteralsNamesAndKeywords)
{
    struct Case { const char *jet; const char *sqlite; };
    const Case cases[] = {
        {"SELECT * FROM [Dati Salite] WHERE [IDPercorso]= \"Stelvio\"",
         "SELECT * FROM \"Dati Salite\" WHERE \"IDPercorso\"= 'Stelvio'"},
        {"SELECT [Velocità media] FROM [x]", "SELECT \"Velocità media\" FROM \"x\""},
        {"WHERE a = \"O'Neil \"\"Jr\"\"\"", "WHERE a = 'O''Neil \"Jr\"'"},
        {"WHERE a = 'l''Aquila'", "WHERE a = 'l''Aquila'"},
        {"WHERE [Data] >= #12/31/2005#", "WHERE \"Data\" >= '2005-12-31'"},
        {"WHERE [Data] < #1/2/2006 13:05:00#", "WHERE \"Data\" < '2006-01-02 13:05:00'"},
        {"DELETE * FROM [CampioniSalite] WHERE x=1", "DELETE  FROM \"CampioniSalite\" WHERE x=1"},
        {"WHERE f = True OR g = false", "WHERE f = 1 OR g = 0"},
        {"SELECT a & \"-\" & b", "SELECT a || '-' || b"},
        {"SELECT a Mod 3", "SELECT a % 3"},
        {"SELECT TOP 5 * FROM t ORDER BY a;", "SELECT   * FROM t ORDER BY a LIMIT 5"},
        {"SELECT Left(a, 2), Mid(a, 2), Int(b), IsNull(c)", "SELECT jet_left(a, 2), jet_mid(a, 2), jet_int(b), jet_isnull(c)"},
        {"SELECT t.Left FROM t", "SELECT t.Left FROM t"},
        {"WHERE a = ? AND b = ?", "WHERE a = ?3 AND b = ?4"},
    };
    for (const Case &c : cases) {
        const int offset = QString::fromUtf8(c.jet).contains(QLatin1Char('?')) ? 2 : 0;
        EXPECT_EQ(Translate(QString::fromUtf8(c.jet), offset).toStdString(), std::string(c.sqlite)) << c.jet;
    }
}

TEST(DaoJetSql, BadLiteralsAreSyntaxErrors)
{
    for (const char *bad : {"WHERE [a = 1", "WHERE a = \"open", "WHERE d = #13/45/2005#", "WHERE d = #1/1/2005"}) {
        try {
            Translate(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const VbError &e) {
            EXPECT_EQ(e.Number(), 3075) << bad;
        }
    }
}

TEST(DaoJetSql, DateLiterals)
{
    EXPECT_EQ(DateLiteralToIso("2/28/2007"), "2007-02-28");
    EXPECT_EQ(DateLiteralToIso("2007-02-28"), "2007-02-28");
    EXPECT_EQ(DateLiteralToIso("12/1/99"), "1999-12-01");
    EXPECT_EQ(DateLiteralToIso("1/1/2000 1:30 PM"), "2000-01-01 13:30:00");
    EXPECT_EQ(DateLiteralToIso("08:05:03"), "08:05:03");
    EXPECT_TRUE(DateLiteralToIso("2/30/2007").isEmpty());
}

TEST(DaoJetSql, LikePatterns)
{
    struct Case { const char *value; const char *pattern; bool match; };
    const Case cases[] = {
        {"Stelvio", "stel*", true},     {"Stelvio", "*VIO", true},   {"Stelvio", "*elv*", true},
        {"Stelvio", "St?lvio", true},   {"Stelvio", "St?vio", false}, {"Passo 2", "Passo #", true},
        {"Passo X", "Passo #", false},  {"Bianco", "[abc]ianco", true}, {"Bianco", "[!b]ianco", false},
        {"Mortirolo", "[m-n]*", true},  {"100%", "100%", true},       {"a_b", "a_b", true},
        {"axb", "a_b", false},          {"", "*", true},              {"Àlpe", "àlpe", true},
        {"x", "", false},
        // The matcher must back up into the last star only.
        {"aab", "*ab", true},           {"abcbd", "a*b*d", true},     {"abcbx", "a*b*d", false},
        {"mississippi", "*iss*ipp?", true}, {"abc", "a**c", true},    {"ab", "ab*", true},
        {"ab", "a?*b", false},          {"x9y9z", "*#z", true},       {"k1k2", "*[!0-1]#", true},
        {"[a", "[a", true},             {"ab", "*[]*", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LikeMatch(QString::fromUtf8(c.value), QString::fromUtf8(c.pattern)), c.match)
            << c.value << " LIKE " << c.pattern;
}

// Patterns of many stars used to take time exponential in their number: this
// one did not finish in hours before the matcher backed up into one star only.
TEST(DaoJetSql, LikeWithManyStarsEnds)
{
    const QString text(60, QLatin1Char('a'));
    EXPECT_FALSE(LikeMatch(text, QStringLiteral("*a").repeated(20) + QStringLiteral("*b")));
    EXPECT_TRUE(LikeMatch(text + QLatin1Char('b'), QStringLiteral("*a").repeated(20) + QStringLiteral("*b")));
    EXPECT_FALSE(LikeMatch(text, QStringLiteral("*?").repeated(30) + QStringLiteral("*[!a]")));
}

TEST(DaoJetSql, SimpleSelectAnalysis)
{
    SimpleSource s;
    ASSERT_TRUE(AnalyzeSimpleSelect("SELECT * FROM \"Dati Salite\" ORDER BY IDPercorso", &s));
    EXPECT_EQ(s.table, "Dati Salite");
    EXPECT_EQ(s.insertPos, 6);
    ASSERT_TRUE(AnalyzeSimpleSelect("SELECT a, b FROM t AS x WHERE a = 1", &s));
    EXPECT_EQ(s.qualifier, "x");
    for (const char *q : {"SELECT count(*) FROM t", "SELECT DISTINCT a FROM t", "SELECT * FROM a JOIN b ON a.x = b.x",
                          "SELECT * FROM a, b", "SELECT a FROM t GROUP BY a", "SELECT * FROM t UNION SELECT * FROM u"})
        EXPECT_FALSE(AnalyzeSimpleSelect(q, &s)) << q;
}

#include "dao_fixture.h"

// Each construct run through a real database.
TEST_F(DaoTemplate, JetConstructsRunOnSQLite)
{
    fill();
    struct Case { const char *sql; QVariant expected; };
    const Case cases[] = {
        {"SELECT COUNT (*) AS [NumeroCampioni] FROM [CampioniSalite] WHERE [IDPercorso]= \"Stelvio\"", 3},
        {"SELECT COUNT(*) AS NumOfClimb  FROM [Dati Salite] WHERE IDPercorso='stelvio';", 1},
        {"SELECT MAX([DistParz]) AS [DArrivo] FROM [CampioniSalite] WHERE IDPercorso='Stelvio'", 5.0},
        {"SELECT count(*) FROM [Tempi Salita] WHERE [Data] >= #03/01/2005# AND [Data] < #7/1/2005#", 2},
        {"SELECT count(*) FROM [Dati Salite] WHERE [Località] Like \"B*\"", 1},
        {"SELECT count(*) FROM [CampioniSalite] WHERE [Note] Like 'km #.#'", 1},
        {"SELECT count(*) FROM [CampioniSalite] WHERE [Note] Like 'km [0-2]*'", 2},
        {"SELECT count(*) FROM [CampioniSalite] WHERE [Note] Like 'km ?'", 2},
        {"SELECT count(*) FROM [CampioniSalite] WHERE [Note] Like '*5*'", 2},
        {"SELECT IIf([Quotafinale] > 1000, \"alta\", \"bassa\") FROM [Dati Salite] WHERE IDPercorso = 'Stelvio'", "alta"},
        {"SELECT [IDPercorso] & \" (\" & [Località] & \")\" FROM [Dati Salite] WHERE IDPercorso = 'Mortirolo'", "Mortirolo (Mazzo)"},
        {"SELECT sum((3600*hour([Tempo]))+(60*minute([Tempo]))+second([Tempo])) FROM [Tempi Salita]", 3600 + 3000 + 6000 + 1800},
        {"SELECT cdbl([Lunghezza]) + cdbl('1.5') FROM [Dati Salite] WHERE IDPercorso = 'Stelvio'", 11.5},
        {"SELECT count(*) FROM [Dati Salite] WHERE (Quotafinale > 1400) = True", 2},
        {"SELECT year([Data]) * 100 + month([Data]) FROM [Tempi Salita] WHERE [Tempo] = #00:30:00#", 200507},
        {"SELECT TOP 1 IDPercorso FROM [Dati Salite] ORDER BY Lunghezza", "Mortirolo"},
        {"SELECT Nz(Null, 7) + Int(2.7) + CInt(2.5) + Val('12abc')", 7 + 2 + 2 + 12},
        {"SELECT Len(Left('Stelvio', 3) & Right('abc', 1) & Mid('Stelvio', 4, 2))", 6},
        {"SELECT 7 Mod 4", 3},
    };
    for (const Case &c : cases) {
        try {
            auto rs = db->OpenRecordset(QString::fromUtf8(c.sql));
            ASSERT_FALSE(rs->EOF_()) << c.sql;
            const QVariant v = rs->Value(0);
            if (c.expected.typeId() == QMetaType::QString) EXPECT_EQ(v.toString(), c.expected.toString()) << c.sql;
            else EXPECT_DOUBLE_EQ(v.toDouble(), c.expected.toDouble()) << c.sql;
        } catch (const VbError &e) {
            ADD_FAILURE() << c.sql << ": " << e.Number() << " " << e.Description().toStdString();
        }
    }
    db->Execute("DELETE * FROM [CampioniSalite] WHERE [IDPercorso]=\"Stelvio\"");
    EXPECT_EQ(db->RecordsAffected(), 3);
}
