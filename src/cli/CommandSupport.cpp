#include "cli/CommandSupport.h"

#include "data/Database.h"
#include "platform/Clock.h"
#include "platform/LocaleInfo.h"
#include "platform/SettingsStore.h"
#include "tools/SettingsRules.h"

namespace quittora::cli {

bool parse(const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions, Call* call)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (valueOptions.contains(a)) {
            if (i + 1 >= args.size() || call->values.contains(a))
                return false;
            call->values.insert(a, args.at(++i));
        } else if (flagOptions.contains(a)) {
            call->flags.insert(a);
        } else if (a.startsWith(QLatin1String("--")) || !call->file.isEmpty()) {
            return false;
        } else {
            call->file = a;
        }
    }
    return !call->file.isEmpty();
}

bool documentId(const Call& call, const char* usage, Io& io, qint64* id)
{
    bool isNumber = false;
    *id = call.values.value(QStringLiteral("--document")).toLongLong(&isNumber);
    if (!isNumber)
        io.err << "Die Dokument-ID muss eine Zahl sein.\n" << usage;
    return isNumber;
}

bool openDatabase(Database& db, const QString& file, Io& io)
{
    // checkFile never writes, so a foreign file is refused untouched.
    QString message = Database::checkFile(file);
    if (message.isEmpty() && db.open(file, &message))
        return true;
    io.err << message << '\n';
    return false;
}

PriceBasis priceBasis()
{
    const QString value = makeQtSettingsStore()->value(QStringLiteral("Rechnungsbasis"), QStringLiteral("0")).trimmed();
    if (value == QLatin1String("0"))
        return PriceBasis::Net;
    if (value == QLatin1String("1"))
        return PriceBasis::Gross;
    return PriceBasis::Unset;
}

PrintEnvironment systemPrintEnvironment()
{
    // The same per-user settings and locale the program uses.
    const auto store = makeQtSettingsStore();
    const auto locale = makeSystemLocaleInfo();
    const settingsrules::RegistryValues registry = settingsrules::readRegistryValues(*store);
    PrintEnvironment env;
    env.decimalSeparator = locale->decimalSeparator();
    env.shortDateFormat = locale->shortDateFormat();
    env.basis = registry.Rechnungsbasis == 1 ? PriceBasis::Gross : PriceBasis::Net;
    env.titleColour = registry.titleColour;
    env.receiptConfirmation = registry.receiptConfirmation;
    env.giroCode = registry.giroCode;
    env.today = makeSystemClock()->today();
    return env;
}

} // namespace quittora::cli
