#pragma once

#include <QChar>
#include <QString>

#include <cstdint>

namespace quittora {

// Builds large, realistic Quittora databases for benchmarks and tests:
// German customers, articles with units and prices, and invoices and quotes
// over ten years whose stored totals are exactly what `berechnen` computes.
// The same options (seed included) always give the same data.
namespace generator {

struct Options {
    qint64 documents = 50000;
    qint64 customers = 5000;
    qint64 articles = 5000;
    // Average number of lines of a document: each has between 1 and
    // 2 × linesPerDocument − 1 lines, so the database holds about
    // documents × linesPerDocument lines.
    qint64 linesPerDocument = 10;
    quint64 seed = 1;
    // The documents are dated over the ten years ending with this one.
    int lastYear = 2025;
    // Separator of the amounts, as the program's locale would write them.
    QChar decimalSeparator = QLatin1Char(',');
};

// Limits beyond which a size makes no sense for a small business's database
// (and a generated file would run to many gigabytes).
inline constexpr qint64 kMaxDocuments = 5000000;
inline constexpr qint64 kMaxCustomers = 1000000;
inline constexpr qint64 kMaxArticles = 1000000;
inline constexpr qint64 kMaxLinesPerDocument = 1000;
inline constexpr qint64 kMaxTotalLines = 50000000;

// Empty when the options are usable; otherwise the German reason.
// At least one customer and one article; documents may be 0.
QString checkOptions(const Options& options);

struct Result {
    enum class Status {
        Written,
        InvalidOptions, // checkOptions failed; nothing was created
        Refused,        // the file exists already or cannot be created there
        Failed,         // generation failed; no file was left behind
    };
    Status status = Status::Failed;
    QString message; // German reason when not Written
    qint64 documents = 0;
    qint64 lines = 0;
    qint64 customers = 0;
    qint64 articles = 0;

    bool ok() const { return status == Status::Written; }
};

// Creates a new database at path from the installation template and fills
// it: the template's sample customer and article are replaced by the
// generated ones, invoices are numbered in date order from the template's
// next invoice number (which is then advanced), quotes have no number.
// Never overwrites a file; the file appears only once it is complete.
Result generate(const QString& path, const Options& options);

// The pseudo-random numbers behind the data (SplitMix64): small, fast and
// the same on every platform, unlike the standard library's distributions.
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n); 0 when n is 0.
    quint64 below(quint64 n)
    {
        return static_cast<quint64>((static_cast<unsigned __int128>(next()) * n) >> 64);
    }
    // Uniform in [low, high].
    qint64 between(qint64 low, qint64 high)
    {
        return low + static_cast<qint64>(below(static_cast<quint64>(high - low) + 1));
    }
    // True with the given chance in percent.
    bool percent(int chance) { return below(100) < static_cast<quint64>(chance); }

private:
    quint64 m_state;
};

} // namespace generator

} // namespace quittora
