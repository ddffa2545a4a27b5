#pragma once

#include "platform/SpecialFolders.h"

#include <QTemporaryDir>

namespace quittora {

// Special folders inside a temporary folder that is removed with the object:
//   documents     <root>/Dokumente
//   privateTemp   <root>/tmp/   (mode 0700, trailing separator)
//   programFolder <root>/Programm
// All three exist. Each can be replaced, also by an empty text to play a
// system that lacks it.
class FakeSpecialFolders final : public SpecialFolders {
public:
    FakeSpecialFolders();

    QString documents() const override { return m_documents; }
    QString privateTemp() const override { return m_privateTemp; }
    QString programFolder() const override { return m_programFolder; }

    void setDocuments(const QString& path) { m_documents = path; }
    void setPrivateTemp(const QString& path) { m_privateTemp = path; }
    void setProgramFolder(const QString& path) { m_programFolder = path; }

    // The temporary root holding the three folders.
    QString root() const { return m_root.path(); }

private:
    QTemporaryDir m_root;
    QString m_documents;
    QString m_privateTemp;
    QString m_programFolder;
};

} // namespace quittora
