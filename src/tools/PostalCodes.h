#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quittora::plz {

// The postal-code database beside the program: an SQLite file that keeps the
// name it always had. One table per country, each with the fields
// Postleitzahl, Ort, Zusatz, Bundesland, the search key of the town
// (OrtSortierung) and each row's position in the two sorted orders (NrPlz,
// NrOrt); the rowid is the position in file order plus one. Indexed for both
// sort orders of the lookup and for reading rows by position.
inline constexpr const char* kFileName = "plz.mdb";
// PRAGMA application_id of a postal-code database ("QPLZ"), so that a refresh
// never replaces a file that is something else.
inline constexpr int kApplicationId = 0x51504C5A;
inline constexpr int kUserVersion = 1;

enum class Country { Deutschland = 0, Oesterreich = 1, Schweiz = 2 };
inline constexpr std::array<Country, 3> kCountries = {Country::Deutschland, Country::Oesterreich, Country::Schweiz};

QString tableName(Country country);   // "tblPostleitzahlen", "tbl_PLZ_Österreich", "tbl_PLZ_Schweiz"
QString countryCaption(Country country); // "Deutschland", "Österreich", "Schweiz"

// The setting "Start-PLZ": "0", "1" or "2"; anything else selects no country.
std::optional<Country> countryFromSetting(const QString& value);
QString settingValue(Country country);

// plz.mdb beside the program, or else in the installed share folder
// (programFilePath).
QString databasePath(const QString& programFolder);

// The order of the lookup's list. Natural is the order of the table (as
// imported); the two sort buttons give ByCode ("Order by Postleitzahl, Ort")
// and ByTown ("Order by Ort, Postleitzahl"). Towns sort as a German reader
// expects: letter case, umlauts and accents do not separate "Ärzen" from the
// A towns.
enum class SortOrder { Natural, ByCode, ByTown };

// The key a town sorts and is found by: case-folded, accents and umlauts
// reduced to their base letter, "ß" as "ss". Built character by character,
// so two texts that match letter by letter regardless of case have keys that
// match as well (the town search narrows its index range with it).
QString townKey(QStringView town);

// What one change of the search text asks for.
struct SearchPlan {
    enum class Field { Code, Town };
    Field field = Field::Town;
    // The order the list is put into before the search; nothing: it stays.
    std::optional<SortOrder> sortFirst;
    // The typed part the field must begin with (the search pattern is this
    // followed by "*", with the program's wildcards).
    QString prefix;
};

// The search rules of the lookup for the search text t:
//   "D-" / "D " + up to 5 characters     -> code, the list keeps its order
//   "A-" / "A " + up to 4 characters     -> code (the country prefix only sets
//   "CH-" / "CH " + up to 4 characters   -> code  how much is taken; the table
//                                                 stays the one chosen)
//   leading number above 0               -> sort by code; code, first 5 characters
//   anything else, also empty            -> sort by town; town, the whole text
// A code part ends at its first blank ("1010 Wien" looks for 1010), since no
// postal code contains one.
SearchPlan planSearch(const QString& text);

// Text taken over into the customer's "Plz / Ort": code, one blank, town.
QString takeOverText(const QString& code, const QString& town);

// One row of a postal-code table.
struct PostalCode {
    QString postleitzahl;
    QString ort;
    QString zusatz;
    QString bundesland;
    friend bool operator==(const PostalCode&, const PostalCode&) = default;
};

// Reads comma-separated text as spreadsheets and the postal-code data write it:
// fields in double quotes may hold commas, line breaks and doubled quotes
// (""); unquoted fields are taken as they stand; a record ends at LF or CR LF.
// Lines that are completely empty are skipped. A quote that is never closed
// is an error, since where the record ends is then unknown.
class CsvReader {
public:
    explicit CsvReader(QString text);

    // The next record; false at the end or on an error (then error() says why).
    bool readRecord(QStringList* fields);
    QString error() const { return m_error; }
    // The line (1-based) where the last record read began.
    int recordLine() const { return m_recordLine; }

private:
    QString m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_recordLine = 0;
    QString m_error;
};

// The rows of one country's CSV file (GeoNames layout, first line the column
// names): Postleitzahl = zipcode, Ort = place, Bundesland = state (German name), Zusatz =
// community, or province where community is empty. Values are trimmed; rows
// without code or town are skipped and counted.
struct CsvRows {
    QList<PostalCode> rows;
    int skipped = 0;
};
// A state as the lookup shows it: the German name where the data has an
// English one ("Bavaria" -> "Bayern"); any other name as it is.
QString germanStateName(const QString& state);

// Reads a UTF-8 file. nullopt with a German *message when the file cannot be
// read, is no UTF-8 text, lacks the zipcode or place column or is malformed.
std::optional<CsvRows> readPostalCodeCsv(const QString& path, QString* message);

struct ImportResult {
    bool ok = false;
    QString message;             // German; why nothing was changed
    std::array<int, 3> rows{};   // per country, in the order of kCountries
    std::array<int, 3> skipped{};
};

// Builds the postal-code database target from the three CSV files (Germany,
// Austria, Switzerland). Every file is read and checked before anything is
// written; the database is written under a temporary name beside target and
// then put in target's place in one step, replacing an older postal-code
// database. A file without any postal code is refused (a refresh must not
// empty a country), and so is a target that exists but is no postal-code
// database. On failure target stays as it was.
ImportResult importPostalCodes(const QString& target, const std::array<QString, 3>& csvFiles);

// True when path is an SQLite file with the postal-code application id or
// the three tables (never writes to it).
bool isPostalCodeDatabase(const QString& path);

} // namespace quittora::plz
