#pragma once

#include "data/KeyFilter.h"

#include <gtest/gtest.h>

#include <QString>

#include <initializer_list>
#include <string>

namespace quittora::test {

// One row of a rule table: what the code gave and the text the rule wants.
// A failing row is named by its table and number.
struct Row {
    QString got;
    const char* want;
};

inline void expectRows(const char* table, std::initializer_list<Row> rows)
{
    int i = 0;
    for (const Row& r : rows) {
        EXPECT_EQ(r.got.toStdString(), std::string(r.want)) << table << ", row " << i;
        ++i;
    }
}

// What a key filter does with each character of typed, one character each:
// "+" passed on, "x" refused, otherwise the character put in its place.
template <typename Filter>
QString keyDecisions(const QString& typed, Filter filter)
{
    QString out;
    for (const QChar c : typed) {
        const KeyDecision k = filter(c);
        out += k.action == KeyDecision::Action::Accept ? QChar(u'+')
            : k.action == KeyDecision::Action::Reject  ? QChar(u'x')
                                                       : k.replacement;
    }
    return out;
}

} // namespace quittora::test
