#include "tools/Generator.h"

#include "data/CompanySettings.h"
#include "data/Database.h"
#include "data/Decimal.h"
#include "data/Leftovers.h"
#include "data/Numbers.h"
#include "platform/ErrorTexts.h"
#include "documents/Totals.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <vector>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace quittora::generator {

namespace {

QStringList words(std::initializer_list<const char*> list)
{
    QStringList out;
    out.reserve(static_cast<qsizetype>(list.size()));
    for (const char* w : list)
        out << QString::fromUtf8(w);
    return out;
}

const QStringList& lastNames()
{
    static const QStringList l = words({
        "Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner", "Becker", "Schulz", "Hoffmann",
        "Schäfer", "Koch", "Bauer", "Richter", "Klein", "Wolf", "Schröder", "Neumann", "Schwarz", "Zimmermann",
        "Braun", "Krüger", "Hofmann", "Hartmann", "Lange", "Schmitt", "Werner", "Schmitz", "Krause", "Meier",
        "Lehmann", "Schmid", "Schulze", "Maier", "Köhler", "Herrmann", "König", "Walter", "Mayer", "Huber",
        "Kaiser", "Fuchs", "Peters", "Lang", "Scholz", "Möller", "Weiß", "Jung", "Hahn", "Schubert",
        "Vogel", "Friedrich", "Keller", "Günther", "Frank", "Berger", "Winkler", "Roth", "Beck", "Lorenz",
        "Baumann", "Franke", "Albrecht", "Schuster", "Simon", "Ludwig", "Böhm", "Winter", "Kraus", "Martin",
        "Schumacher", "Krämer", "Vogt", "Stein", "Jäger", "Otto", "Sommer", "Groß", "Seidel", "Heinrich",
        "Brandt", "Haas", "Schreiber", "Graf", "Schulte", "Dietrich", "Ziegler", "Kuhn", "Kühn", "Pohl",
        "Engel", "Horn", "Busch", "Bergmann", "Thomas", "Voigt", "Sauer", "Arnold", "Wolff", "Pfeiffer",
    });
    return l;
}

const QStringList& femaleNames()
{
    static const QStringList l = words({
        "Anna", "Maria", "Ursula", "Monika", "Petra", "Sabine", "Claudia", "Susanne", "Andrea", "Stefanie",
        "Julia", "Katharina", "Sandra", "Nicole", "Birgit", "Heike", "Karin", "Renate", "Jutta", "Gabriele",
        "Elke", "Sophie", "Lena", "Hannah", "Ilse", "Bärbel", "Käthe", "Doris", "Ingrid", "Anja",
    });
    return l;
}

const QStringList& maleNames()
{
    static const QStringList l = words({
        "Peter", "Michael", "Thomas", "Andreas", "Wolfgang", "Klaus", "Jürgen", "Günter", "Stefan", "Christian",
        "Uwe", "Werner", "Frank", "Bernd", "Matthias", "Markus", "Jörg", "Dieter", "Horst", "Manfred",
        "Ralf", "Sven", "Tobias", "Jan", "Lukas", "Felix", "Björn", "Jens", "Hans-Jürgen", "Karl-Heinz",
    });
    return l;
}

// "%1" is a last name.
const QStringList& companyPatterns()
{
    static const QStringList l = words({
        "%1 GmbH", "%1 & Söhne KG", "%1 Bau GmbH", "Autohaus %1", "Bäckerei %1", "%1 Elektrotechnik",
        "Sanitär %1 GmbH", "Malerbetrieb %1", "%1 Immobilien GmbH & Co. KG", "Gärtnerei %1",
        "Steuerbüro %1", "Praxis Dr. %1", "%1 Haustechnik", "Schreinerei %1", "%1 Logistik AG",
    });
    return l;
}

const QStringList& streets()
{
    static const QStringList l = words({
        "Hauptstraße", "Bahnhofstraße", "Dorfstraße", "Schulstraße", "Gartenstraße", "Bergstraße",
        "Lindenstraße", "Kirchstraße", "Waldstraße", "Ringstraße", "Am Markt", "Mühlenweg", "Wiesenweg",
        "Birkenweg", "Goethestraße", "Schillerstraße", "Rosenstraße", "Feldstraße", "Poststraße",
        "Blumenstraße", "Jahnstraße", "Am Sportplatz", "Lessingstraße", "Talstraße", "Kastanienallee",
        "Königsallee", "Münchner Straße", "Weißdornweg", "Über den Höfen", "Rathausplatz",
    });
    return l;
}

// Postal code and town.
const QStringList& places()
{
    static const QStringList l = words({
        "10115 Berlin", "20095 Hamburg", "80331 München", "50667 Köln", "60311 Frankfurt am Main",
        "70173 Stuttgart", "40213 Düsseldorf", "44135 Dortmund", "45127 Essen", "04109 Leipzig",
        "28195 Bremen", "01067 Dresden", "30159 Hannover", "90402 Nürnberg", "47051 Duisburg",
        "44787 Bochum", "42103 Wuppertal", "33602 Bielefeld", "53111 Bonn", "48143 Münster",
        "76133 Karlsruhe", "68159 Mannheim", "86150 Augsburg", "65183 Wiesbaden", "41061 Mönchengladbach",
        "38100 Braunschweig", "24103 Kiel", "09111 Chemnitz", "06108 Halle (Saale)", "39104 Magdeburg",
        "79098 Freiburg im Breisgau", "23552 Lübeck", "26122 Oldenburg", "55116 Mainz", "18055 Rostock",
        "99084 Erfurt", "93047 Regensburg", "97070 Würzburg", "89073 Ulm", "83022 Rosenheim",
        "87435 Kempten (Allgäu)", "94032 Passau", "07743 Jena", "37073 Göttingen", "49074 Osnabrück",
        "34117 Kassel", "66111 Saarbrücken", "54290 Trier", "1010 Wien", "8001 Zürich",
    });
    return l;
}

const QStringList& customerNotes()
{
    static const QStringList l = words({
        "Stammkunde", "Zahlt immer pünktlich", "Lieferung nur vormittags", "Bitte vorher anrufen",
        "Rechnung bitte per E-Mail", "Schlüssel beim Hausmeister", "Mahnung erst nach 30 Tagen",
        "Ansprechpartner: Herr Weiß (Einkauf)\nDurchwahl -214",
    });
    return l;
}

// Example domains only: a generated address must never reach a real person.
const QStringList& mailDomains()
{
    static const QStringList l = words({"example.com", "example.net", "example.org"});
    return l;
}

struct ArticleKind {
    const char* designation;
    const char* unit;
    int minCents;
    int maxCents;
    int vatRate;           // 19, 7 or 0
    const char* variants;  // "|"-separated additions to the designation; may be empty
};

const std::vector<ArticleKind>& articleKinds()
{
    static const std::vector<ArticleKind> l = {
        {"Arbeitszeit Geselle", "Std.", 4500, 6500, 19, ""},
        {"Arbeitszeit Meister", "Std.", 6000, 8500, 19, ""},
        {"Arbeitszeit Helfer", "Std.", 3000, 4200, 19, ""},
        {"Anfahrt", "Pauschal", 2500, 6000, 19, "Zone 1|Zone 2|Zone 3"},
        {"Beratung", "Std.", 8000, 15000, 19, "vor Ort|telefonisch"},
        {"Wartung Heizungsanlage", "Pauschal", 12000, 25000, 19, "Gas|Öl|Wärmepumpe"},
        {"Schraube", "Stk.", 5, 90, 19, "verzinkt 4 x 40 mm|Edelstahl 6 x 60 mm|Spax 5 x 80 mm"},
        {"Dübel", "Stk.", 5, 60, 19, "6 mm|8 mm|10 mm"},
        {"Kabel NYM-J", "m", 80, 450, 19, "3 x 1,5 mm²|5 x 2,5 mm²"},
        {"Kupferrohr", "m", 600, 1800, 19, "15 mm|18 mm|22 mm"},
        {"Wandfliese", "m²", 1500, 8500, 19, "weiß matt 30 x 60 cm|grau glänzend 20 x 40 cm"},
        {"Bodenfliese", "m²", 2200, 12000, 19, "Feinsteinzeug 60 x 60 cm|Cotto 30 x 30 cm"},
        {"Dispersionsfarbe", "l", 400, 2200, 19, "weiß|Premium weiß|getönt"},
        {"Holzlasur", "l", 900, 3500, 19, "Eiche|Teak|farblos"},
        {"Leimholzplatte", "Stk.", 1500, 9000, 19, "Buche 18 mm|Fichte 27 mm"},
        {"Steckdose", "Stk.", 350, 2400, 19, "Unterputz|Aufputz feuchtraumgeeignet"},
        {"Lichtschalter", "Stk.", 300, 2200, 19, "reinweiß|anthrazit"},
        {"LED-Leuchte", "Stk.", 1900, 24000, 19, "Einbaustrahler|Deckenleuchte rund|Außenleuchte"},
        {"Thermostatventil", "Stk.", 1200, 6500, 19, "DN 15|DN 20"},
        {"Dichtungssatz", "Satz", 250, 1500, 19, ""},
        {"Arbeitshandschuhe", "Paar", 200, 1800, 19, "Größe 9|Größe 10"},
        {"Kopierpapier A4", "Karton", 1800, 3600, 19, "80 g/m²|Recycling"},
        {"Toner", "Stk.", 3500, 18000, 19, "schwarz|farbig"},
        {"Aktenordner", "Stk.", 150, 600, 19, "breit|schmal"},
        {"Notebook", "Stk.", 45000, 180000, 19, "14 Zoll|15,6 Zoll"},
        {"Monitor", "Stk.", 12000, 65000, 19, "24 Zoll|27 Zoll"},
        {"Software-Lizenz", "Stk.", 4900, 89000, 19, "Jahresabonnement|Einzelplatz"},
        {"Entsorgung Bauschutt", "t", 4500, 12000, 19, ""},
        {"Kaffee", "kg", 1200, 3800, 7, "Bohnen|gemahlen"},
        {"Mineralwasser", "Kiste", 450, 1100, 7, "still|medium"},
        {"Brot", "Stk.", 250, 650, 7, "Roggen|Dinkel"},
        {"Fachbuch", "Stk.", 1900, 12000, 7, ""},
        {"Blumenstrauß", "Stk.", 1500, 6500, 7, "klein|groß"},
        {"Porto", "Pauschal", 85, 1500, 0, "Brief|Paket"},
    };
    return l;
}

// The second line of a designation that spans lines.
const QStringList& descriptionDetails()
{
    static const QStringList l = words({
        "inkl. Montage und Inbetriebnahme", "Lieferung frei Baustelle", "lt. Aufmaß vom Vortag",
        "Farbe nach Absprache", "gemäß Ihrer Bestellung", "zzgl. Kleinmaterial\nnach Aufwand",
    });
    return l;
}

const QStringList& textLines()
{
    static const QStringList l = words({
        "Material:", "Arbeitsleistung:", "Lieferung frei Haus", "Wie telefonisch besprochen",
        "Position entfällt", "Ausführung der Arbeiten\nwie vor Ort besprochen", "Nachtrag:",
    });
    return l;
}

const QStringList& monthNames()
{
    static const QStringList l = words({"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August",
                                        "September", "Oktober", "November", "Dezember"});
    return l;
}

template <typename List>
const auto& pick(Random& rng, const List& list)
{
    return list.at(static_cast<qsizetype>(rng.below(static_cast<quint64>(list.size()))));
}

QString ascii(QString text)
{
    text = text.toLower();
    text.replace(QStringLiteral("ä"), QStringLiteral("ae"));
    text.replace(QStringLiteral("ö"), QStringLiteral("oe"));
    text.replace(QStringLiteral("ü"), QStringLiteral("ue"));
    text.replace(QStringLiteral("ß"), QStringLiteral("ss"));
    QString out;
    for (QChar c : std::as_const(text)) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || c == QLatin1Char('-'))
            out += c;
    }
    return out;
}

