#include "tools/SettingsRules.h"

#include "data/Numbers.h"
#include "platform/Context.h"
#include "platform/SettingsStore.h"

#include <QRegularExpression>

namespace quittora::settingsrules {

namespace {

bool isEditingCommand(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 || u == 0x7F) && c != kBackspaceKey && c != kEnterKey;
}

bool isDigitOrControlKey(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == kBackspaceKey || c == kEnterKey
        || isEditingCommand(c);
}

constexpr KeyDecision accept() { return {KeyDecision::Action::Accept, QChar()}; }
constexpr KeyDecision reject() { return {KeyDecision::Action::Reject, QChar()}; }

VatProblem checkRate(const QString& rate, QChar decimalSeparator)
{
    if (rate.trimmed().isEmpty())
        return VatProblem::Empty;
    if (!localeNumber(rate, decimalSeparator))
        return VatProblem::NotANumber;
    return VatProblem::None;
}

} // namespace

QString titleColourKey() { return QStringLiteral("Schriftfarbe Titel"); }
QString rechnungsbasisKey() { return QStringLiteral("Rechnungsbasis"); }
QString receiptConfirmationKey() { return QStringLiteral("Empfangsbestätigung"); }
QString giroCodeKey() { return QStringLiteral("GiroCode"); }

RegistryValues readRegistryValues(const SettingsStore& store)
{
    RegistryValues v;
    v.titleColour = colourFromNumber(store.value(titleColourKey(), QStringLiteral("0")));
    v.Rechnungsbasis = store.value(rechnungsbasisKey(), QStringLiteral("0")).trimmed() == QLatin1String("1") ? 1 : 0;
    v.receiptConfirmation = store.value(receiptConfirmationKey(), QStringLiteral("1")).trimmed() != QLatin1String("0");
    v.giroCode = store.value(giroCodeKey(), QStringLiteral("1")).trimmed() != QLatin1String("0");
    return v;
}

void writeRegistryValues(SettingsStore& store, const RegistryValues& values)
{
    store.setValue(titleColourKey(), colourNumber(values.titleColour));
    store.setValue(rechnungsbasisKey(), values.Rechnungsbasis == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    store.setValue(receiptConfirmationKey(), values.receiptConfirmation ? QStringLiteral("1") : QStringLiteral("0"));
    store.setValue(giroCodeKey(), values.giroCode ? QStringLiteral("1") : QStringLiteral("0"));
}

void loadRechnungsbasis(const SettingsStore& store, ProgramState& state)
{
    state.Rechnungsbasis = readRegistryValues(store).Rechnungsbasis;
}

QColor colourFromNumber(const QString& text, const QColor& fallback)
{
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok || n < 0 || n > 0xFFFFFF)
        return fallback;
    return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF));
}

QString colourNumber(const QColor& colour)
{
    const QColor c = colour.toRgb();
    const qlonglong n = qlonglong(c.red()) + qlonglong(c.green()) * 256 + qlonglong(c.blue()) * 65536;
    return QString::number(n);
}

QString withWebScheme(const QString& text)
{
    if (text.trimmed().isEmpty())
        return text;
    static const QRegularExpression scheme(QStringLiteral("^\\s*[A-Za-z][A-Za-z0-9+.-]*://"));
    if (scheme.match(text).hasMatch())
        return text;
    return QStringLiteral("http://") + text;
}

QString VatCheck::message() const
{
    if (ok())
        return {};
    if (rate1 == VatProblem::Empty || rate2 == VatProblem::Empty)
        return vatEmptyMessage();
    return vatNotANumberMessage();
}

VatCheck checkVatRates(const QString& rate1, const QString& rate2, QChar decimalSeparator)
{
    return {checkRate(rate1, decimalSeparator), checkRate(rate2, decimalSeparator)};
}

QString closingTitle() { return QStringLiteral("Quittora"); }

QString vatEmptyMessage() { return QStringLiteral("Die Felder für MwSt müssen einen Wert enthalten"); }

QString vatNotANumberMessage()
{
    return QStringLiteral("Die Felder für MwSt müssen eine Zahl enthalten, zum Beispiel 19 oder 7 (ohne %-Zeichen).");
}

KeyDecision copiesKey(QChar typed, QChar)
{
    if (isDigitOrControlKey(typed) || typed == QLatin1Char('-') || typed == QLatin1Char(','))
        return accept();
    return reject();
}

KeyDecision vatRateKey(QChar typed, QChar decimalSeparator)
{
    return amountKey(typed, decimalSeparator);
}

KeyDecision nextInvoiceNumberKey(QChar typed, QChar)
{
    return isDigitOrControlKey(typed) ? accept() : reject();
}

QString vatRate1WrongInputMessage() { return QStringLiteral("Falsche Eingabe!      nur Zahlenwerte erlaubt"); }

QSizeF fitIntoSquare(const QSizeF& natural, qreal side)
{
    if (natural.width() <= 0 || natural.height() <= 0 || side <= 0)
        return {};
    const qreal height = natural.height() / natural.width() * side;
    if (height > side)
        return {natural.width() / natural.height() * side, side};
    return {side, height};
}

QString logoFileFilter()
{
    return QStringLiteral("Alle Grafikdateien  (*.bmp *.gif *.jpg *.jpeg *.png);;"
                          "BMP Dateien (*.bmp);;"
                          "JPG Dateien (*.jpg *.jpeg);;"
                          "GIF Dateien (*.gif);;"
                          "PNG Dateien (*.png);;"
                          "alle Dateien (*.*)");
}

QString logoDialogTitle() { return QStringLiteral("Grafik einfügen"); }

QString logoNotReadableMessage(const QString& path)
{
    return QStringLiteral("Die Datei\n%1\nist keine lesbare Grafikdatei (BMP, GIF, JPG oder PNG).\n"
                          "Die Grafik wurde nicht übernommen.")
        .arg(path);
}

QString deliveryNoteTextAbove() { return QStringLiteral("Wir danken Ihnen für Ihre Bestellung"); }
QString deliveryNoteTextBelow() { return QStringLiteral("Ware erhalten / in Empfang genommen"); }

} // namespace quittora::settingsrules
