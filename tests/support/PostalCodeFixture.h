#pragma once

#include "tools/PostalCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <array>

namespace quittora::test {

// A few postal codes of each country as GeoNames CSV files in a temporary
// folder, and (on request) the postal-code database built from them.
//
// Germany, in file order (the natural order of the table):
//   0 12345 Zeuthen     3 10117 Berlin      6 52062 Aachen      9 80331 München
//   1 10115 Berlin      4 01067 Dresden     7 16321 bernau bei Berlin (lower case on purpose)
//   2 12349 Berlin      5 75248 Ölbronn-Dürrn 8 12345 Eichwalde 10 29633 Munster
// Austria: 8010 Graz, 1010 Wien, 5020 Salzburg, 1020 Wien.
// Switzerland: 8001 Zürich, 3000 Bern, 1201 Genève.
class PostalCodeFixture {
public:
    static constexpr const char* kHeader =
        "country_code,zipcode,place,state,state_code,province,province_code,community,community_code,latitude,longitude\n";

    PostalCodeFixture()
    {
        writeFile(QStringLiteral("de.csv"),
                  QString::fromUtf8(kHeader)
                      + QStringLiteral(
                          "DE,12345,Zeuthen,Brandenburg,12,,00,Landkreis Dahme-Spreewald,12061,52.35,13.62\n"
                          "DE,10115,Berlin,Berlin,11,,00,\"Berlin, Stadt\",11000,52.53,13.38\n"
                          "DE,12349,Berlin,Berlin,11,,00,\"Berlin, Stadt\",11000,52.43,13.43\n"
                          "DE,10117,Berlin,Berlin,11,,00,\"Berlin, Stadt\",11000,52.51,13.39\n"
                          "DE,01067,Dresden,Sachsen,13,Direktionsbezirk Dresden,00,\"Dresden, Stadt\",14612,51.05,13.72\n"
                          "DE,75248,Ölbronn-Dürrn,Baden-Württemberg,01,Regierungsbezirk Karlsruhe,082,Enzkreis,08236,48.96,8.74\n"
                          "DE,52062,Aachen,Nordrhein-Westfalen,05,Regierungsbezirk Köln,053,Städteregion Aachen,05334,50.77,6.08\n"
                          "DE,16321,bernau bei Berlin,Brandenburg,12,,00,Landkreis Barnim,12060,52.68,13.58\n"
                          "DE,12345,Eichwalde,Brandenburg,12,,00,Landkreis Dahme-Spreewald,12061,52.37,13.61\n"
                          "DE,80331,München,Bayern,02,Regierungsbezirk Oberbayern,091,\"München, Landeshauptstadt\",09162,48.14,11.57\n"
                          "DE,29633,Munster,Niedersachsen,06,,00,Landkreis Heidekreis,03358,52.98,10.08\n"));
        writeFile(QStringLiteral("at.csv"),
                  QString::fromUtf8(kHeader)
                      + QStringLiteral("AT,8010,Graz,Steiermark,06,Graz(Stadt),601,Graz,60101,47.07,15.44\n"
                                       "AT,1010,Wien,Wien,09,Wien Stadt,900,Wien,90001,48.21,16.37\n"
                                       "AT,5020,Salzburg,Salzburg,05,Salzburg Stadt,501,Salzburg,50101,47.80,13.04\n"
                                       "AT,1020,Wien,Wien,09,Wien Stadt,900,,,48.22,16.40\n"));
        writeFile(QStringLiteral("ch.csv"),
                  QString::fromUtf8(kHeader)
                      + QStringLiteral("CH,8001,Zürich,Kanton Zürich,ZH,Bezirk Zürich,112,Zürich,261,47.37,8.54\n"
                                       "CH,3000,Bern,Kanton Bern,BE,Verwaltungskreis Bern-Mittelland,246,Bern,351,46.95,7.45\n"
                                       "CH,1201,Genève,Canton de Genève,GE,Genève,2500,Genève,6621,46.21,6.14\n"));
    }

    bool isValid() const { return m_dir.isValid(); }
    QString folder() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    std::array<QString, 3> csvFiles() const
    {
        return {filePath(QStringLiteral("de.csv")), filePath(QStringLiteral("at.csv")),
                filePath(QStringLiteral("ch.csv"))};
    }

    // Writes text as UTF-8 into the folder; the file's path.
    QString writeFile(const QString& name, const QString& text) const { return writeBytes(name, text.toUtf8()); }
    QString writeBytes(const QString& name, const QByteArray& bytes) const
    {
        const QString path = filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
        return path;
    }

    // Builds the database from the three files (into a subfolder "Programm"
    // by default, as it lies beside the program); its path, empty on failure.
    QString buildDatabase(const QString& name = QStringLiteral("Programm/plz.mdb")) const
    {
        const QString target = filePath(name);
        QDir().mkpath(QFileInfo(target).absolutePath());
        return plz::importPostalCodes(target, csvFiles()).ok ? target : QString();
    }

private:
    QTemporaryDir m_dir;
};

} // namespace quittora::test