// Separate streams per table, so that more documents leave the customers
// and articles of a seed as they were.
Random stream(quint64 seed, quint64 which)
{
    Random mixer(seed ^ (which * 0xD1B54A32D192ED03ULL));
    return Random(mixer.next());
}

struct CustomerData {
    qint64 id = 0;
    QString salutation, name, firstName, addition, street, place, phone, fax, email, skonto, notes;
    QString nameLine() const
    {
        return firstName.isEmpty() ? name : firstName + QLatin1Char(' ') + name;
    }
};

struct ArticleData {
    QString number;      // unit or article number
    QString designation;
    Decimal price;
    QString priceText;
    QString rate;
    bool hours = false;  // quantities in halves
    bool bulk = false;   // metres, square metres, litres: larger quantities
};

CustomerData makeCustomer(Random& rng)
{
    CustomerData c;
    const quint64 kind = rng.below(100);
    if (kind < 20) {
        c.salutation = QStringLiteral("Firma");
        c.name = pick(rng, companyPatterns()).arg(pick(rng, lastNames()));
        if (rng.percent(50)) {
            const bool female = rng.percent(50);
            c.addition = (female ? QStringLiteral("z. Hd. Frau ") : QStringLiteral("z. Hd. Herrn "))
                + pick(rng, female ? femaleNames() : maleNames()) + QLatin1Char(' ') + pick(rng, lastNames());
        }
    } else if (kind < 28) {
        c.salutation = QStringLiteral("Familie");
        c.name = pick(rng, lastNames());
    } else {
        const bool female = kind < 64;
        c.salutation = female ? QStringLiteral("Frau") : QStringLiteral("Herrn");
        c.name = pick(rng, lastNames());
        c.firstName = pick(rng, female ? femaleNames() : maleNames());
        if (rng.percent(3))
            c.addition = QStringLiteral("c/o ") + pick(rng, lastNames());
    }
    c.street = pick(rng, streets()) + QLatin1Char(' ') + QString::number(rng.between(1, 180));
    if (rng.percent(8))
        c.street += QLatin1Char(static_cast<char>('a' + rng.below(4)));
    c.place = pick(rng, places());
    const QString area = QLatin1Char('0') + QString::number(rng.between(20, 9999));
    if (rng.percent(85))
        c.phone = area + QLatin1Char(' ') + QString::number(rng.between(10000, 9999999));
    if (rng.percent(35))
        c.fax = area + QLatin1Char(' ') + QString::number(rng.between(10000, 9999999));
    if (rng.percent(60)) {
        const QString local = c.firstName.isEmpty() ? QStringLiteral("info")
                                                    : ascii(c.firstName) + QLatin1Char('.') + ascii(c.name);
        c.email = local + QLatin1Char('@')
            + (c.firstName.isEmpty() ? ascii(c.name) + QLatin1Char('.') : QString()) + pick(rng, mailDomains());
    }
    const quint64 skonto = rng.below(100);
    if (skonto < 10)
        c.skonto = QStringLiteral("2");
    else if (skonto < 14)
        c.skonto = QStringLiteral("3");
    if (rng.percent(20))
        c.notes = pick(rng, customerNotes());
    return c;
}

