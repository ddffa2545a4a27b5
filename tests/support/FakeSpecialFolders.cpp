#include "support/FakeSpecialFolders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace quittora {

FakeSpecialFolders::FakeSpecialFolders()
{
    if (!m_root.isValid()) {
        ADD_FAILURE() << "cannot create a temporary folder: " << m_root.errorString().toStdString();
        return;
    }
    const QDir root(m_root.path());
    m_documents = root.filePath(QStringLiteral("Dokumente"));
    m_programFolder = root.filePath(QStringLiteral("Programm"));
    const QString temp = root.filePath(QStringLiteral("tmp"));
    for (const QString& dir : {m_documents, m_programFolder, temp}) {
        if (!root.mkpath(dir))
            ADD_FAILURE() << "cannot create " << dir.toStdString();
    }
    QFile::setPermissions(temp, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_privateTemp = temp + QLatin1Char('/');
}

} // namespace quittora
