#pragma once

#include "support/TempDatabase.h"

namespace quittora::test {

// A few customers, articles and documents with lines, for tests of the main
// window and its navigation. Documents in ID order:
//   doc1 "1001" Hans Müller / Bäckerei           customer mueller, 2 lines
//   doc2 "1002" Eva Schmidt                      customer schmidt, 1 line
//   doc3 "2001" Firma Abele / z. Hd. Frau Müller customer abele,   3 lines
//   doc4 "1003" Otto Weg                         customer 9999 (deleted), 1 line
// The template's own customer and article stay in the tables.
struct SampleDocuments {
    explicit SampleDocuments(TempDatabase& db);

    qint64 mueller = -1;
    qint64 schmidt = -1;
    qint64 abele = -1;
    qint64 doc1 = -1;
    qint64 doc2 = -1;
    qint64 doc3 = -1;
    qint64 doc4 = -1;
};

} // namespace quittora::test
