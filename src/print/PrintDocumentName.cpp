#include "print/PrintDocumentName.h"

#include "data/Database.h"

#include <QSqlQuery>

namespace quittora {

QString printDocumentName(const Database& db, qint64 documentId, PrintedDocument document)
{
    QSqlQuery q(db.connection());
    q.prepare(QStringLiteral("SELECT a156, a7 FROM Rechnungen WHERE ID = ?"));
    q.addBindValue(documentId);
    if (!q.exec() || !q.next())
        return QStringLiteral("Quittora pro");
    QString kind = q.value(0).toString().trimmed();
    if (document == PrintedDocument::DeliveryNote)
        kind = QStringLiteral("Lieferschein");
    else if (kind.isEmpty())
        kind = QStringLiteral("Rechnung");
    QString name = kind;
    const QString number = q.value(1).toString().trimmed();
    if (!number.isEmpty())
        name += QLatin1Char(' ') + number;
    static const QString unfit = QStringLiteral("/\\:*?\"<>|");
    QString out;
    for (QChar c : name) {
        if (!unfit.contains(c) && c.isPrint())
            out += c;
    }
    return out;
}

} // namespace quittora
