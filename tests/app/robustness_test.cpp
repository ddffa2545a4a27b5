// The whole main window under a clumsy or hostile user: every enabled button
// and menu item pressed in turn, nonsense typed into every field, in several
// states of the database. After each step the file is sound, no record went
// missing or appeared where the step did not mean to add or delete one, and
// every message the user saw said something, in German.

#include "app/Application.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "platform/Prompts.h"
#include "print/FakePrinters.h"
#include "safety/widgets/BackupWindow.h"
#include "support/GermanText.h"
#include "support/SampleDocuments.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"
#include "tools/UpdateCheck.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/OutputController.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <random>

using namespace quittora;

namespace {

const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());

QString u(const char* s) { return QString::fromUtf8(s); }

// What a clumsy or hostile user types.
const QStringList& nonsense()
{
    static const QStringList texts{u("abc"), u("'"), u("%"), u("*"), u("["), QString(90, QLatin1Char('W')),
                                   u("   "), u("-0"), u("1e999"), u(",,")};
    return texts;
}

// Answers every question one way (the positive or the negative button) and
// every input box with the next nonsense text or nothing; records all texts.
class AnsweringPrompts final : public Prompts {
public:
    struct Shown {
        QString title;
        QString text;
    };
    bool accept = false;
    bool typeIntoInputs = false;
    QList<Shown> shown;

    Button message(const QString& title, const QString& text, Icon, int buttons = Ok) override
    {
        shown.push_back({title, text});
        if (accept) {
            for (Button b : {Yes, Ok, Retry, Ignore})
                if (buttons & b)
                    return b;
        }
        return closeAnswer(buttons);
    }
    std::optional<QString> input(const QString& title, const QString& prompt, const QString&) override
    {
        shown.push_back({title, prompt});
        if (!typeIntoInputs)
            return std::nullopt;
        return nonsense().at(m_inputs++ % nonsense().size());
    }
    // Paths given to the next file-open dialogs, in order.
    QStringList openFiles;
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override
    {
        if (openFiles.isEmpty())
            return std::nullopt;
        return openFiles.takeFirst();
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QColor> chooseColor(const QColor&) override { return std::nullopt; }

private:
    int m_inputs = 0;
};

// Closes whatever modal window or popup menu opens, as a user pressing
// Escape would; the backup window goes back to the program (closing it
// would end the program).
class ModalCloser {
public:
    ModalCloser()
    {
        m_timer.setInterval(15);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            QWidget* w = QApplication::activePopupWidget();
            if (!w)
                w = QApplication::activeModalWidget();
            if (!w)
                return;
            opened << w->objectName();
            if (qEnvironmentVariableIsSet("ROBUST_TRACE"))
                qInfo("    window %s %s", w->metaObject()->className(), qPrintable(w->objectName()));
            if (onOpen) {
                auto hook = std::move(onOpen);
                onOpen = nullptr;
                hook(w);
                return;
            }
            if (auto* backup = qobject_cast<BackupWindow*>(w))
                backup->backToMain();
            else if (auto* dialog = qobject_cast<QDialog*>(w))
                dialog->reject();
            else
                w->close();
        });
        m_timer.start();
    }
    QStringList opened;
    // Runs once on the next window instead of closing it; it must close it.
    std::function<void(QWidget*)> onOpen;

private:
    QTimer m_timer;
};

struct Counts {
    qint64 kunden = 0, artikel = 0, rechnungen = 0, verkauf = 0;
    bool operator==(const Counts&) const = default;
};

enum Table { Kunden = 1, Artikel = 2, Rechnungen = 4, Verkauf = 8 };

// Which tables a control may change the number of records in: the add and
// delete commands (saving completes an add), and the keys of the line entry
// that take a line over.
int mayChange(const QString& control)
{
    static const QHash<QString, int> deliberate{
        {u("Command4"), Rechnungen},          {u("Command5"), Rechnungen | Verkauf}, {u("Command7"), Kunden},
        {u("Command9"), Kunden},              {u("Command14"), Artikel},             {u("Command6"), Artikel},
        {u("Command15"), Kunden},             {u("Command16"), Artikel},
        {u("Command3"), Verkauf},             {u("Command17"), Verkauf},             {u("Command29"), Verkauf},
        {u("Text12"), Verkauf},               {u("Text13"), Verkauf},                {u("Text15"), Verkauf},
        {u("Text16"), Verkauf},               {u("Text14"), Verkauf},                {u("Combo5"), Verkauf},
        {u("DBGrid1"), Verkauf},
    };
    return deliberate.value(control, 0);
}

