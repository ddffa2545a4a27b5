#include "print/GiroCode.h"

#include "data/CompanySettings.h"
#include "data/Identifiers.h"
#include "data/Numbers.h"

#include <qrencode.h>

#include <memory>

namespace quittora {

QString GiroCode::payload() const
{
    // Service tag, version, character set (1 = UTF-8), identification, BIC,
    // name, IBAN, amount, purpose, structured reference, remittance text.
    return QStringList{QStringLiteral("BCD"),   QStringLiteral("002"), QStringLiteral("1"),
                       QStringLiteral("SCT"),   bic,                   name.left(70),
                       iban,                    QStringLiteral("EUR") + amount,
                       QString(),               QString(),             remittance.left(140)}
        .join(QLatin1Char('\n'));
}

std::optional<GiroCode> giroCodeFor(const documents::Head& head, const CompanySettings& settings, QChar decimalSeparator)
{
    if (head.kind.left(2) == QLatin1String("An") || head.number.trimmed().isEmpty())
        return std::nullopt;
    const QString currency = settings.currency().trimmed();
    if (!(currency.isEmpty() || currency == QStringLiteral("€") || currency.compare(QLatin1String("EUR"), Qt::CaseInsensitive) == 0))
        return std::nullopt;
    GiroCode code;
    code.iban = ids::normaliseIban(settings.text(QStringLiteral("IBAN")));
    if (code.iban.isEmpty() || !ids::ibanProblem(code.iban).isEmpty())
        return std::nullopt;
    const QString bic = ids::normaliseBic(settings.text(QStringLiteral("BIC")));
    code.bic = ids::bicProblem(bic).isEmpty() ? bic : QString();
    const auto due = localeNumber(head.gross, decimalSeparator);
    // The standard's range: 0.01 to 999999999.99 euros.
    if (!due || due->isNegative() || due->isZero() || *due > Decimal::fromInt(999999999))
        return std::nullopt;
    code.amount = due->rounded(2).toFixed(2);
    code.name = settings.text(QStringLiteral("Kontoinhaber")).trimmed();
    if (code.name.isEmpty())
        code.name = settings.text(QStringLiteral("Titel")).trimmed();
    if (code.name.isEmpty())
        return std::nullopt;
    code.remittance = QStringLiteral("Rechnung ") + head.number.trimmed();
    return code;
}

QImage giroCodeImage(const QString& payload, int pixelsPerModule)
{
    const QByteArray data = payload.toUtf8();
    const std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeData(int(data.size()), reinterpret_cast<const unsigned char*>(data.constData()), 0, QR_ECLEVEL_M),
        QRcode_free);
    if (!code)
        return {};
    constexpr int kQuiet = 4;
    const int modules = code->width + 2 * kQuiet;
    QImage image(modules * pixelsPerModule, modules * pixelsPerModule, QImage::Format_Mono);
    image.fill(1); // index 1 is white in the table below
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (!(code->data[y * code->width + x] & 1))
                continue;
            for (int dy = 0; dy < pixelsPerModule; ++dy) {
                for (int dx = 0; dx < pixelsPerModule; ++dx)
                    image.setPixel((x + kQuiet) * pixelsPerModule + dx, (y + kQuiet) * pixelsPerModule + dy, 0);
            }
        }
    }
    return image;
}

} // namespace quittora
