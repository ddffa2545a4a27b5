#include "support/SampleDocuments.h"

namespace quittora::test {

SampleDocuments::SampleDocuments(TempDatabase& db)
{
    mueller = db.addCustomer(QStringLiteral("Müller"), QStringLiteral("Hans"), {{QStringLiteral("a8"), QStringLiteral("Bäckerei")}});
    schmidt = db.addCustomer(QStringLiteral("Schmidt"), QStringLiteral("Eva"));
    abele = db.addCustomer(QStringLiteral("Abele"), QString());

    db.addArticle(QStringLiteral("100"), QStringLiteral("Brot"), QStringLiteral("3,50"), QStringLiteral("7"));
    db.addArticle(QStringLiteral("200"), QStringLiteral("Beratung"), QStringLiteral("80,00"));
    db.addArticle(QStringLiteral("300"), QStringLiteral("Anfahrt"), QStringLiteral("25,00"));

    auto head = [](const char* name, const char* addition, qint64 customer) {
        return QVariantMap{{QStringLiteral("a2"), QString::fromUtf8(name)},
                           {QStringLiteral("a3"), QString::fromUtf8(addition)},
                           {QStringLiteral("b1"), QString::number(customer)}};
    };
    doc1 = db.addDocument(QStringLiteral("1001"), QStringLiteral("01.03.2024"), QStringLiteral("Rechnung"), false,
                          head("Hans Müller", "Bäckerei", mueller));
    doc2 = db.addDocument(QStringLiteral("1002"), QStringLiteral("02.03.2024"), QStringLiteral("Rechnung"), true,
                          head("Eva Schmidt", "", schmidt));
    doc3 = db.addDocument(QStringLiteral("2001"), QStringLiteral("03.03.2024"), QStringLiteral("Angebot"), false,
                          head("Firma Abele", "z. Hd. Frau Müller", abele));
    doc4 = db.addDocument(QStringLiteral("1003"), QStringLiteral("04.03.2024"), QStringLiteral("Rechnung"), false,
                          head("Otto Weg", "", 9999));

    db.addLine(doc1, QStringLiteral("2"), QStringLiteral("Brot"), QStringLiteral("3,50"), QStringLiteral("7,00"), QStringLiteral("7"));
    db.addLine(doc1, QStringLiteral("1"), QStringLiteral("Anfahrt"), QStringLiteral("25,00"), QStringLiteral("25,00"));
    db.addLine(doc2, QStringLiteral("3"), QStringLiteral("Beratung"), QStringLiteral("80,00"), QStringLiteral("240,00"));
    db.addLine(doc3, QStringLiteral("1"), QStringLiteral("Beratung"), QStringLiteral("80,00"), QStringLiteral("80,00"));
    db.addLine(doc3, QStringLiteral("1"), QStringLiteral("Anfahrt"), QStringLiteral("25,00"), QStringLiteral("25,00"));
    db.addLine(doc3, QString(), QStringLiteral("Vielen Dank"), QString(), QString(), QString());
    db.addLine(doc4, QStringLiteral("5"), QStringLiteral("Brot"), QStringLiteral("3,50"), QStringLiteral("17,50"), QStringLiteral("7"));
}

} // namespace quittora::test