// SmallWithPoint: the small database under a locale whose decimal separator
// is the point (its amounts were written with the comma).
enum class Start { NoDocuments, TemplateOnly, Small, LastDocumentDeleted, SmallWithPoint };

class Robustness : public ::testing::TestWithParam<Start> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kNoUpdateServer);
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        const Start start = GetParam();
        if (start != Start::TemplateOnly)
            test::SampleDocuments sample(db);
        if (start == Start::NoDocuments) {
            ASSERT_TRUE(db.exec(u("DELETE FROM Verkauf")));
            ASSERT_TRUE(db.exec(u("DELETE FROM Rechnungen")));
        }
        t.settings.setValue(u("Datenpfad"), db.path());
        app = std::make_unique<Application>(ctx);
        window = app->start();
        ASSERT_NE(window, nullptr);
        auto fake = std::make_unique<quittora::testing::FakePrinters>();
        fake->installed = {u("Laser")};
        fake->defaultPrinter = u("Laser");
        printers = fake.get();
        window->output().setPrinters(std::move(fake));
        // The print dialog is cancelled; where printing goes on without it,
        // it reaches the recording printer only.
        window->output().setPrintDialog([](ProgramState&) { return false; });
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        settle();
        if (start == Start::LastDocumentDeleted) {
            const qint64 before = counts().rechnungen;
            ASSERT_TRUE(QTest::qWaitFor([&] { return button("Command5") && button("Command5")->isEnabled(); }, 2000));
            prompts.accept = true;
            button("Command5")->click();
            prompts.accept = false;
            settle();
            ASSERT_EQ(counts().rechnungen, before - 1);
        }
        prompts.shown.clear();
    }

    void TearDown() override
    {
        if (window)
            window->hide();
    }

    QAbstractButton* button(const char* name) const
    {
        return window->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }

    // Lets the deferred work of the window run out; work that never ends is
    // a hang.
    void settle()
    {
        QCoreApplication::processEvents();
        const QStringList timers{u("Timer3"), u("Timer5"), u("Timer6")};
        const bool calm = QTest::qWaitFor(
            [&] {
                for (const QString& name : timers) {
                    auto* timer = window->findChild<QTimer*>(name);
                    if (timer && timer->isActive())
                        return false;
                }
                return true;
            },
            3000);
        EXPECT_TRUE(calm) << "deferred work does not come to an end";
        QCoreApplication::processEvents();
    }

    Counts counts() const
    {
        return {db.count(u("Kunden")), db.count(u("Artikel")), db.count(u("Rechnungen")), db.count(u("Verkauf"))};
    }

    QString integrity() const
    {
        QSqlQuery q(db.connection());
        if (!q.exec(u("PRAGMA integrity_check")) || !q.next())
            return u("no answer");
        return q.value(0).toString();
    }

    // Runs one step of the user and checks what a user relies on afterwards.
    void step(const QString& what, const QString& control, const std::function<void()>& action)
    {
        SCOPED_TRACE(what.toStdString());
        const Counts before = counts();
        const qsizetype shownBefore = prompts.shown.size();
        // A record begun by "new" earlier is stored by whatever step stores
        // pending edits next (moving, a backup, a list): one more, no fewer.
        const bool customerPending = window->sources().customers().isAdding();
        const bool articlePending = window->sources().articles().isAdding();
        const bool documentPending = window->sources().documents().isAdding();
        const bool noCurrentDocument = !window->sources().documents().hasCurrent();
        action();
        settle();
        ++steps;
        if (qEnvironmentVariableIsSet("ROBUST_TRACE"))
            qInfo("%s  K%lld A%lld R%lld V%lld", qPrintable(what), counts().kunden, counts().artikel,
                  counts().rechnungen, counts().verkauf);
        EXPECT_EQ(integrity(), u("ok"));
        const Counts after = counts();
        const int allowed = mayChange(control);
        if (!(allowed & Kunden) && !(customerPending && after.kunden == before.kunden + 1)) {
            EXPECT_EQ(after.kunden, before.kunden) << "customers";
        }
        if (!(allowed & Artikel) && !(articlePending && after.artikel == before.artikel + 1)) {
            EXPECT_EQ(after.artikel, before.artikel) << "articles";
        }
        // Typing into the head while no document is shown starts one, so
        // that what is typed is kept.
        const bool firstDocument = noCurrentDocument && after.rechnungen == before.rechnungen + 1;
        const bool pendingDocument = documentPending && after.rechnungen == before.rechnungen + 1;
        if (!(allowed & Rechnungen) && !firstDocument && !pendingDocument) {
            EXPECT_EQ(after.rechnungen, before.rechnungen) << "documents";
        }
        if (!(allowed & Verkauf)) {
            EXPECT_EQ(after.verkauf, before.verkauf) << "lines";
        }
        for (qsizetype i = shownBefore; i < prompts.shown.size(); ++i) {
            const auto& shown = prompts.shown.at(i);
            if (qEnvironmentVariableIsSet("ROBUST_TRACE"))
                qInfo("    [%s] %s", qPrintable(shown.title), qPrintable(shown.text));
            EXPECT_FALSE(shown.text.trimmed().isEmpty()) << "empty message titled " << shown.title.toStdString();
            EXPECT_FALSE(test::looksEnglish(shown.text)) << shown.text.toStdString();
        }
        EXPECT_TRUE(window->isVisible()) << "the main window went away";
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a window stayed open";
    }

    // The buttons a user can reach now: shown and enabled, named.
    QList<QAbstractButton*> pressableButtons() const
    {
        QList<QAbstractButton*> result;
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
            if (!b->objectName().isEmpty() && b->isVisible() && b->isEnabled())
                result << b;
        return result;
    }

    QList<QAction*> enabledMenuItems() const
    {
        QList<QAction*> result;
        std::function<void(QMenu*)> walk = [&](QMenu* menu) {
            for (QAction* a : menu->actions()) {
                if (a->menu())
                    walk(a->menu());
                else if (!a->isSeparator() && a->isEnabled() && !a->objectName().isEmpty()
                         && a->objectName() != u("mnuBeenden"))
                    result << a;
            }
        };
        for (QAction* a : window->menuBar()->actions())
            if (a->menu() && a->isEnabled())
                walk(a->menu());
        return result;
    }

    // Line edits a user can type into now, with the name of their control
    // (an editable combo box lends its name to its edit).
    QList<std::pair<QLineEdit*, QString>> typableEdits() const
    {
        QList<std::pair<QLineEdit*, QString>> result;
        for (QLineEdit* e : window->findChildren<QLineEdit*>()) {
            if (!e->isVisible() || !e->isEnabled() || e->isReadOnly())
                continue;
            QString name = e->objectName();
            if (auto* combo = qobject_cast<QComboBox*>(e->parentWidget()))
                name = combo->objectName();
            if (!name.isEmpty() && !name.startsWith(u("qt_")))
                result.push_back({e, name});
        }
        return result;
    }

    void pressEverything()
    {
        QTabWidget* tabs = window->tabs();
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            settle();
            QSet<QString> pressed;
            // A press may show or enable further buttons; they are pressed too.
            for (int round = 0; round < 2; ++round) {
                for (QAbstractButton* b : pressableButtons()) {
                    const QString name = b->objectName();
                    if (pressed.contains(name) || !b->isVisible() || !b->isEnabled())
                        continue;
                    pressed << name;
                    QPointer<QAbstractButton> guarded(b);
                    step(u("button ") + name, name, [guarded] {
                        if (guarded)
                            guarded->click();
                    });
                }
            }
            if (tabs->currentIndex() != tab)
                tabs->setCurrentIndex(tab);
        }
        for (QAction* a : enabledMenuItems()) {
            QPointer<QAction> guarded(a);
            step(u("menu ") + a->objectName(), a->objectName(), [guarded] {
                if (guarded && guarded->isEnabled())
                    guarded->trigger();
            });
        }
    }

    void typeNonsense(QLineEdit* edit, const QString& name, const QString& text)
    {
        QPointer<QLineEdit> e(edit);
        step(u("typing \"") + text.left(12) + u("\" into ") + name, name, [e, text] {
            if (!e || !e->isVisible() || !e->isEnabled())
                return;
            e->setFocus();
            e->selectAll();
            QTest::keyClicks(e, text);
            for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Return, Qt::Key_Escape}) {
                if (!e || !e->isVisible() || !e->isEnabled())
                    return;
                QTest::keyClick(e, key);
            }
        });
    }

    void typeEverywhere()
    {
        QTabWidget* tabs = window->tabs();
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            settle();
            for (const auto& [edit, name] : typableEdits()) {
                for (const QString& text : nonsense()) {
                    if (tabs->currentIndex() != tab) {
                        tabs->setCurrentIndex(tab);
                        settle();
                    }
                    typeNonsense(edit, name, text);
                }
            }
        }
    }

    static QChar separator() { return GetParam() == Start::SmallWithPoint ? QLatin1Char('.') : QLatin1Char(','); }

    test::TempDatabase db{separator()};
    TestContext t{separator()};
    AnsweringPrompts prompts;
    AppContext ctx{prompts, t.settings, t.clock, t.shell, t.folders, t.locale, t.clipboard, t.state};
    ModalCloser closer;
    std::unique_ptr<Application> app;
    RechnungWindow* window = nullptr;
    quittora::testing::FakePrinters* printers = nullptr;
    int steps = 0;
};

