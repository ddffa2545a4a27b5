#include "app/Application.h"
#include "app/ReadyReport.h"
#include "platform/PrivateFiles.h"
#include "platform/widgets/Translations.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QStringList>

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
    QElapsedTimer sinceStart;
    sinceStart.start();
    quittora::keepNewFilesPrivate();
    if (!displayAvailable()) {
        std::fputs("Quittora braucht eine grafische Oberfläche, es ist aber keine Anzeige vorhanden "
                   "(DISPLAY ist nicht gesetzt).\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quittora pro"));
    QApplication::setOrganizationName(QStringLiteral("Quittora pro"));
    // The desktop entry and icon the package installs, for the task bar and
    // window switcher; a build-tree run without them shows the default icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quittora"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quittora")));
    quittora::installGermanTranslations(app);

    // "quittora DATEI.qtb", as the desktop starts it for a double-clicked
    // database; Qt has taken its own options out already. Only one database
    // can be open, so further names are ignored.
    const QStringList arguments = QCoreApplication::arguments();
    const QString fileToOpen = arguments.size() > 1 ? arguments.at(1) : QString();

    quittora::Application quittoraApp;
    quittora::RechnungWindow* window = quittoraApp.start(fileToOpen);
    if (!window)
        return 0;
    if (quittora::ready::requested())
        quittora::ready::exitWhenReady(*window, sinceStart);
    return app.exec();
}
