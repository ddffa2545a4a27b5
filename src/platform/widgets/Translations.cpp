#include "platform/widgets/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quittora {

namespace {
const QString kTranslatorName = QStringLiteral("quittora-qtbase-de");
}

QTranslator* installGermanTranslations(QCoreApplication& app)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);

    if (auto* existing = app.findChild<QTranslator*>(kTranslatorName, Qt::FindDirectChildrenOnly))
        return existing;
    auto* translator = new QTranslator(&app);
    translator->setObjectName(kTranslatorName);
    if (!translator->load(german, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

} // namespace quittora
