// Writes the table of measured speeds into docs/speed.md:
//   speed-table RESULTS_FOLDER SPEED_MD [MACHINE_LINE]
// RESULTS_FOLDER holds the JSON files of the benchmarks (run with
// --benchmark_repetitions and --benchmark_out_format=json). The table
// replaces what stands between the lines "<!-- Tabelle Anfang -->" and
// "<!-- Tabelle Ende -->" of SPEED_MD; the rest of the file is left alone.
// Each operation reports the median of its repetitions; an operation
// measured in several cases (the keystrokes of a search) reports its slowest
// case. Exit code 1 when an input is missing, 2 when a budget is missed.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

const QString kBegin = QStringLiteral("<!-- Tabelle Anfang -->");
const QString kEnd = QStringLiteral("<!-- Tabelle Ende -->");

struct Operation {
    const char* name;      // as the table shows it
    const char* benchmark; // regular expression over the benchmark names (without "/repeats")
    const char* counter;   // empty: the real time; otherwise this counter
    double budget;         // in the unit below; 0: no budget
    const char* unit;      // "ms", "s" or "MB"
};

const Operation kOperations[] = {
    {"Start bis Hauptfenster bereit (Prozess, offscreen)", "^BM_StartupUntilMainWindowReady", "", 1, "s"},
    {"Ein Tastendruck: Rechnungssuche nach Nummer", "^BM_DocumentSearchByNumber/", "", 30, "ms"},
    {"Ein Tastendruck: Rechnungssuche nach Namen", "^BM_DocumentSearchByName/", "", 30, "ms"},
    {"Ein Tastendruck: Kundensuche", "^BM_CustomerSearch/", "", 30, "ms"},
    {"Ein Tastendruck: Artikelsuche nach Bezeichnung", "^BM_ArticleSearchByName/", "", 30, "ms"},
    {"Ein Tastendruck: Artikelsuche nach Art-Nr.", "^BM_ArticleSearchByNumber/", "", 30, "ms"},
    {"Ein Tastendruck: PLZ-Suche nach Postleitzahl", "^BM_PostalCodeSearchByCode/", "", 30, "ms"},
    {"Ein Tastendruck: PLZ-Suche nach Ort", "^BM_PostalCodeSearchByTown/", "", 30, "ms"},
    {"`berechnen` auf 1.000 Zeilen", "^BM_Berechnen/1000", "", 5, "ms"},
    {"Umsatz: Monatsfilter mit Summe", "^BM_MonthFilterWithTotal", "", 100, "ms"},
    {"Blättern zur nächsten Rechnung (Kunde und Zeilen folgen)", "^BM_PageToNextDocument", "", 0, "ms"},
    {"Rechnung mit 1.000 Zeilen als PDF", "^BM_InvoiceWith1000LinesToPdf", "", 2, "s"},
    {"Rechnung mit 1.000 Zeilen als XRechnung", "^BM_InvoiceWith1000LinesToXRechnung", "", 100, "ms"},
    {"Rechnung mit 1.000 Zeilen als ZUGFeRD-PDF", "^BM_InvoiceWith1000LinesToZugferd", "", 1, "s"},
    {"Datensicherung der ganzen Datenbank", "^BM_BackupWholeDatabase", "", 0, "s"},
    {"Arbeitsspeicher (Spitze, resident) beim Start", "^BM_StartupUntilMainWindowReady", "peak_rss_MB", 150, "MB"},
};

struct Median {
    QString benchmark; // the case (with its label), for the slowest case
    double value = 0;  // in the operation's unit
};

double toUnit(double value, const QString& timeUnit, const QString& unit)
{
    double seconds = value;
    if (timeUnit == QLatin1String("ns"))
        seconds = value / 1e9;
    else if (timeUnit == QLatin1String("us"))
        seconds = value / 1e6;
    else if (timeUnit == QLatin1String("ms"))
        seconds = value / 1e3;
    return unit == QLatin1String("s") ? seconds : seconds * 1e3;
}

QString number(double value)
{
    if (value >= 100)
        return QString::number(value, 'f', 0);
    if (value >= 10)
        return QString::number(value, 'f', 1);
    if (value >= 1)
        return QString::number(value, 'f', 2);
    return QString::number(value, 'f', 3);
}

