#pragma once

#include "export/EmailMessage.h"
#include "documents/Preparation.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace quittora {

class CompanySettings;
class Database;

namespace email {

using documents::Customer;
using documents::Environment;

// Everything creating the e-mail of a document does: the document prepared
// as for print, then the message itself.
struct Preparation : documents::Preparation {
    // The address the message goes to, for the clipboard (so it can be pasted
    // where a mail program ignores the file's recipient); when empty the
    // clipboard is left as it is.
    QString clipboardText;
    // The message file, once the document is stored (exportDocument).
    QByteArray messageBytes;
};

// documents::prepare, then the clipboard text.
Preparation prepare(const Head& head, const QList<Line>& lines, const Customer& customer,
                    const CompanySettings& settings, const Environment& env);

// The whole command without windows (quittora-cli): load, prepare, store,
// write the file at path (replacing it).
struct ExportResult {
    enum class Status {
        Written,
        UnknownDocument, // no document with that ID
        Refused,         // Preparation not Ready; message says why
        Failed,          // reading, storing or writing failed; message says why
    };
    Status status = Status::Failed;
    QString message;
    Preparation preparation;
};
// The files the message carries, made from the document as it is stored
// (numbered, totals up to date) by whoever knows how: the mail itself does
// not print. False with a German *error: then no file is written.
using Attachments = std::function<bool(const Head& stored, const QList<Line>& lines, const Customer& customer,
                                       const CompanySettings& settings, QList<Attachment>* attachments,
                                       QString* error)>;
ExportResult exportDocument(const Database& db, qint64 documentId, const Environment& env, const QString& path,
                            const Attachments& attachments = {});

} // namespace email

} // namespace quittora
