#include "safety/DataCorrection.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "platform/Prompts.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace quittora::datacorrection {

namespace {

QString failure(const QString& detail)
{
    return QStringLiteral("Die Daten konnten nicht korrigiert werden; es wurde nichts geändert.\n(%1)").arg(detail);
}

QString errorOf(const QSqlQuery& q)
{
    const QSqlError e = q.lastError();
    return e.databaseText().isEmpty() ? e.text() : e.databaseText();
}

} // namespace

QString waitMessage()
{
    return QStringLiteral("Bitte warten Sie, bis die Daten korrigiert sind");
}

QString doneMessage()
{
    return QStringLiteral("Daten wurden korrigiert ");
}

QString nothingToCorrectMessage()
{
    return QStringLiteral("Es sind weder Kunden noch Artikel vorhanden, es gibt nichts zu korrigieren.");
}

QString errorTitle()
{
    return QStringLiteral("Fehler");
}

QString replacement()
{
    return QStringLiteral(" ");
}

Result correct(const Database& db)
{
    Result r;
    QSqlDatabase con = db.connection();
    if (!con.isOpen()) {
        r.message = failure(QStringLiteral("Es ist keine Datenbank geöffnet."));
        return r;
    }
    QSqlQuery q(con);
    // IMMEDIATE: the counts and the updates see the same data.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        r.message = failure(errorOf(q));
        return r;
    }
    const auto rollback = [&](const QString& detail) {
        QSqlQuery(con).exec(QStringLiteral("ROLLBACK"));
        r = Result();
        r.message = failure(detail);
        return r;
    };
    if (!q.exec(QStringLiteral("SELECT (SELECT count(*) FROM Kunden) + (SELECT count(*) FROM Artikel)")) || !q.next())
        return rollback(errorOf(q));
    if (q.value(0).toLongLong() == 0) {
        q.finish();
        QSqlQuery(con).exec(QStringLiteral("ROLLBACK"));
        r.status = Result::Status::Empty;
        return r;
    }
    q.finish();

    // A key of no value at all (NULL) is just as empty to the user as "".
    const auto fix = [&](const char* table, int* count) {
        QSqlQuery u(con);
        if (!u.prepare(QStringLiteral("UPDATE %1 SET a2 = ? WHERE a2 IS NULL OR a2 = ''").arg(QLatin1String(table))))
            return errorOf(u);
        u.addBindValue(replacement());
        if (!u.exec())
            return errorOf(u);
        *count = u.numRowsAffected();
        return QString();
    };
    QString error = fix("Kunden", &r.customersCorrected);
    if (error.isEmpty())
        error = fix("Artikel", &r.articlesCorrected);
    if (!error.isEmpty())
        return rollback(error);
    if (!q.exec(QStringLiteral("COMMIT")))
        return rollback(errorOf(q));
    r.status = Result::Status::Corrected;
    return r;
}

Result run(Recordset& customers, Recordset& articles, Prompts& prompts, const QString& title)
{
    prompts.message(title, waitMessage(), Prompts::Icon::None, Prompts::Ok);

    Result r;
    // What is being typed into the current records is stored first, so the
    // correction sees it and the re-read below cannot lose it.
    for (Recordset* source : {&customers, &articles}) {
        if (!source->update()) {
            r.message = failure(source->lastError());
            prompts.critical(errorTitle(), r.message);
            return r;
        }
    }
    r = correct(customers.database());
    if (r.status == Result::Status::Failed) {
        prompts.critical(errorTitle(), r.message);
        return r;
    }
    // Both lists show the corrected values, from their first records.
    customers.refresh();
    articles.refresh();
    if (r.status == Result::Status::Empty)
        prompts.message(title, nothingToCorrectMessage(), Prompts::Icon::Information, Prompts::Ok);
    else
        prompts.message(title, doneMessage(), Prompts::Icon::None, Prompts::Ok);
    return r;
}

} // namespace quittora::datacorrection
