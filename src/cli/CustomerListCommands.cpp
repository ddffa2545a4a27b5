#include "cli/CustomerListCommands.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "export/CustomerLists.h"
#include "export/ExportFile.h"
#include "workspace/DataSources.h"

#include <QDir>

namespace quittora::cli {

namespace {

int run(customerlists::Kind kind, const char* command, const QStringList& args, Io& io)
{
    if (args.size() != 2) {
        io.err << "Aufruf: quittora-cli " << command << " DATEI AUSGABE\n";
        return kUsage;
    }
    const QString& file = args.at(0);
    const QString& out = args.at(1);
    // checkFile never writes, so a foreign file is refused untouched.
    QString message = Database::checkFile(file);
    Database db;
    if (!message.isEmpty() || !db.open(file, &message)) {
        io.err << message << '\n';
        return kRefused;
    }
    // The same source and reader as the customer page with no selection.
    Recordset customers(db, QStringLiteral("Kunden"));
    customers.setRecordSource(DataSources::customersSource());
    if (!customers.refresh()) {
        io.err << "Die Kunden konnten nicht gelesen werden.\n(" << customers.lastError() << ")\n";
        return kRefused;
    }
    const std::optional<QList<customerlists::Customer>> list = customerlists::readSelection(customers, &message);
    if (!list) {
        io.err << message << '\n';
        return kRefused;
    }
    if (!replaceFile(out, customerlists::fileText(kind, *list), &message)) {
        io.err << message << '\n';
        return kRefused;
    }
    io.out << list->size() << " Kunden geschrieben: " << QDir::toNativeSeparators(out) << '\n';
    return kOk;
}

} // namespace

int runCustomersTxt(const QStringList& args, Io& io)
{
    return run(customerlists::Kind::AddressList, "customers-txt", args, io);
}

int runCustomersCsv(const QStringList& args, Io& io)
{
    return run(customerlists::Kind::MailMerge, "customers-csv", args, io);
}

} // namespace quittora::cli
