#include "safety/widgets/BackupWindow.h"

#include "platform/Clock.h"
#include "platform/Context.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace quittora {

namespace {

const QString kReady = QStringLiteral("System bereit ...");
const QString kSettingKey = QStringLiteral("Sicherung");
const QString kPathChangedQuestion = QStringLiteral("Sicherungspfad wurde geändert - Pfad speichern ?");

// Shows the wait cursor while a file operation runs, not while a message
// box waits for an answer.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

BackupWindow::BackupWindow(AppContext& ctx, QWidget* parent, safety::FileOps& fileOps)
    : QDialog(parent), m_ctx(ctx), m_ops(fileOps)
{
    setObjectName(QStringLiteral("Datensicherung"));
    setWindowTitle(QStringLiteral("Datensicherung"));
    setModal(true);
    m_ctx.state.backupFlag = 1;

    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("MenuBar"));
    QMenu* fileMenu = menuBar->addMenu(QStringLiteral("Datei"));
    fileMenu->setObjectName(QStringLiteral("mnuDatei"));
    QAction* mail = fileMenu->addAction(QStringLiteral("Datendatei an Veltrin senden"));
    mail->setObjectName(QStringLiteral("mnuSenden"));
    connect(mail, &QAction::triggered, this, &BackupWindow::mailDatabase);

    auto* dataFrame = new QGroupBox(QStringLiteral("Datendatei:"), this);
    dataFrame->setObjectName(QStringLiteral("Frame1"));
    m_databaseLabel = new QLabel(QDir::toNativeSeparators(m_ctx.state.databasePath), dataFrame);
    m_databaseLabel->setObjectName(QStringLiteral("Label1"));
    m_databaseLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    (new QVBoxLayout(dataFrame))->addWidget(m_databaseLabel);

    auto* backupFrame = new QGroupBox(QStringLiteral("Sicherungsdatei:"), this);
    backupFrame->setObjectName(QStringLiteral("Frame2"));
    m_pathBox = new QLineEdit(m_ctx.state.backupPath, backupFrame);
    m_pathBox->setObjectName(QStringLiteral("Text1"));
    m_pathBox->installEventFilter(this);
    connect(m_pathBox, &QLineEdit::textChanged, this, [this] { m_changed = true; });
    auto* choose = makeButton(backupFrame, "Command1", QStringLiteral("&Sicherungspfad wählen"));
    auto* save = makeButton(backupFrame, "Command2", QStringLiteral("Sicherungsp&fad speichern"));
    auto* pathButtons = new QHBoxLayout;
    pathButtons->addWidget(choose);
    pathButtons->addWidget(save);
    auto* backupLayout = new QVBoxLayout(backupFrame);
    backupLayout->addWidget(m_pathBox);
    backupLayout->addLayout(pathButtons);

    auto* doBackup = makeButton(this, "Command3", QStringLiteral("Daten  &sichern"));
    auto* doRestore = makeButton(this, "Command4", QStringLiteral("Daten  &zurückschreiben"));
    auto* back = makeButton(this, "Command5", QStringLiteral("&Zurück zum Programm"));
    auto* quit = makeButton(this, "Command6", QStringLiteral("&Programm beenden"));
    auto* work = new QHBoxLayout;
    work->addWidget(doBackup);
    work->addWidget(doRestore);
    auto* leave = new QHBoxLayout;
    leave->addWidget(back);
    leave->addWidget(quit);

    m_status = new QLabel(kReady, this);
    m_status->setObjectName(QStringLiteral("Label2"));
    m_status->setFrameShape(QFrame::Panel);
    m_status->setFrameShadow(QFrame::Sunken);

    m_statusTimer = new QTimer(this);
    m_statusTimer->setObjectName(QStringLiteral("Timer1"));
    m_statusTimer->setSingleShot(true);
    m_statusTimer->setInterval(4000);
    connect(m_statusTimer, &QTimer::timeout, this, [this] { setStatus(kReady); });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(dataFrame);
    layout->addWidget(backupFrame);
    layout->addLayout(work);
    layout->addWidget(m_status);
    layout->addLayout(leave);

