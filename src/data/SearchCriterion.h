#pragma once

#include <QString>
#include <QVariantList>

#include <functional>

namespace quittora {

// What a field of a table holds, as far as searching it is concerned.
enum class FieldKind {
    Text,  // TEXT: compared as text, indexed with NOCASE
    RowId, // the INTEGER PRIMARY KEY ID
    Other, // anything else (Yes/No fields, unknown names): left alone
};

struct SearchCriterion {
    QString sql;
    QVariantList params;
    // True when an index range or key answers it (it was rewritten).
    bool indexed = false;
};

// A search criterion that selects exactly the same records but that an index
// can answer. Only the forms of search as you type are rewritten; any other
// criterion comes back unchanged:
//   textField LIKE ?   (also IFNULL(textField, '') LIKE ?) with a pattern
//                      that begins with literal characters ("123*",
//                      "Mül*"): the NOCASE range of likePrefixRange() is put
//                      before the criterion, which still decides, so an
//                      index on (field COLLATE NOCASE) takes the search to
//                      the few candidates;
//   ID LIKE ?          with a whole number without wildcards ("42"): ID = 42,
//                      a look-up by key (LIKE compares the number's text, and
//                      no other text of a number reads "42").
// The pattern must be the one bound value, a string.
SearchCriterion indexableCriterion(const QString& criterion, const QVariantList& params,
                                   const std::function<FieldKind(const QString& field)>& kindOf);

} // namespace quittora