TEST_P(Robustness, EveryEnabledButtonAndMenuItemWithQuestionsDeclined)
{
    pressEverything();
    EXPECT_GT(steps, 10);
    EXPECT_TRUE(printers->jobs.empty()) << "printed although the print dialog was cancelled";
}

TEST_P(Robustness, EveryEnabledButtonAndMenuItemWithQuestionsAnsweredYes)
{
    prompts.accept = true;
    prompts.typeIntoInputs = true;
    // Printing goes ahead, to the recording printer; in two of the states
    // the printer fails.
    window->output().setPrintDialog([](ProgramState&) { return true; });
    printers->failPrinting = GetParam() == Start::Small || GetParam() == Start::NoDocuments;
    pressEverything();
    EXPECT_GT(steps, 10);
    if (GetParam() == Start::TemplateOnly || GetParam() == Start::LastDocumentDeleted) {
        EXPECT_FALSE(printers->jobs.empty());
    }
}

TEST_P(Robustness, NonsenseInEveryFieldWithEnterEscapeAndArrows)
{
    typeEverywhere();
    // The search box of the document list shows with the list.
    window->tabs()->setCurrentIndex(0);
    button("Command11")->click();
    settle();
    auto* listSearch = window->findChild<QLineEdit*>(u("Text33"));
    ASSERT_TRUE(listSearch && listSearch->isVisible());
    for (const QString& text : nonsense())
        typeNonsense(listSearch, u("Text33"), text);
    EXPECT_GT(steps, 50);
}