ArticleData makeArticle(Random& rng, qint64 index, QChar sep)
{
    const ArticleKind& kind = pick(rng, articleKinds());
    ArticleData a;
    const QString unit = QString::fromUtf8(kind.unit);
    // About half the articles are known by their number, the others by unit.
    a.number = rng.percent(50) ? QStringLiteral("A-%1").arg(10000 + index) : unit;
    a.designation = QString::fromUtf8(kind.designation);
    const QStringList variants = QString::fromUtf8(kind.variants).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    if (!variants.isEmpty() && rng.percent(80))
        a.designation += QLatin1Char(' ') + pick(rng, variants);
    a.price = Decimal::fromRaw(static_cast<__int128>(rng.between(kind.minCents, kind.maxCents)) * (Decimal::kScale / 100));
    a.priceText = amountText(a.price, sep);
    a.rate = QString::number(kind.vatRate);
    a.hours = unit == QLatin1String("Std.");
    a.bulk = unit == QLatin1String("m") || unit == QString::fromUtf8("m²") || unit == QLatin1String("l");
    return a;
}

struct LineData {
    QString quantity, unit, designation, price, rate, amount;
};

Decimal quantityFor(Random& rng, const ArticleData& a)
{
    if (a.hours)
        return Decimal::fromRaw(static_cast<__int128>(rng.between(1, 24)) * (Decimal::kScale / 2));
    if (a.bulk)
        return Decimal::fromInt(rng.between(1, 60));
    // Nobody buys notebooks by the hundred, but screws they do.
    if (a.price > Decimal::fromInt(100))
        return Decimal::fromInt(rng.percent(80) ? 1 : rng.between(2, 4));
    if (a.price < Decimal::fromInt(2))
        return Decimal::fromInt(rng.between(10, 250));
    return Decimal::fromInt(rng.percent(70) ? rng.between(1, 5) : rng.between(6, 30));
}

