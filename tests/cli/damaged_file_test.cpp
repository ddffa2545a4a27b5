#include "support/CliRunner.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

using quittora::test::CliRun;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// Overwrites the page that holds `marker` with noise, the way a failing disk
// damages one page inside a table while the rest of the file reads fine.
bool damagePageHolding(const QString& path, const QByteArray& marker, int pageSize)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    const QByteArray bytes = f.readAll();
    // The table's own leaf page (type 13), not an index page that repeats the text.
    qint64 page = -1;
    for (qsizetype at = bytes.indexOf(marker); at >= 0 && page < 0; at = bytes.indexOf(marker, at + 1)) {
        const qint64 candidate = at / pageSize;
        if (candidate > 0 && bytes.at(candidate * pageSize) == 13)
            page = candidate;
    }
    if (page < 0)
        return false;
    QByteArray noise(pageSize, '\0');
    for (int i = 0; i < pageSize; ++i)
        noise[i] = static_cast<char>((i * 37 + 11) & 0xff);
    return f.seek(page * pageSize) && f.write(noise) == pageSize && f.flush();
}

// A document of 150 lines and 200 customers, their middle damaged: no command
// may print, list or store what it could read before the damage.
TEST(DamagedFile, APartlyReadableFileIsNeverTakenAsComplete)
{
    QTemporaryDir home;
    QString source;
    qint64 invoice = 0;
    int pageSize = 0;
    TempDatabase db;
    ASSERT_TRUE(db.isValid());
    invoice = db.addDocument({}, s("15.05.2024"), s("Rechnung"), false, {{s("a2"), s("Muster")}});
    for (int i = 0; i < 150; ++i)
        db.addLine(invoice, s("1"), QStringLiteral("ZEILE-%1 ").arg(i, 3, 10, QLatin1Char('0')).repeated(8),
                   s("1,00"), s("1,00"));
    for (int i = 0; i < 200; ++i)
        db.addCustomer(QStringLiteral("KUNDE-%1 ").arg(i, 3, 10, QLatin1Char('0')).repeated(8));
    {
        QSqlQuery q(db.connection());
        ASSERT_TRUE(q.exec(s("PRAGMA page_size")) && q.next());
        pageSize = q.value(0).toInt();
    }
    source = db.path();

    struct Case {
        const char* marker;
        QStringList args; // after the database path
        const char* out;  // the file the command must not leave behind
    } cases[] = {
        {"ZEILE-075", {s("--document"), QString::number(invoice), s("--out")}, "rechnung.pdf"},
        {"ZEILE-075", {s("--document"), QString::number(invoice), s("--out")}, "rechnung.eml"},
        {"KUNDE-110", {}, "kunden.csv"},
    };
    const QStringList commands = {s("pdf"), s("eml"), s("customers-csv")};
    QProcessEnvironment env;
    env.insert(s("XDG_CONFIG_HOME"), home.filePath(s("config")));
    env.insert(s("XDG_RUNTIME_DIR"), home.path());
    env.insert(s("LC_ALL"), s("C.UTF-8"));
    for (int i = 0; i < commands.size(); ++i) {
        const Case& c = cases[i];
        const QString copy = home.filePath(QStringLiteral("kaputt-%1.qtb").arg(i));
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(source, copy));
        ASSERT_TRUE(damagePageHolding(copy, c.marker, pageSize)) << c.marker;
        const QByteArray before = quittora::test::fileHash(copy);
        const QString out = home.filePath(s(c.out));
        const CliRun r = quittora::test::runCli(QStringList{commands[i], copy} << c.args << out, env,
                                                {s("QT_QPA_PLATFORM")});
        const std::string what = commands[i].toStdString();
        EXPECT_NE(r.exitCode, 0) << what << ": " << r.out.toStdString();
        EXPECT_FALSE(r.err.trimmed().isEmpty()) << what;
        EXPECT_FALSE(r.err.contains(s("malformed"))) << what << ": " << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << what;
        EXPECT_EQ(quittora::test::fileHash(copy), before) << what << ": the damaged file was written to";
    }
}

} // namespace
