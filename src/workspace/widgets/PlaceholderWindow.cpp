#include "workspace/widgets/PlaceholderWindow.h"

#include "data/Database.h"

#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

namespace quittora {

PlaceholderWindow::PlaceholderWindow(AppContext& ctx, Database& db, QWidget* parent)
    : QMainWindow(parent), m_ctx(ctx), m_db(db)
{
    setObjectName(QStringLiteral("Rechnung"));
    setWindowTitle(QStringLiteral("Quittora pro"));

    auto* datei = menuBar()->addMenu(QStringLiteral("&Datei"));
    auto* open = datei->addAction(QStringLiteral("öffnen"));
    open->setObjectName(QStringLiteral("mnuOeffnen"));
    connect(open, &QAction::triggered, this, &PlaceholderWindow::openDatabaseRequested);
    datei->addSeparator();
    auto* quit = datei->addAction(QStringLiteral("&Beenden"));
    quit->setObjectName(QStringLiteral("mnuBeenden"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    m_status = new QLabel(central);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_status);
    setCentralWidget(central);
    resize(720, 300);
    refresh();
}

void PlaceholderWindow::refresh()
{
    if (!m_db.isOpen()) {
        m_status->setText(QStringLiteral("Keine Datenbank geöffnet.\nWählen Sie über „Datei → öffnen“ die Datei Quittora.qtb."));
        return;
    }
    const auto counts = m_db.counts();
    QString text = QStringLiteral("Datenbank: %1\n\n").arg(m_db.path());
    if (counts) {
        text += QStringLiteral("Rechnungen: %1\nPositionen: %2\nKunden: %3\nArtikel: %4")
                    .arg(counts->rechnungen)
                    .arg(counts->positionen)
                    .arg(counts->kunden)
                    .arg(counts->artikel);
    } else {
        text += QStringLiteral("Die Anzahl der Datensätze konnte nicht gelesen werden.");
    }
    m_status->setText(text);
}

} // namespace quittora
