#include "cli/GenerateCommands.h"

#include "platform/LocaleInfo.h"
#include "tools/Generator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>

#include <algorithm>
#include <optional>

namespace quittora::cli {

namespace {

QString usage(const QString& call)
{
    return QStringLiteral("Aufruf: %1 DATEI [--documents N] [--customers N] [--articles N] "
                          "[--lines-per-document N] [--seed S] [--last-year JAHR]\n")
        .arg(call);
}

// The file and "--option value" pairs; false on anything else.
bool parse(const QStringList& args, const QStringList& options, QString* file, QHash<QString, QString>* values)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (options.contains(a)) {
            if (i + 1 >= args.size() || values->contains(a))
                return false;
            values->insert(a, args.at(++i));
        } else if (a.startsWith(QLatin1String("--")) || !file->isEmpty()) {
            return false;
        } else {
            *file = a;
        }
    }
    return !file->isEmpty();
}

// A whole number as typed; nullopt (and the German reason) otherwise.
std::optional<qint64> wholeNumber(const QString& option, const QString& text, Io& io)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok) {
        io.err << "Der Wert von " << option << " muss eine ganze Zahl sein (angegeben: \"" << text << "\").\n";
        return std::nullopt;
    }
    return n;
}

} // namespace

int runGenerate(const QStringList& args, Io& io)
{
    return runGenerateAs(QStringLiteral("quittora-cli generate"), args, io);
}

int runGenerateAs(const QString& call, const QStringList& args, Io& io)
{
    const QString documents = QStringLiteral("--documents");
    const QString customers = QStringLiteral("--customers");
    const QString articles = QStringLiteral("--articles");
    const QString lines = QStringLiteral("--lines-per-document");
    const QString seed = QStringLiteral("--seed");
    const QString lastYear = QStringLiteral("--last-year");
    QString file;
    QHash<QString, QString> values;
    if (!parse(args, {documents, customers, articles, lines, seed, lastYear}, &file, &values)) {
        io.err << usage(call);
        return kUsage;
    }

    generator::Options o;
    const auto take = [&](const QString& option, qint64* target) {
        if (!values.contains(option))
            return true;
        const auto n = wholeNumber(option, values.value(option), io);
        if (n)
            *target = *n;
        return n.has_value();
    };
    qint64 year = o.lastYear;
    if (!take(documents, &o.documents) || !take(customers, &o.customers) || !take(articles, &o.articles)
        || !take(lines, &o.linesPerDocument) || !take(lastYear, &year)) {
        io.err << usage(call);
        return kUsage;
    }
    o.lastYear = static_cast<int>(std::clamp<qint64>(year, -1, 100000));
    if (values.contains(seed)) {
        bool ok = false;
        o.seed = values.value(seed).trimmed().toULongLong(&ok);
        if (!ok) {
            io.err << "Der Wert von --seed muss eine ganze Zahl von 0 bis 18446744073709551615 sein (angegeben: \""
                   << values.value(seed) << "\").\n"
                   << usage(call);
            return kUsage;
        }
    }
    o.decimalSeparator = makeSystemLocaleInfo()->decimalSeparator();
    // Locales with another separator still get amounts the program can read.
    if (o.decimalSeparator != QLatin1Char('.'))
        o.decimalSeparator = QLatin1Char(',');

    QElapsedTimer timer;
    timer.start();
    const generator::Result r = generator::generate(file, o);
    switch (r.status) {
    case generator::Result::Status::Written:
        break;
    case generator::Result::Status::InvalidOptions:
        io.err << r.message << '\n' << usage(call);
        return kUsage;
    case generator::Result::Status::Refused:
    case generator::Result::Status::Failed:
        io.err << r.message << '\n';
        return kRefused;
    }
    io.out << "Datenbank erzeugt: " << QDir::toNativeSeparators(file) << '\n'
           << "Rechnungen: " << r.documents << '\n'
           << "Positionen: " << r.lines << '\n'
           << "Kunden: " << r.customers << '\n'
           << "Artikel: " << r.articles << '\n'
           << "Dauer: " << QString::number(static_cast<double>(timer.elapsed()) / 1000.0, 'f', 1) << " s\n";
    return kOk;
}

} // namespace quittora::cli