// Nonsense left in a field and then the button that uses it, with every
// question answered Yes: prices, selections and lines only change on input
// that is a number.
TEST_P(Robustness, NonsenseThenTheButtonThatUsesIt)
{
    prompts.accept = true;
    const struct {
        int tab;
        QStringList fields;
        const char* button;
    } uses[] = {
        {2, {u("Text40")}, "Command20"},           {2, {u("Text41")}, "Command20"},
        {2, {u("Text38"), u("Text39")}, "Command19"}, {0, {u("Text12")}, "Command3"},
        {0, {u("Text12"), u("Text15")}, "Command3"}, {0, {u("Text12"), u("Text16")}, "Command3"},
        {1, {u("Text35")}, "Command15"},
    };
    auto prices = [&] {
        QStringList list;
        QSqlQuery q(db.connection());
        q.exec(u("SELECT a4 FROM Artikel ORDER BY ID"));
        while (q.next())
            list << q.value(0).toString();
        return list;
    };
    static const QRegularExpression digit(u("[0-9]"));
    for (const auto& use : uses) {
        for (const QString& text : nonsense()) {
            window->tabs()->setCurrentIndex(use.tab);
            settle();
            const QStringList pricesBefore = prices();
            for (const QString& field : use.fields) {
                auto* e = window->findChild<QLineEdit*>(field);
                ASSERT_NE(e, nullptr) << field.toStdString();
                e->setFocus();
                e->selectAll();
                QTest::keyClicks(e, text);
            }
            QAbstractButton* b = button(use.button);
            ASSERT_NE(b, nullptr) << use.button;
            if (!b->isVisible() || !b->isEnabled())
                continue;
            const QString name = QString::fromLatin1(use.button);
            step(use.fields.join(u("+")) + u(" \"") + text.left(12) + u("\" then ") + name, name, [b] { b->click(); });
            if (!text.contains(digit)) {
                EXPECT_EQ(prices(), pricesBefore) << "prices changed by \"" << text.toStdString() << "\"";
            }
            for (const QString& field : use.fields)
                if (auto* e = window->findChild<QLineEdit*>(field))
                    e->clear();
        }
    }
    EXPECT_GT(steps, 30);
}