// What is decided for all documents before any is written: the head's
// fields come from its customer, its totals from `berechnen` over its lines.
struct Document {
    QDate date;
    bool quote = false;
};

// Runs one statement; false and the error in *error.
bool exec(QSqlQuery& q, const QString& sql, QString* error)
{
    if (q.exec(sql))
        return true;
    *error = databaseReason(q.lastError());
    return false;
}

bool prepare(QSqlQuery& q, const QString& sql, QString* error)
{
    if (q.prepare(sql))
        return true;
    *error = databaseReason(q.lastError());
    return false;
}

// Empty fields hold empty text, as the program's records do: a null QString
// would be stored as NULL.
void bind(QSqlQuery& q, const QString& value)
{
    static const QString empty = QStringLiteral("");
    q.addBindValue(value.isNull() ? empty : value);
}

bool run(QSqlQuery& q, QString* error)
{
    if (q.exec())
        return true;
    *error = databaseReason(q.lastError());
    return false;
}

bool syncToDisk(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        *error = fileReason(file);
        return false;
    }
#ifndef Q_OS_WIN
    if (::fsync(file.handle()) != 0) {
        *error = errnoReason(errno);
        return false;
    }
#endif
    return true;
}

class Filler {
public:
    Filler(const Database& db, const Options& o) : m_db(db), m_o(o) {}