QString german(QString text)
{
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

std::optional<Median> slowestMedian(const QJsonArray& benchmarks, const Operation& op)
{
    const QRegularExpression pattern(QString::fromUtf8(op.benchmark));
    const QString counter = QString::fromUtf8(op.counter);
    const QString unit = QString::fromUtf8(op.unit);
    std::optional<Median> slowest;
    for (const QJsonValue& v : benchmarks) {
        const QJsonObject b = v.toObject();
        if (b.value(QStringLiteral("aggregate_name")).toString() != QLatin1String("median"))
            continue;
        const QString name = b.value(QStringLiteral("run_name")).toString();
        if (!pattern.match(name).hasMatch())
            continue;
        const double value = counter.isEmpty()
            ? toUnit(b.value(QStringLiteral("real_time")).toDouble(), b.value(QStringLiteral("time_unit")).toString(), unit)
            : b.value(counter).toDouble();
        QString label = b.value(QStringLiteral("label")).toString();
        const QString shown = label.isEmpty() ? name : name + QLatin1Char(' ') + label;
        if (!slowest || value > slowest->value)
            slowest = Median{shown, value};
    }
    return slowest;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() < 3) {
        err << "Aufruf: speed-table ERGEBNISORDNER SPEED_MD [MASCHINE]\n";
        return 1;
    }
    QJsonArray benchmarks;
    QString context;
    const QDir results(args.at(1));
    for (const QString& file : results.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile f(results.filePath(file));
        if (!f.open(QIODevice::ReadOnly)) {
            err << "Kann nicht gelesen werden: " << f.fileName() << "\n";
            return 1;
        }
        const QJsonObject doc = QJsonDocument::fromJson(f.readAll()).object();
        for (const QJsonValue& b : doc.value(QStringLiteral("benchmarks")).toArray())
            benchmarks.append(b);
        if (context.isEmpty()) {
            const QJsonObject c = doc.value(QStringLiteral("context")).toObject();
            context = QStringLiteral("%1 Kerne mit %2 MHz, Lastmittel beim ersten Lauf %3")
                          .arg(c.value(QStringLiteral("num_cpus")).toInt())
                          .arg(c.value(QStringLiteral("mhz_per_cpu")).toInt())
                          .arg(german(QString::number(
                              c.value(QStringLiteral("load_avg")).toArray().at(0).toDouble(), 'f', 1)));
        }
    }

    QString table;
    QTextStream t(&table);
    t << "| Vorgang | Budget | Median gemessen | erfüllt | langsamster Fall |\n";
    t << "|---|---|---|---|---|\n";
    bool allMet = true;
    bool complete = true;
    for (const Operation& op : kOperations) {
        const auto median = slowestMedian(benchmarks, op);
        const QString unit = QString::fromUtf8(op.unit);
        const QString budget = op.budget > 0 ? QStringLiteral("< ") + german(number(op.budget)) + QLatin1Char(' ') + unit
                                             : QStringLiteral("—");
        if (!median) {
            complete = false;
            t << "| " << QString::fromUtf8(op.name) << " | " << budget << " | nicht gemessen | — | — |\n";
            continue;
        }
        QString met = QStringLiteral("—");
        if (op.budget > 0) {
            const bool ok = median->value < op.budget;
            allMet = allMet && ok;
            met = ok ? QStringLiteral("ja") : QStringLiteral("**nein**");
        }
        QString shownCase = median->benchmark;
        shownCase.replace(QLatin1Char('|'), QStringLiteral("\\|"));
        t << "| " << QString::fromUtf8(op.name) << " | " << budget << " | " << german(number(median->value)) << ' '
          << unit << " | " << met << " | `" << shownCase << "` |\n";
    }
    t << "\n";
    if (args.size() > 3)
        t << args.at(3) << "; ";
    t << context << ".\n";

    QFile in(args.at(2));
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "Kann nicht gelesen werden: " << args.at(2) << "\n";
        return 1;
    }
    const QString text = QString::fromUtf8(in.readAll());
    in.close();
    const qsizetype begin = text.indexOf(kBegin);
    const qsizetype end = text.indexOf(kEnd);
    if (begin < 0 || end < begin) {
        err << args.at(2) << " hat keine Markierungen " << kBegin << " / " << kEnd << "\n";
        return 1;
    }
    const QString updated = text.left(begin + kBegin.size()) + QLatin1Char('\n') + table + text.mid(end);
    QSaveFile out(args.at(2));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text) || out.write(updated.toUtf8()) < 0 || !out.commit()) {
        err << "Kann nicht geschrieben werden: " << args.at(2) << "\n";
        return 1;
    }
    QTextStream(stdout) << table;
    if (!complete)
        return 1;
    return allMet ? 0 : 2;
}