// Another program holds the database while the user stores a new customer:
// the user is told in German, the typed customer stays on the screen and is
// stored once the file is free again.
TEST_P(Robustness, ANewCustomerSurvivesADatabaseHeldByAnotherProgram)
{
    if (GetParam() != Start::Small)
        GTEST_SKIP() << "one state is enough";
    window->tabs()->setCurrentIndex(1);
    settle();
    const qint64 before = counts().kunden;
    button("Command7")->click();
    settle();
    auto* name = window->findChild<QLineEdit*>(u("Text18"));
    ASSERT_NE(name, nullptr);
    name->setFocus();
    QTest::keyClicks(name, u("Gesperrt-Kunde"));

    QSqlQuery lock(db.connection());
    ASSERT_TRUE(lock.exec(u("BEGIN EXCLUSIVE")));
    const qsizetype shownBefore = prompts.shown.size();
    button("Command15")->click();
    settle();
    ASSERT_TRUE(QSqlQuery(db.connection()).exec(u("ROLLBACK")));

    ASSERT_GT(prompts.shown.size(), shownBefore) << "the failed store was not reported";
    for (qsizetype i = shownBefore; i < prompts.shown.size(); ++i) {
        EXPECT_FALSE(test::looksEnglish(prompts.shown.at(i).text)) << prompts.shown.at(i).text.toStdString();
        EXPECT_FALSE(prompts.shown.at(i).text.trimmed().isEmpty());
    }
    EXPECT_EQ(counts().kunden, before);
    EXPECT_EQ(name->text(), u("Gesperrt-Kunde")) << "what the user typed was thrown away";

    button("Command15")->click();
    settle();
    EXPECT_EQ(counts().kunden, before + 1);
    EXPECT_EQ(db.count(u("Kunden"), u("a2 = ?"), {u("Gesperrt-Kunde")}), 1);
    EXPECT_EQ(integrity(), u("ok"));
}

// Clicks and double clicks on every caption and picture (some open a
// calendar, the postal codes or a colour), and on, Enter and Delete in every
// row of every grid.
TEST_P(Robustness, EveryLabelAndGridRowClickedDoubleClickedAndKeyed)
{
    QTabWidget* tabs = window->tabs();
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        settle();
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->objectName().isEmpty() || !label->isVisible())
                continue;
            QPointer<QLabel> l(label);
            step(u("click on ") + label->objectName(), label->objectName(), [l] {
                if (l && l->isVisible())
                    QTest::mouseClick(l, Qt::LeftButton);
            });
            step(u("double click on ") + label->objectName(), label->objectName(), [l] {
                if (l && l->isVisible())
                    QTest::mouseDClick(l, Qt::LeftButton);
            });
        }
        for (QTableView* grid : window->findChildren<QTableView*>()) {
            if (grid->objectName().isEmpty() || !grid->isVisible() || !grid->model())
                continue;
            const QString name = grid->objectName();
            const int rows = qMin(grid->model()->rowCount(), 3);
            for (int row = 0; row < rows; ++row) {
                QPointer<QTableView> g(grid);
                auto cell = [g, row] {
                    return g && g->isVisible() && row < g->model()->rowCount()
                               ? g->visualRect(g->model()->index(row, 0)).center()
                               : QPoint(-1, -1);
                };
                step(u("click on row of ") + name, name, [g, cell] {
                    if (cell().x() >= 0)
                        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell());
                });
                for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Delete, Qt::Key_Escape}) {
                    step(u("key 0x%1 on ").arg(int(key), 0, 16) + name, name, [g, key] {
                        if (g && g->isVisible())
                            QTest::keyClick(g, key);
                    });
                }
                step(u("double click on row of ") + name, name, [g, cell] {
                    if (cell().x() >= 0)
                        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell());
                });
                if (tabs->currentIndex() != tab) {
                    tabs->setCurrentIndex(tab);
                    settle();
                }
            }
        }
    }
    EXPECT_GT(steps, 20);
}