    bool fill(Result* r, QString* error)
    {
        CompanySettings settings;
        if (!settings.load(m_db)) {
            *error = QStringLiteral("Die Einstellungen der Vorlage konnten nicht gelesen werden.");
            return false;
        }
        QSqlDatabase con = m_db.connection();
        QSqlQuery q(con);
        // The file gets its final name only once complete, so its writes
        // need no journal on disk and no waiting for the disk.
        if (!exec(q, QStringLiteral("PRAGMA journal_mode = MEMORY"), error)
            || !exec(q, QStringLiteral("PRAGMA synchronous = OFF"), error)
            || !exec(q, QStringLiteral("PRAGMA cache_size = -65536"), error))
            return false;
        q.finish();
        if (!con.transaction()) {
            *error = databaseReason(con.lastError());
            return false;
        }
        const bool ok = fillTables(settings, r, error);
        if (!ok || !con.commit()) {
            if (ok)
                *error = databaseReason(con.lastError());
            con.rollback();
            return false;
        }
        return true;
    }

private:
    bool fillTables(const CompanySettings& settings, Result* r, QString* error)
    {
        QSqlQuery q(m_db.connection());
        // The template's sample customer and article give way to the
        // generated ones, which are numbered from 1.
        if (!exec(q, QStringLiteral("DELETE FROM Kunden"), error) || !exec(q, QStringLiteral("DELETE FROM Artikel"), error)
            || !exec(q, QStringLiteral("DELETE FROM sqlite_sequence WHERE name IN ('Kunden', 'Artikel')"), error))
            return false;
        if (!insertCustomers(error) || !insertArticles(error))
            return false;
        // The generated invoices are issued ones; their lines are written
        // after their heads, which a locked invoice refuses. The lock comes
        // back as the template has it once all are written.
        if (!exec(q, QStringLiteral("SELECT Festschreiben FROM Einstellungen ORDER BY ID LIMIT 1"), error))
            return false;
        m_lock = q.next() ? q.value(0).toInt() : 0;
        q.finish();
        if (!exec(q, QStringLiteral("UPDATE Einstellungen SET Festschreiben = 0"), error))
            return false;
        r->customers = static_cast<qint64>(m_customers.size());
        r->articles = static_cast<qint64>(m_articles.size());
        return insertDocuments(settings, r, error);
    }

