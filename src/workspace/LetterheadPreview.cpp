#include "workspace/LetterheadPreview.h"

#include "data/CompanySettings.h"

namespace quittora {

namespace {

QString prefixed(const QString& prefix, const QString& value)
{
    return value.isEmpty() ? QString() : prefix + value;
}

// Caption and value of the bank line, with a blank between unless the
// caption brings its own.
QString joined(const QString& caption, const QString& value)
{
    if (caption.isEmpty() || value.isEmpty() || caption.back().isSpace())
        return caption + value;
    return caption + QLatin1Char(' ') + value;
}

} // namespace

QList<QPair<QString, QString>> letterheadPreviewTexts(const CompanySettings& s)
{
    auto f = [&s](const char* field) { return s.text(QString::fromLatin1(field)); };
    const QString star = QStringLiteral(" * ");
    return {
        {QStringLiteral("Label13"), f("Titel")},
        {QStringLiteral("Label15"), f("frei4")},
        {QStringLiteral("Label19"), f("frei2")},
        {QStringLiteral("Label21"), f("frei3")},
        {QStringLiteral("Label16"), joined(f("Einst26"), f("Bank"))},
        {QStringLiteral("Label22"), prefixed(QStringLiteral("Telefon  "), f("Tel"))},
        {QStringLiteral("Label26"), prefixed(QStringLiteral("Telefax  "), f("Fax"))},
        {QStringLiteral("Label27"), f("Einst1")},
        {QStringLiteral("Label28"), f("Einst2")},
        {QStringLiteral("Label34"), f("Memo1")},
        {QStringLiteral("Label35"), f("Memo2")},
        {QStringLiteral("Label36"), f("Memo3")},
        {QStringLiteral("Label18"), f("Titel") + star + f("frei2") + star + f("frei3")},
    };
}

} // namespace quittora