// The overview, the printer window and the info window opened from the menu
// get nonsense in every field and every button pressed (questions answered
// Yes), then are closed.
TEST_P(Robustness, NonsenseAndEveryButtonInTheWindowsOfTheMenu)
{
    prompts.accept = true;
    prompts.typeIntoInputs = true;
    window->output().setPrintDialog([](ProgramState&) { return true; });
    for (const char* item : {"mnuUmsatz", "mnuDrucker", "mnuInfo"}) {
        QAction* action = window->findChild<QAction*>(QString::fromLatin1(item));
        ASSERT_TRUE(action && action->isEnabled()) << item;
        for (const QString& text : {nonsense().at(0), nonsense().at(1), nonsense().at(5), nonsense().at(8)}) {
            int pressed = 0;
            closer.onOpen = [&](QWidget* dialog) {
                QPointer<QWidget> alive(dialog);
                for (QLineEdit* e : dialog->findChildren<QLineEdit*>()) {
                    if (!alive || !e->isVisible() || !e->isEnabled() || e->isReadOnly())
                        continue;
                    e->setFocus();
                    e->selectAll();
                    QTest::keyClicks(e, text);
                    QTest::keyClick(e, Qt::Key_Return);
                }
                for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
                    if (!alive)
                        break;
                    if (!b->isVisible() || !b->isEnabled())
                        continue;
                    ++pressed;
                    b->click();
                    QCoreApplication::processEvents();
                }
                if (alive && alive->isVisible()) {
                    if (auto* d = qobject_cast<QDialog*>(alive.data()))
                        d->reject();
                    else
                        alive->close();
                }
            };
            step(QString::fromLatin1(item) + u(" with \"") + text.left(12) + u("\""), QString::fromLatin1(item),
                 [action] { action->trigger(); });
            EXPECT_GT(pressed, 0) << item;
            EXPECT_EQ(db.count(u("Einstellungen")), 1);
        }
    }
}

// "öffnen" given files that are no database: each is refused in German and
// the program goes on with the database it had.
TEST_P(Robustness, OpeningAFileThatIsNoDatabaseKeepsTheOpenOne)
{
    if (GetParam() != Start::Small)
        GTEST_SKIP() << "one state is enough";
    QAction* open = window->findChild<QAction*>(u("mnuOeffnen"));
    ASSERT_TRUE(open && open->isEnabled());
    const QString text = db.filePath(u("notiz.qtb"));
    const QString empty = db.filePath(u("leer.qtb"));
    for (const QString& path : {text, empty}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (path == text)
            f.write("keine Datenbank");
    }
    ASSERT_TRUE(QDir(db.folder()).mkdir(u("Ordner.qtb")));
    const QString openPath = app->database().path();
    const QStringList bad{text, empty, db.filePath(u("Ordner.qtb")), db.filePath(u("fehlt.qtb")),
                          db.filePath(u("notiz.txt")), u("   ")};
    for (const QString& path : bad) {
        prompts.openFiles = {path};
        const qsizetype shownBefore = prompts.shown.size();
        step(u("open ") + path, u("mnuOeffnen"), [open] { open->trigger(); });
        EXPECT_GT(prompts.shown.size(), shownBefore) << "refused without a word: " << path.toStdString();
        EXPECT_TRUE(app->database().isOpen());
        EXPECT_EQ(app->database().path(), openPath);
        EXPECT_EQ(window->sources().documents().recordCount(), counts().rechnungen);
    }
    EXPECT_EQ(test::TempDatabase::readFile(text), QByteArray("keine Datenbank"));
    EXPECT_EQ(QFileInfo(empty).size(), 0);
}

