#include "print/Letterhead.h"

#include "data/CompanySettings.h"
#include "data/Numbers.h"
#include "print/PrintCursor.h"

#include <QImageReader>

#include <optional>

namespace quittora {

namespace {

using namespace literals;

QString field(const CompanySettings& s, const char* name)
{
    return s.text(QString::fromLatin1(name));
}

std::optional<Millimetres> millimetres(const QString& text, QChar decimalSeparator)
{
    const auto d = localeNumber(text, decimalSeparator);
    if (!d)
        return std::nullopt;
    bool ok = false;
    const double v = d->toString().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return Millimetres(v);
}

} // namespace

void Kopf_drucken(PrintCursor& p, const CompanySettings& company, const QColor& titleColour,
                  QChar decimalSeparator)
{
    const QString titel = field(company, "Titel");
    const QString strasse = field(company, "frei2");
    const QString ort = field(company, "frei3");
    const QString tel = field(company, "Tel");
    const QString fax = field(company, "Fax");
    const QString mobil = field(company, "Einst15");

    p.FontName = QStringLiteral("Andy");
    p.FontSize = 18;
    p.ForeColor = titleColour;
    p.FontBold = true;
    p.PrintAt(20_mm, 15_mm, titel);

    // The size changes with the title's bold flag still set: "Zusatz" is bold.
    p.FontName = QStringLiteral("Arial");
    p.FontSize = 10.5;
    p.ForeColor = Qt::black;
    p.PrintAt(20_mm, 25_mm, field(company, "frei4"));

    p.FontBold = false;
    p.PrintAt(135_mm, 20_mm, strasse);
    p.PrintAt(135_mm, 25_mm, ort);

    // Contact lines keep their places when one before them is missing.
    p.FontSize = 7.5;
    if (!tel.isEmpty())
        p.PrintAt(135_mm, 34_mm, QStringLiteral("Telefon   ") + tel);
    if (!fax.isEmpty())
        p.PrintAt(135_mm, 37.5_mm, QStringLiteral("Telefax   ") + fax);
    if (!mobil.isEmpty())
        p.PrintAt(135_mm, 41_mm, QStringLiteral("Mobil  ") + mobil);
    p.PrintAt(135_mm, 46.5_mm, field(company, "Einst1"));
    p.PrintAt(135_mm, 50_mm, field(company, "Einst2"));

    p.FontUnderline = true;
    p.PrintAt(23_mm, 49_mm, titel + QStringLiteral(" * ") + strasse + QStringLiteral(" * ") + ort);
    p.FontUnderline = false;

    Logo_drucken(p, company, decimalSeparator);
}

bool Logo_drucken(PrintCursor& p, const CompanySettings& company, QChar decimalSeparator)
{
    const QString path = field(company, "Memo10");
    if (path.trimmed().isEmpty())
        return false;
    const auto x = millimetres(field(company, "Einst3"), decimalSeparator);
    const auto y = millimetres(field(company, "Einst4"), decimalSeparator);
    const auto height = millimetres(field(company, "Einst5"), decimalSeparator);
    if (!x || !y || !height)
        return false;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    return p.PaintPicture(image, *x, *y, *height);
}

} // namespace quittora
