#pragma once

#include "print/Printers.h"

#include <QHash>

#include <vector>

namespace quittora::testing {

// Installed printers as a test wants them; print jobs are recorded.
class FakePrinters final : public Printers {
public:
    struct Job {
        QString printer;
        std::vector<PageModel> documents;
        MarginValues margins;
    };

    QStringList installed;
    QString defaultPrinter;
    QHash<QString, MarginValues> offsets;
    bool failPrinting = false;
    std::vector<Job> jobs;

    QStringList names() const override { return installed; }
    QString defaultName() const override { return defaultPrinter; }
    MarginValues physicalOffsets(const QString& name) const override
    {
        return offsets.value(name.isEmpty() ? defaultPrinter : name);
    }
    bool print(const QString& name, const std::vector<PageModel>& documents, MarginValues margins,
               QString* error) override
    {
        if (failPrinting) {
            if (error)
                *error = QStringLiteral("Der Drucker \"%1\" konnte nicht angesprochen werden.").arg(name);
            return false;
        }
        jobs.push_back({name, documents, margins});
        return true;
    }
};

} // namespace quittora::testing