    bool insertCustomers(QString* error)
    {
        Random rng = stream(m_o.seed, 1);
        QSqlQuery q(m_db.connection());
        if (!prepare(q, QStringLiteral("INSERT INTO Kunden (a1, a2, a3, a8, a4, a5, a6, a7, a40, a9, n1) "
                                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     error))
            return false;
        m_customers.reserve(static_cast<size_t>(m_o.customers));
        for (qint64 i = 0; i < m_o.customers; ++i) {
            CustomerData c = makeCustomer(rng);
            for (const QString* v : {&c.salutation, &c.name, &c.firstName, &c.addition, &c.street, &c.place,
                                     &c.phone, &c.fax, &c.email, &c.skonto, &c.notes})
                bind(q, *v);
            if (!run(q, error))
                return false;
            c.id = q.lastInsertId().toLongLong();
            m_customers.push_back(std::move(c));
        }
        return true;
    }

    bool insertArticles(QString* error)
    {
        Random rng = stream(m_o.seed, 2);
        QSqlQuery q(m_db.connection());
        if (!prepare(q, QStringLiteral("INSERT INTO Artikel (a1, a2, a3, a4, a5, a19, n1) VALUES ('', ?, ?, ?, '', ?, ?)"),
                     error))
            return false;
        static const QStringList notes = words({"Lieferzeit ca. 2 Wochen", "Restposten", "Preis freibleibend"});
        m_articles.reserve(static_cast<size_t>(m_o.articles));
        for (qint64 i = 0; i < m_o.articles; ++i) {
            ArticleData a = makeArticle(rng, i, m_o.decimalSeparator);
            bind(q, a.number);
            bind(q, a.designation);
            bind(q, a.priceText);
            bind(q, a.rate);
            bind(q, rng.percent(10) ? pick(rng, notes) : QString());
            if (!run(q, error))
                return false;
            m_articles.push_back(std::move(a));
        }
        return true;
    }

    // Regular customers order more often: half the documents go to the
    // first fifth of the customers.
    const CustomerData& customerFor(Random& rng) const
    {
        const quint64 n = m_customers.size();
        const quint64 regulars = std::max<quint64>(1, n / 5);
        return m_customers[rng.percent(50) ? rng.below(regulars) : rng.below(n)];
    }

    void makeLines(Random& rng, const Document& doc, QList<LineData>* lines) const
    {
        lines->clear();
        const QChar sep = m_o.decimalSeparator;
        qint64 count = rng.between(1, 2 * m_o.linesPerDocument - 1);
        // Now and then a discount on the whole document, as its last line.
        const bool discounted = count > 1 && rng.percent(2);
        if (discounted)
            --count;
        for (qint64 i = 0; i < count; ++i) {
            LineData line;
            // The first line always carries an amount, so every document has totals.
            if (i > 0 && rng.percent(8)) {
                line.designation = rng.percent(30) ? QStringLiteral("Leistungszeitraum: ")
                        + monthNames().at(doc.date.month() - 1) + QLatin1Char(' ') + QString::number(doc.date.year())
                                                   : pick(rng, textLines());
                lines->append(line);
                continue;
            }
            const ArticleData& a = m_articles[rng.below(m_articles.size())];
            const Decimal quantity = quantityFor(rng, a);
            line.quantity = plainNumberText(quantity, sep);
            line.unit = a.number;
            line.designation = a.designation;
            if (rng.percent(5))
                line.designation += QLatin1Char('\n') + pick(rng, descriptionDetails());
            line.price = a.priceText;
            line.rate = a.rate;
            line.amount = amountText(quantity * a.price, sep);
            lines->append(line);
        }
        if (discounted) {
            Decimal sum;
            for (const LineData& l : std::as_const(*lines)) {
                if (l.rate == QLatin1String("19"))
                    sum += localeNumber(l.amount, sep).value_or(Decimal());
            }
            const Decimal discount = -(sum * Decimal::fromRaw(Decimal::kScale * 3 / 100)).rounded(2);
            if (!discount.isZero()) {
                LineData l;
                l.quantity = QStringLiteral("1");
                l.designation = QStringLiteral("abzüglich 3 % Rabatt");
                l.price = amountText(discount, sep);
                l.amount = l.price;
                l.rate = QStringLiteral("19");
                lines->append(l);
            }
        }
    }

    bool insertDocuments(const CompanySettings& settings, Result* r, QString* error)
    {
        Random rng = stream(m_o.seed, 3);
        const QChar sep = m_o.decimalSeparator;
        const QDate first(m_o.lastYear - 9, 1, 1);
        const QDate last(m_o.lastYear, 12, 31);
        const qint64 days = first.daysTo(last) + 1;

        // Documents are written in the order they were made, so that
        // invoice numbers rise with the date as the program gives them.
        std::vector<Document> docs(static_cast<size_t>(m_o.documents));
        for (Document& d : docs) {
            d.date = first.addDays(static_cast<qint64>(rng.below(static_cast<quint64>(days))));
            d.quote = rng.percent(12);
        }
        std::stable_sort(docs.begin(), docs.end(), [](const Document& a, const Document& b) { return a.date < b.date; });

        QSqlQuery head(m_db.connection());
        QSqlQuery line(m_db.connection());
        if (!prepare(head,
                     QStringLiteral("INSERT INTO Rechnungen (a7, a8, a156, a1, a2, a3, a4, a5, b1, b10, "
                                    "a14, a19, a20, a21, a30, a31, a75, a6, a26, b2, opt1) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     error)
            || !prepare(line, QStringLiteral("INSERT INTO Verkauf (a1, a2, a3, n1, a4, a19, a5) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                        error))
            return false;

        TotalsInput in;
        in.vatRate1 = settings.vatRate1();
        in.vatRate2 = settings.vatRate2();
        in.basis = PriceBasis::Net;
        in.skontoDays = settings.skontoDays();
        in.skontoPercent = settings.skontoPercent();
        in.currency = settings.currency();
        in.decimalSeparator = sep;

        qint64 nextNumber = leadingNumber(settings.nextInvoiceNumber()).toLongLong();
        if (nextNumber <= 0)
            nextNumber = 1000;
        const QDate recent = last.addDays(-60);
        QList<LineData> lines;
        for (const Document& doc : docs) {
            const CustomerData& c = customerFor(rng);
            makeLines(rng, doc, &lines);
            in.lines.clear();
            for (const LineData& l : std::as_const(lines))
                in.lines.append({l.amount, l.rate});
            in.customerSkonto = c.skonto;
            in.documentDate = dateText(doc.date);
            const TotalsResult totals = berechnen(in);
            if (!totals.ok()) {
                *error = totals.message;
                return false;
            }
            const Totals& t = totals.totals;
            // Older invoices are nearly all paid, the latest ones mostly open.
            const bool paid = !doc.quote && rng.percent(doc.date < recent ? 97 : 30);

            bind(head, doc.quote ? QString() : QString::number(nextNumber++));
            bind(head, in.documentDate);
            bind(head, doc.quote ? QStringLiteral("Angebot") : QStringLiteral("Rechnung"));
            for (const QString& v : {c.salutation, c.nameLine(), c.addition, c.street, c.place,
                                     QString::number(c.id), c.email, t.net, t.mw1, t.mw2, t.mw3, t.vat1, t.vat2,
                                     t.vatTotal, t.gross, t.vatSummary, t.skontoText})
                bind(head, v);
            head.addBindValue(paid ? -1 : 0);
            if (!run(head, error))
                return false;
            const QString id = QString::number(head.lastInsertId().toLongLong());
            for (const LineData& l : std::as_const(lines)) {
                for (const QString* v : {&id, &l.quantity, &l.unit, &l.designation, &l.price, &l.rate, &l.amount})
                    bind(line, *v);
                if (!run(line, error))
                    return false;
            }
            ++r->documents;
            r->lines += lines.size();
        }

        QSqlQuery q(m_db.connection());
        if (!prepare(q, QStringLiteral("UPDATE Einstellungen SET Rechnungsnummer = ?, Festschreiben = ?"), error))
            return false;
        q.addBindValue(QString::number(nextNumber));
        q.addBindValue(m_lock);
        return run(q, error);
    }

    const Database& m_db;
    const Options& m_o;
    std::vector<CustomerData> m_customers;
    std::vector<ArticleData> m_articles;
    int m_lock = 0; // the template's Festschreiben
};

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString checkOptions(const Options& o)
{
    const auto range = [](const char* what, qint64 value, qint64 low, qint64 high) -> QString {
        if (value >= low && value <= high)
            return {};
        return QStringLiteral("Die Anzahl %1 muss zwischen %2 und %3 liegen (angegeben: %4).")
            .arg(QString::fromUtf8(what))
            .arg(low)
            .arg(high)
            .arg(value);
    };
    QString why = range("der Dokumente", o.documents, 0, kMaxDocuments);
    if (why.isEmpty())
        why = range("der Kunden", o.customers, 1, kMaxCustomers);
    if (why.isEmpty())
        why = range("der Artikel", o.articles, 1, kMaxArticles);
    if (why.isEmpty())
        why = range("der Positionen je Dokument", o.linesPerDocument, 1, kMaxLinesPerDocument);
    if (!why.isEmpty())
        return why;
    if (o.documents * o.linesPerDocument > kMaxTotalLines)
        return QStringLiteral("Dokumente mal Positionen je Dokument ergeben mehr als %1 Positionen; "
                              "so große Datenbanken werden nicht erzeugt.")
            .arg(kMaxTotalLines);
    if (o.lastYear < 1910 || o.lastYear > 9999)
        return QStringLiteral("Das letzte Jahr muss zwischen 1910 und 9999 liegen (angegeben: %1).").arg(o.lastYear);
    if (o.decimalSeparator != QLatin1Char(',') && o.decimalSeparator != QLatin1Char('.'))
        return QStringLiteral("Das Dezimaltrennzeichen muss \",\" oder \".\" sein.");
    return {};
}

Result generate(const QString& path, const Options& options)
{
    Result r;
    r.message = checkOptions(options);
    if (!r.message.isEmpty()) {
        r.status = Result::Status::InvalidOptions;
        return r;
    }
    const QFileInfo info(path);
    if (path.trimmed().isEmpty()) {
        r.status = Result::Status::Refused;
        r.message = QStringLiteral("Es wurde kein Dateiname für die neue Datenbank angegeben.");
        return r;
    }
    if (info.exists() || info.isSymLink()) {
        r.status = Result::Status::Refused;
        r.message = QStringLiteral("Die Datei „%1“ existiert bereits. Eine vorhandene Datenbank wird nicht überschrieben.")
                        .arg(shown(path));
        return r;
    }

    // Filled under a temporary name beside the target: a file carrying the
    // final name is always a complete database. The name carries the
    // process, so that the next run removes what a killed one left.
    const QString folder = info.absolutePath();
    const QString prefix = info.fileName() + QLatin1Char('.');
    leftovers::removeAbandoned(folder, prefix, QStringLiteral("erzeugen"), QString());
    const QString temp = leftovers::temporaryName(folder, prefix, QStringLiteral("erzeugen"), QString());
    QString message;
    if (!Database::createFromTemplate(temp, options.decimalSeparator, &message)) {
        r.status = Result::Status::Refused;
        r.message = message;
        return r;
    }
    const auto dropTemp = [&] {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
    };
    bool filled = false;
    QString error;
    {
        Database db;
        if (db.open(temp, &message)) {
            Filler filler(db, options);
            filled = filler.fill(&r, &error);
            db.close();
        } else {
            error = message;
        }
    }
    // The file was written without waiting for the disk; it goes onto the
    // medium before it takes its final name.
    if (filled && !syncToDisk(temp, &error))
        filled = false;
    if (!filled) {
        dropTemp();
        const Result::Status status = Result::Status::Failed;
        r = Result();
        r.status = status;
        r.message = QStringLiteral("Die Datenbank „%1“ konnte nicht erzeugt werden (%2).").arg(shown(path), error);
        return r;
    }
    // QFile::rename never replaces a file that appeared meanwhile.
    if (!QFile::rename(temp, path)) {
        dropTemp();
        const bool exists = QFileInfo::exists(path);
        r = Result();
        r.status = exists ? Result::Status::Refused : Result::Status::Failed;
        r.message = exists ? QStringLiteral("Die Datei „%1“ existiert bereits. Eine vorhandene Datenbank wird nicht "
                                            "überschrieben.")
                                 .arg(shown(path))
                           : QStringLiteral("Die neue Datenbank „%1“ konnte nicht unter ihrem Namen gespeichert werden.")
                                 .arg(shown(path));
        return r;
    }
    r.status = Result::Status::Written;
    return r;
}

} // namespace quittora::generator
