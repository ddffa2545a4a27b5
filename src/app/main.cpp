#include "app/Application.h"
#include "platform/widgets/Translations.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Without any window system Qt would abort with an English message; say in
// German what is missing instead.
bool displayAvailable()
{
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char** argv)
{
    if (!displayAvailable()) {
        std::fputs("Quittora braucht eine grafische Oberfläche, es ist aber keine Anzeige vorhanden "
                   "(DISPLAY ist nicht gesetzt).\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quittora pro"));
    QApplication::setOrganizationName(QStringLiteral("Quittora pro"));
    quittora::installGermanTranslations(app);

    quittora::Application quittoraApp;
    if (!quittoraApp.start())
        return 0;
    return app.exec();
}
