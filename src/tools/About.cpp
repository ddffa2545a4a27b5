#include "tools/About.h"

namespace quittora {

const Publisher& publisher()
{
    static const Publisher p{
        QStringLiteral("Veltrin"),
        QStringLiteral("Am Beispielhof 12"),
        QStringLiteral("12345 Musterstadt"),
        QStringLiteral("Telefon 01234 567890"),
        QStringLiteral("www.veltrin.example"),
        QStringLiteral("support@veltrin.example"),
    };
    return p;
}

QString publisherWebUrl() { return QStringLiteral("https://") + publisher().web; }

QString publisherMailUrl() { return QStringLiteral("mailto:") + publisher().email; }

QStringList publisherAddressLines()
{
    const Publisher& p = publisher();
    return {p.name, p.street, p.town, p.telephone};
}

QString disclaimerText()
{
    return QStringLiteral(
        "Für die Richtigkeit der Berechnungen in diesem Programm übernehme ich keine Gewährleistung. "
        "Der Benutzer dieses Programmes muß sich daher von der Korrektheit der  Rechnungsbeträge sowie der "
        "Buchungsdaten überzeugen. Für Schäden, die durch die Benutzung dieser Software hervorgerufen werden, "
        "übernehme ich keine Verantwortung.");
}

QString postalCodeCredit()
{
    return QStringLiteral("Postleitzahlen: GeoNames (www.geonames.org), Lizenz CC BY 4.0");
}

} // namespace quittora
