#pragma once

#include "print/MarginValues.h"
#include "print/PageModel.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quittora {

// The installed printers, as far as printing needs them. The real one lives
// with the windows (makeSystemPrinters, print/widgets/SystemPrinters.h);
// tests use a double.
class Printers {
public:
    virtual ~Printers() = default;
    // Device names of the installed printers, in the system's order.
    virtual QStringList names() const = 0;
    // The system's default printer; empty when there is none.
    virtual QString defaultName() const = 0;
    // Where the printable area of an A4 portrait sheet begins on that printer
    // (empty name: the default printer), in millimetres from the paper's
    // left and top edges.
    virtual MarginValues physicalOffsets(const QString& name) const = 0;
    // Prints each document as a print job of its own. False with a German
    // message in *error when printing failed.
    virtual bool print(const QString& name, const std::vector<PageModel>& documents, MarginValues margins,
                       QString* error) = 0;
};

} // namespace quittora