    connect(choose, &QPushButton::clicked, this, &BackupWindow::choosePath);
    connect(save, &QPushButton::clicked, this, &BackupWindow::savePath);
    connect(doBackup, &QPushButton::clicked, this, &BackupWindow::backup);
    connect(doRestore, &QPushButton::clicked, this, &BackupWindow::restore);
    connect(back, &QPushButton::clicked, this, &BackupWindow::backToMain);
    connect(quit, &QPushButton::clicked, this, &BackupWindow::quitProgram);

    resize(560, sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    doBackup->setFocus();
    m_changed = false;
}

void BackupWindow::setStatus(const QString& text)
{
    m_status->setText(text);
    m_status->repaint();
}

void BackupWindow::setBoxText(const QString& text)
{
    // Setting the same text is no change; a different one marks the box.
    m_pathBox->setText(text);
}

void BackupWindow::storePath(const QString& path)
{
    m_ctx.state.backupPath = path;
    m_ctx.settings.setValue(kSettingKey, path);
}

void BackupWindow::askToStoreChangedPath()
{
    if (m_ctx.prompts.question(QStringLiteral("Achtung !"), kPathChangedQuestion))
        storePath(m_pathBox->text());
    else
        setBoxText(m_ctx.state.backupPath);
    m_changed = false;
}

void BackupWindow::choosePath()
{
    const QString bare = safety::backupFileName();
    const QFileInfo current(safety::backupTargetFile(m_pathBox->text()));
    const QString folder = current.isAbsolute() && current.dir().exists() ? current.absolutePath() : m_ctx.folders.documents();
    const QString start = folder.isEmpty() ? bare : QDir(folder).filePath(bare);
    const std::optional<QString> chosen =
        m_ctx.prompts.saveFile(QStringLiteral("Sicherungspfad wählen"), start, QStringLiteral("Quittora-Datenbank (*.qtb)"));
    if (!chosen)
        return; // cancelled: the box keeps what it had
    const QString name = QDir::toNativeSeparators(*chosen);
    if (name.right(6) != bare.right(6)) {
        m_ctx.prompts.message(QStringLiteral("Fehler"), name + QStringLiteral("   ist die falsche Datei, bitte suchen Sie  Quittora.qtb"),
                              Prompts::Icon::Critical);
        return;
    }
    setBoxText(name);
    if (m_changed)
        askToStoreChangedPath();
}

void BackupWindow::savePath()
{
    const QString path = safety::normaliseBackupPath(m_pathBox->text(), safety::defaultBackupFolder(m_ctx.folders.documents()));
    setBoxText(path);
    storePath(path);
    m_changed = false;
}

void BackupWindow::backup()
{
    if (m_changed)
        askToStoreChangedPath();
    const QString target = safety::backupTargetFile(m_pathBox->text());
    if (!safety::namesBackupLocation(target)) {
        m_ctx.prompts.message(QStringLiteral("Fehler"), QStringLiteral("Bitte geben Sie ein Laufwerksbuchstaben oder einen Netzwerkpfad vor"),
                              Prompts::Icon::Critical);
        choosePath();
        return;
    }
    if (safety::isSamePath(m_ctx.state.databasePath, target)) {
        const safety::FailureMessage m = safety::failureMessage(safety::Operation::Backup, safety::Failure::SamePath);
        m_ctx.prompts.message(m.title, m.text, m.icon, m.buttons);
        return;
    }
    if (!m_ctx.prompts.question(QStringLiteral("Datensicherung !"),
                                QStringLiteral("Daten jetzt im Pfad  ") + target + QStringLiteral("  sichern ?")))
        return;
    setStatus(QStringLiteral("Datensicherung: kopiere Quittora.qtb nach  ") + target);
    const QString database = m_ctx.state.databasePath;
    const safety::Outcome outcome = safety::runWithRetry(m_ctx.prompts, safety::Operation::Backup, [&] {
        WaitCursor wait;
        return safety::backupDatabase(database, target, m_ops);
    });
    switch (outcome) {
    case safety::Outcome::Done:
        setStatus(QStringLiteral("Daten gesichert !"));
        m_statusTimer->start();
        break;
    case safety::Outcome::Stopped:
        setStatus(kReady);
        break;
    case safety::Outcome::EndProgram:
        leaveForEnd();
        break;
    }
}

void BackupWindow::restore()
{
    const QString database = m_ctx.state.databasePath;
    const QString source = safety::backupTargetFile(m_ctx.state.backupPath);
    const QString twice = QStringLiteral("\r\r");
    if (m_ctx.prompts.message(QStringLiteral("Daten zurückschreiben !"),
                              QStringLiteral("Die Datei ") + twice + database + twice + QStringLiteral(" überschreiben mit ") + twice + source,
                              Prompts::Icon::Exclamation, Prompts::Yes | Prompts::No)
        != Prompts::Yes)
        return;
    setStatus(QStringLiteral("Daten zurückschreiben:  Quittora.qtb wird kopiert"));
    const safety::Outcome outcome = safety::runWithRetry(m_ctx.prompts, safety::Operation::Restore, [&] {
        WaitCursor wait;
        return safety::restoreDatabase(source, database, m_ctx.clock.now(), m_ops);
    });
    switch (outcome) {
    case safety::Outcome::Done:
        setStatus(QStringLiteral("Zurückschreiben abgeschlossen !"));
        m_statusTimer->start();
        break;
    case safety::Outcome::Stopped:
        setStatus(kReady);
        break;
    case safety::Outcome::EndProgram:
        leaveForEnd();
        break;
    }
}

void BackupWindow::backToMain()
{
    m_leaving = true;
    Q_EMIT backToProgram();
    m_ctx.state.backupFlag = 0;
    accept();
}

void BackupWindow::quitProgram() { leaveForEnd(); }

void BackupWindow::leaveForEnd()
{
    if (!m_leaving) {
        m_leaving = true;
        Q_EMIT endProgram();
    }
    reject();
}

void BackupWindow::mailDatabase()
{
    if (!m_ctx.prompts.question(QStringLiteral("Achtung !"),
                                QStringLiteral("Möchten Sie Ihre Quittora_pro Datendatei jetzt per E-Mail an Veltrin senden")))
        return;
    const QString database = m_ctx.state.databasePath;
    if (!QFileInfo(database).isFile()) {
        m_ctx.prompts.message(QStringLiteral("Fehler !"), QStringLiteral("Datei nicht gefunden !\n") + database, Prompts::Icon::Critical);
        return;
    }
    // The mail program reads the attachment only when the mail goes out,
    // perhaps after work has gone on in the file: it gets a checked copy of
    // its own in the private temporary folder.
    QString attachment = database;
    if (!m_ctx.state.tempFolder.isEmpty()) {
        attachment = QDir(m_ctx.state.tempFolder).filePath(safety::backupFileName());
        safety::Result copied;
        {
            WaitCursor wait;
            copied = safety::backupDatabase(database, attachment, m_ops);
        }
        if (!copied.ok()) {
            m_ctx.prompts.message(QStringLiteral("Fehler !"),
                                  QStringLiteral("Die Datendatei kann nicht für die E-Mail kopiert werden.\n") + copied.detail,
                                  Prompts::Icon::Critical);
            return;
        }
    }
    const safety::MailCommand mail = safety::supportMailCommand(attachment);
    if (!m_ctx.shell.start(mail.program, mail.arguments))
        m_ctx.prompts.message(QStringLiteral("Fehler"),
                              QStringLiteral("Das E-Mail-Programm konnte nicht gestartet werden.\nBitte senden Sie die Datei ") + database
                                  + QStringLiteral(" an ") + safety::supportAddress() + QStringLiteral("."),
                              Prompts::Icon::Critical);
}

void BackupWindow::closeEvent(QCloseEvent* event)
{
    if (!m_leaving) {
        m_leaving = true;
        Q_EMIT endProgram();
    }
    QDialog::closeEvent(event);
}

void BackupWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape would close the window and so end the program; only the
    // buttons and the close box leave it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool BackupWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pathBox && event->type() == QEvent::FocusIn) {
        // Only the user moving into the box opens the dialog, not the window
        // getting active again after a dialog.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
            || reason == Qt::ShortcutFocusReason)
            QTimer::singleShot(0, this, &BackupWindow::choosePath);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace quittora
