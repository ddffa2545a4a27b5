#include "export/CustomerLists.h"
#include "platform/ErrorTexts.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "export/ExportFile.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"

#include <QDir>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace quittora::customerlists {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

Customer customerFrom(const QSqlQuery& q)
{
    // Columns as selected in readSelection, after the ID.
    return {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(), q.value(4).toString(),
            q.value(5).toString(), q.value(6).toString(), q.value(7).toString(), q.value(8).toString()};
}

// What a text viewer or word processor starts a new line at.
bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x0B) || c == QChar(0x0C)
        || c == QChar(0x85) || c == QChar(0x2028) || c == QChar(0x2029);
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0) || c == QChar(0x2028)
        || c == QChar(0x2029);
}

} // namespace

QString fileName(Kind kind)
{
    return kind == Kind::AddressList ? QStringLiteral("Kundenliste.txt") : QStringLiteral("Kundenliste.csv");
}

QString selectionHintTitle()
{
    return QStringLiteral("Hinweis !");
}

QString selectionHint()
{
    return QStringLiteral("Sie können auch durch Funktion ''Datensatz enthält ...'' Kunden vor der Ausgabe selektieren.");
}

QString mailMergeQuestionTitle()
{
    return QStringLiteral("Info");
}

QString mailMergeQuestion()
{
    return QStringLiteral(
        "Sie erstellen hier eine Serienbrief-Steuerdatei der Adressen. Mit Microsoft-Word können Sie mit dieser "
        "Datei Serienbriefe erstellen. (Möchten Sie vorher mit ''Datensatz enthält...'', PLZ-Bereich oder der "
        "Funkion ''soll Post erhalten >'' den Adressatenkreis eingrenzen, wählen Sie ''Abbrechen'' und treffen "
        "Sie die Auswahl, bevor Sie mit OK fortfahren)");
}

QString mailMergeSaveHintTitle()
{
    return QStringLiteral("Info");
}

QString mailMergeSaveHint()
{
    return QStringLiteral("Wählen Sie '' Datei - speichern unter ... '' und geben Sie einen Speicherort an. "
                          "Wählen Sie diese Datei als Steuerdatei Ihres Word-Serienbriefes.");
}

QString errorTitle()
{
    return QStringLiteral("Fehler");
}

namespace {

QString listLine(const QString& value)
{
    // One field is one line of the nine: a line break inside it becomes a
    // blank (CR LF as one), other control characters go (NUL above all,
    // which ends the text in many programs); a tab stays.
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\r') && i + 1 < value.size() && value.at(i + 1) == QLatin1Char('\n'))
            continue;
        if (isLineBreak(c))
            out += QLatin1Char(' ');
        else if (!isControl(c) || c == QLatin1Char('\t'))
            out += c;
    }
    return out;
}

} // namespace

QByteArray addressListText(const QList<Customer>& customers)
{
    QString text;
    for (const Customer& c : customers) {
        text += listLine(c.salutation) + kCrLf;
        text += listLine(c.firstName.isEmpty() ? c.name : c.firstName + QLatin1Char(' ') + c.name) + kCrLf;
        text += listLine(c.addition) + kCrLf;
        text += listLine(c.street) + kCrLf;
        text += listLine(c.place) + kCrLf;
        text += QStringLiteral("Telefon: ") + listLine(c.phone) + kCrLf;
        text += QStringLiteral("Fax: ") + listLine(c.fax) + kCrLf;
        text += kCrLf;
        text += kCrLf;
    }
    return text.toUtf8();
}

QString mailMergeValue(const QString& value)
{
    // A quoted value may hold CR and LF; other breaks become a blank, other
    // control characters (NUL above all) have no place in a text file.
    QString clean;
    clean.reserve(value.size());
    for (QChar c : value) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t') || !isControl(c))
            clean += c;
        else if (isLineBreak(c))
            clean += QLatin1Char(' ');
    }
    // Written bare, a ";" would move every later value of the customer into
    // the wrong column of the mail merge.
    if (!clean.contains(QLatin1Char(';')) && !clean.contains(QLatin1Char('"')) && !clean.contains(QLatin1Char('\n'))
        && !clean.contains(QLatin1Char('\r')))
        return clean;
    clean.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + clean + QLatin1Char('"');
}

