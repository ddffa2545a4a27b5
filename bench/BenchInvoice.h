#pragma once

// The large invoice the print and e-invoice benchmarks measure, added to a
// copy of the benchmark database so that the database named by
// QUITTORA_BENCH_DB is never changed.
#include "data/Database.h"
#include "data/Decimal.h"
#include "data/Numbers.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <cstdio>

namespace quittora::bench {

inline bool exec(QSqlQuery& q, const QString& sql, const QVariantList& params = {})
{
    if (!q.prepare(sql)) {
        std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        return false;
    }
    for (const QVariant& p : params)
        q.addBindValue(p);
    if (!q.exec()) {
        std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

// An invoice of `lines` lines: a customer of the database and its first
// articles, quantities 1 to 5, amounts as the line entry computes them. The
// separator the database's amounts use goes to *separator. Its ID, or -1.
inline qint64 addLargeInvoice(Database& db, int lines, QChar* separator)
{
    QSqlDatabase con = db.connection();
    QSqlQuery q(con);
    if (!exec(q, QStringLiteral("SELECT a4 FROM Artikel WHERE a4 <> '' LIMIT 1")) || !q.next())
        return -1;
    *separator = q.value(0).toString().contains(QLatin1Char(',')) ? QLatin1Char(',') : QLatin1Char('.');
    if (!exec(q, QStringLiteral("SELECT ID, a1, a2, a3, a4, a5, a40 FROM Kunden ORDER BY ID LIMIT 1 OFFSET 100"))
        || !q.next())
        return -1;
    const QVariantList customer{q.value(0), q.value(1), q.value(2), q.value(3), q.value(4), q.value(5), q.value(6)};
    con.transaction();
    if (!exec(q,
              QStringLiteral("INSERT INTO Rechnungen (a156, a8, b1, a1, a2, a4, a5, b10) "
                             "VALUES ('Rechnung', '15.03.2025', ?, ?, ?, ?, ?, ?)"),
              {customer[0].toString(), customer[1], customer[3].toString() + QLatin1Char(' ') + customer[2].toString(),
               customer[4], customer[5], customer[6]})) {
        con.rollback();
        return -1;
    }
    const qint64 document = q.lastInsertId().toLongLong();
    QSqlQuery articles(con);
    if (!exec(articles, QStringLiteral("SELECT a2, a3, a4, a19 FROM Artikel ORDER BY ID LIMIT ?"), {lines})) {
        con.rollback();
        return -1;
    }
    int i = 0;
    QSqlQuery insert(con);
    insert.prepare(QStringLiteral("INSERT INTO Verkauf (a1, a2, a3, n1, a4, a19, a5) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    while (articles.next()) {
        const int quantity = 1 + i % 5;
        const QString price = articles.value(2).toString();
        const Decimal unit = localeNumber(price, *separator).value_or(Decimal());
        const QString amount = amountText(unit * Decimal::fromInt(quantity), *separator);
        for (const QVariant& v : QVariantList{QString::number(document), QString::number(quantity),
                                              articles.value(0), articles.value(1), price, articles.value(3), amount})
            insert.addBindValue(v);
        if (!insert.exec()) {
            std::fprintf(stderr, "%s\n", qPrintable(insert.lastError().text()));
            con.rollback();
            return -1;
        }
        ++i;
    }
    con.commit();
    return i == lines ? document : -1;
}

// Copies the benchmark database to `copy` and opens the copy.
inline bool openCopy(const QString& source, const QString& copy, Database& db)
{
    if (!QFile::copy(source, copy)) {
        std::fprintf(stderr, "Die Messdatenbank kann nicht kopiert werden.\n");
        return false;
    }
    QString message;
    if (!db.open(copy, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return false;
    }
    return true;
}

} // namespace quittora::bench