// The settings dialog gets nonsense in every field of every page, with Enter,
// Escape and the arrows, and is then closed with its button.
TEST_P(Robustness, NonsenseInEverySettingsField)
{
    QAction* settings = window->findChild<QAction*>(u("mnuStammdaten"));
    ASSERT_TRUE(settings && settings->isEnabled());
    for (const QString& text : nonsense()) {
        int typedInto = 0;
        closer.onOpen = [&](QWidget* dialog) {
            auto* pages = dialog->findChild<QTabWidget*>();
            for (int page = 0; page < (pages ? pages->count() : 1); ++page) {
                if (pages)
                    pages->setCurrentIndex(page);
                for (QLineEdit* e : dialog->findChildren<QLineEdit*>()) {
                    if (!e->isVisible() || !e->isEnabled() || e->isReadOnly())
                        continue;
                    ++typedInto;
                    e->setFocus();
                    e->selectAll();
                    QTest::keyClicks(e, text);
                    // Escape would close the dialog before the next field.
                    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Return, Qt::Key_Tab})
                        QTest::keyClick(e, key);
                }
            }
            QAbstractButton* close = nullptr;
            for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
                if (b->text() == u("&Schließen"))
                    close = b;
            ASSERT_NE(close, nullptr);
            const qsizetype shownBefore = prompts.shown.size();
            close->click();
            if (dialog->isVisible()) {
                // Rates that are no rates keep the dialog open, with a
                // message; the user puts right what the message says.
                ASSERT_GT(prompts.shown.size(), shownBefore) << "the dialog stayed open without a word";
                EXPECT_TRUE(prompts.shown.last().text.contains(u("MWSt")) || prompts.shown.last().text.contains(u("MwSt")))
                    << prompts.shown.last().text.toStdString();
                dialog->findChild<QLineEdit*>(u("Text2"))->setText(u("19"));
                dialog->findChild<QLineEdit*>(u("Text13"))->setText(u("7"));
                close->click();
            }
            EXPECT_FALSE(dialog->isVisible());
            if (dialog->isVisible())
                static_cast<QDialog*>(dialog)->done(QDialog::Rejected);
        };
        step(u("settings with \"") + text.left(12) + u("\""), u("mnuStammdaten"), [settings] { settings->trigger(); });
        EXPECT_GT(typedInto, 5);
        EXPECT_EQ(db.count(u("Einstellungen")), 1);
    }
}

// A few hundred steps in a random but repeatable order: presses, menu items
// and typing mixed, with questions answered either way.
TEST_P(Robustness, SeededRandomSteps)
{
    std::mt19937 random(20241206u + static_cast<unsigned>(GetParam()));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 400 && clock.elapsed() < 25000; ++i) {
        prompts.accept = random() % 3 == 0;
        prompts.typeIntoInputs = random() % 2 == 0;
        switch (random() % 4) {
        case 0: {
            window->tabs()->setCurrentIndex(static_cast<int>(random() % 3));
            settle();
            break;
        }
        case 1: {
            const auto buttons = pressableButtons();
            if (buttons.isEmpty())
                break;
            QPointer<QAbstractButton> b(buttons.at(static_cast<int>(random() % buttons.size())));
            step(u("button ") + b->objectName(), b->objectName(), [b] {
                if (b)
                    b->click();
            });
            break;
        }
        case 2: {
            const auto items = enabledMenuItems();
            QPointer<QAction> a(items.at(static_cast<int>(random() % items.size())));
            step(u("menu ") + a->objectName(), a->objectName(), [a] {
                if (a && a->isEnabled())
                    a->trigger();
            });
            break;
        }
        default: {
            const auto edits = typableEdits();
            if (edits.isEmpty())
                break;
            const auto& [edit, name] = edits.at(static_cast<int>(random() % edits.size()));
            typeNonsense(edit, name, nonsense().at(static_cast<int>(random() % nonsense().size())));
            break;
        }
        }
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(steps, 20);
}

INSTANTIATE_TEST_SUITE_P(States, Robustness,
                         ::testing::Values(Start::NoDocuments, Start::TemplateOnly, Start::Small,
                                           Start::LastDocumentDeleted, Start::SmallWithPoint),
                         [](const ::testing::TestParamInfo<Start>& info) {
                             switch (info.param) {
                             case Start::NoDocuments: return std::string("NoDocuments");
                             case Start::TemplateOnly: return std::string("TemplateOnly");
                             case Start::Small: return std::string("Small");
                             case Start::LastDocumentDeleted: return std::string("LastDocumentDeleted");
                             case Start::SmallWithPoint: return std::string("SmallWithPoint");
                             }
                             return std::string();
                         });

} // namespace
