#pragma once

// The database every benchmark measures on: QUITTORA_BENCH_DB when it names
// one made by "generate" (50,000 documents, about 500,000 lines, 5,000
// customers and 5,000 articles); otherwise one of that size is generated into
// a temporary folder first (seed 1), which takes some seconds.
#include "data/Database.h"
#include "tools/Generator.h"

#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace quittora::bench {

class BenchDatabase {
public:
    // False (and a message on stderr) when no database could be had.
    bool prepare()
    {
        m_path = qEnvironmentVariable("QUITTORA_BENCH_DB");
        if (m_path.isEmpty()) {
            m_dir = std::make_unique<QTemporaryDir>();
            m_path = m_dir->filePath(QStringLiteral("Quittora.qtb"));
            std::fprintf(stderr, "Erzeuge die Messdatenbank ...\n");
            const auto r = generator::generate(m_path, generator::Options());
            if (!r.ok()) {
                std::fprintf(stderr, "%s\n", qPrintable(r.message));
                return false;
            }
        }
        return true;
    }

    QString path() const { return m_path; }

    // Opens it; nullptr (and a message) on failure.
    Database* open()
    {
        QString message;
        if (!m_db.open(m_path, &message)) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            return nullptr;
        }
        return &m_db;
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    Database m_db;
};

} // namespace quittora::bench