QByteArray mailMergeText(const QList<Customer>& customers)
{
    const QChar sep = QLatin1Char(';');
    QString text = QStringLiteral("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort") + kCrLf;
    for (const Customer& c : customers) {
        text += mailMergeValue(c.salutation) + sep + mailMergeValue(c.name) + sep + mailMergeValue(c.firstName) + sep
            + mailMergeValue(c.addition) + sep + mailMergeValue(c.street) + sep + mailMergeValue(c.place) + kCrLf;
    }
    return text.toUtf8();
}

QByteArray fileText(Kind kind, const QList<Customer>& customers)
{
    return kind == Kind::AddressList ? addressListText(customers) : mailMergeText(customers);
}

std::optional<QList<Customer>> readSelection(Recordset& customers, QString* error)
{
    // What the user typed into the current customer belongs in the list.
    if (!customers.update()) {
        if (error)
            *error = customers.lastError();
        return std::nullopt;
    }
    // The selection is the record source's IDs in its order; the records
    // themselves are read in one pass instead of one query per customer.
    QSqlQuery q(customers.database().connection());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT ID, a1, a2, a3, a8, a4, a5, a6, a7 FROM ") + customers.baseTable())) {
        if (error)
            *error = QStringLiteral("Die Kunden konnten nicht gelesen werden.\n(%1)").arg(databaseReason(q.lastError()));
        return std::nullopt;
    }
    QHash<qint64, Customer> byId;
    while (q.next())
        byId.insert(q.value(0).toLongLong(), customerFrom(q));
    if (q.lastError().isValid()) {
        if (error)
            *error = QStringLiteral("Die Kunden konnten nicht vollständig gelesen werden.\n(%1)")
                         .arg(databaseReason(q.lastError()));
        return std::nullopt;
    }

    QList<Customer> list;
    list.reserve(customers.recordCount());
    for (int pos = 0; pos < customers.recordCount(); ++pos) {
        // A customer deleted since the selection was made is no longer listed.
        const auto it = byId.constFind(customers.idAt(pos));
        if (it != byId.cend())
            list.append(*it);
    }
    customers.moveFirst();
    return list;
}

Outcome exportCustomers(Kind kind, Recordset& customers, bool selectionActive, const QString& tempFolder,
                        Prompts& prompts, Shell& shell, Recordset* documents)
{
    Outcome out;
    if (!selectionActive)
        prompts.information(selectionHintTitle(), selectionHint());
    if (kind == Kind::MailMerge
        && prompts.message(mailMergeQuestionTitle(), mailMergeQuestion(), Prompts::Icon::Information,
                           Prompts::Ok | Prompts::Cancel)
            != Prompts::Ok) {
        out.status = Outcome::Status::Cancelled;
        return out;
    }
    const auto fail = [&](const QString& message) {
        out.status = Outcome::Status::Failed;
        out.message = message;
        prompts.critical(errorTitle(), message);
        return out;
    };

    if (documents)
        documents->moveFirst();
    QString error;
    const std::optional<QList<Customer>> list = readSelection(customers, &error);
    if (!list)
        return fail(error);
    const QString path = exportFilePath(tempFolder, fileName(kind), &error);
    if (path.isEmpty())
        return fail(error);
    // Written whole and only then opened: the program never sees half a file.
    if (!replaceFile(path, fileText(kind, *list), &error))
        return fail(error);
    out.path = path;

    if (kind == Kind::MailMerge)
        prompts.information(mailMergeSaveHintTitle(), mailMergeSaveHint());
    if (shell.open(path)) {
        out.status = Outcome::Status::Opened;
        return out;
    }
    out.status = Outcome::Status::NotOpened;
    out.message = QStringLiteral("Die Datei „%1“ wurde erstellt, konnte aber nicht geöffnet werden. "
                                 "Bitte öffnen Sie sie mit einem Programm Ihrer Wahl.")
                      .arg(QDir::toNativeSeparators(path));
    prompts.exclamation(errorTitle(), out.message);
    return out;
}

} // namespace quittora::customerlists
