#include "data/SearchCriterion.h"

#include "data/JetLike.h"

#include <QRegularExpression>

namespace quittora {

namespace {

// The whole number a pattern stands for when it has no wildcards and is
// written as SQLite writes integers: no sign but "-", no leading zeros.
bool wholeNumber(const QString& pattern, qlonglong* value)
{
    static const QRegularExpression canonical(QStringLiteral("^(0|-?[1-9][0-9]{0,17})$"));
    if (!canonical.match(pattern).hasMatch())
        return false;
    bool ok = false;
    *value = pattern.toLongLong(&ok);
    return ok;
}

} // namespace

SearchCriterion indexableCriterion(const QString& criterion, const QVariantList& params,
                                   const std::function<FieldKind(const QString& field)>& kindOf)
{
    const SearchCriterion unchanged{criterion, params};
    // "field LIKE ?" or "IFNULL(field, '') LIKE ?" (a missing value as empty
    // text, which no pattern with a leading character matches either).
    static const QRegularExpression singleLike(
        QStringLiteral("^\\s*(?:IFNULL\\s*\\(\\s*\\[?([A-Za-z_][A-Za-z0-9_]*)\\]?\\s*,\\s*''\\s*\\)"
                       "|\\[?([A-Za-z_][A-Za-z0-9_]*)\\]?)\\s+LIKE\\s+\\?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = singleLike.match(criterion);
    if (!m.hasMatch() || params.size() != 1 || params.first().typeId() != QMetaType::QString)
        return unchanged;
    const QString field = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    const QString pattern = params.first().toString();
    switch (kindOf(field)) {
    case FieldKind::Text: {
        const auto range = likePrefixRange(pattern);
        if (!range)
            return unchanged;
        // The criterion itself still decides; the range only narrows.
        return {field + QStringLiteral(" >= ? COLLATE NOCASE AND ") + field + QStringLiteral(" < ? COLLATE NOCASE AND (")
                    + criterion.trimmed() + QLatin1Char(')'),
                {range->low, range->high, pattern},
                true};
    }
    case FieldKind::RowId: {
        qlonglong id = 0;
        if (!wholeNumber(pattern, &id))
            return unchanged;
        return {field + QStringLiteral(" = ?"), {id}, true};
    }
    case FieldKind::Other:
        break;
    }
    return unchanged;
}

} // namespace quittora
