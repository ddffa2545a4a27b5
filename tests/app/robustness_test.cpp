// The whole main window under a clumsy or hostile user: every enabled button
// and menu item pressed in turn, nonsense typed into every field, every
// caption and grid row clicked, in several states of the database. After each
// step the file is sound, no record went missing or appeared where the step
// did not mean to add or delete one, and every message said something, in
// German.

#include "app/Application.h"
#include "data/Recordset.h"
#include "print/FakePrinters.h"
#include "safety/widgets/BackupWindow.h"
#include "support/GermanText.h"
#include "support/MainWindowFixture.h"
#include "tools/UpdateCheck.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QTableView>

#include <functional>
#include <random>

using namespace quittora;

namespace {

const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());

QString u(const char* s)
{
    return QString::fromUtf8(s);
}

const QStringList kNonsense{u("abc"), u("'"), u("%"), u("*"), u("["), QString(90, QLatin1Char('W')),
                            u("   "), u("-0"), u("1e999"), u(",,")};

// Answers every question one way (the positive or the closing button), every
// input box with the next nonsense text or nothing, every file dialog with the
// next of openFiles or nothing; records the texts shown.
class AnsweringPrompts final : public Prompts {
public:
    bool accept = false;
    bool typeIntoInputs = false;
    QStringList openFiles;
    QStringList texts;

    Button message(const QString&, const QString& text, Icon, int buttons = Ok) override
    {
        texts << text;
        for (Button b : {Yes, Ok, Retry, Ignore})
            if (accept && (buttons & b))
                return b;
        return closeAnswer(buttons);
    }
    std::optional<QString> input(const QString&, const QString& prompt, const QString&) override
    {
        texts << prompt;
        return typeIntoInputs ? std::optional<QString>(kNonsense.at(m_inputs++ % kNonsense.size())) : std::nullopt;
    }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override
    {
        return openFiles.isEmpty() ? std::nullopt : std::optional<QString>(openFiles.takeFirst());
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QColor> chooseColor(const QColor&) override { return std::nullopt; }

private:
    int m_inputs = 0;
};

enum Table { Kunden = 1, Artikel = 2, Rechnungen = 4, Verkauf = 8 };

// The tables a control may change the number of records in: the add and
// delete commands (saving completes an add) and the line entry.
int mayChange(const QString& control)
{
    static const QHash<QString, int> deliberate{
        {u("Command4"), Rechnungen}, {u("Command5"), Rechnungen | Verkauf}, {u("Command7"), Kunden},
        {u("Command9"), Kunden},     {u("Command14"), Artikel},             {u("Command6"), Artikel},
        {u("Command15"), Kunden},    {u("Command16"), Artikel},             {u("Command3"), Verkauf},
        {u("Command17"), Verkauf},   {u("Command29"), Verkauf},             {u("Text12"), Verkauf},
        {u("Text13"), Verkauf},      {u("Text15"), Verkauf},                {u("Text16"), Verkauf},
        {u("Text14"), Verkauf},      {u("Combo5"), Verkauf},                {u("DBGrid1"), Verkauf},
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
        if (GetParam() != Start::TemplateOnly)
            test::SampleDocuments sample(db);
        if (GetParam() == Start::NoDocuments)
            ASSERT_TRUE(db.exec(u("DELETE FROM Verkauf")) && db.exec(u("DELETE FROM Rechnungen")));
        t.settings.setValue(u("Datenpfad"), db.path());
        window = app.start();
        ASSERT_NE(window, nullptr);
        auto fake = std::make_unique<quittora::testing::FakePrinters>();
        fake->installed = {u("Laser")};
        fake->defaultPrinter = u("Laser");
        printers = fake.get();
        window->output().setPrinters(std::move(fake));
        // The print dialog is cancelled: nothing reaches even the recording printer.
        window->output().setPrintDialog([](ProgramState&) { return false; });
        closer.setInterval(15);
        QObject::connect(&closer, &QTimer::timeout, &closer, [this] { closeModal(); });
        closer.start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        settle();
        if (GetParam() == Start::LastDocumentDeleted) {
            prompts.accept = true;
            button("Command5")->click();
            prompts.accept = false;
            settle();
            ASSERT_EQ(db.count(u("Rechnungen")), 3);
        }
    }
    void TearDown() override
    {
        if (window)
            window->hide();
    }

    // Closes whatever modal window or popup menu opens, as Escape would; the
    // backup window goes back to the program (closing it would end it).
    void closeModal()
    {
        QWidget* w = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                       : QApplication::activeModalWidget();
        if (!w)
            return;
        if (onOpen) {
            auto hook = std::move(onOpen);
            onOpen = nullptr;
            hook(w); // it must close the window
        } else if (auto* backup = qobject_cast<BackupWindow*>(w)) {
            backup->backToMain();
        } else if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->reject();
        } else {
            w->close();
        }
    }
    QAbstractButton* button(const char* name) const { return test::control<QAbstractButton>(*window, name); }
    void settle() { EXPECT_TRUE(test::settleWindow(*window)) << "deferred work does not come to an end"; }
    QList<qint64> counts() const
    {
        return {db.count(u("Kunden")), db.count(u("Artikel")), db.count(u("Rechnungen")), db.count(u("Verkauf"))};
    }
    QString integrity() const
    {
        QSqlQuery q(db.connection());
        return q.exec(u("PRAGMA integrity_check")) && q.next() ? q.value(0).toString() : u("no answer");
    }
    void expectGermanSince(qsizetype shownBefore)
    {
        for (qsizetype i = shownBefore; i < prompts.texts.size(); ++i) {
            EXPECT_FALSE(prompts.texts.at(i).trimmed().isEmpty()) << "an empty message";
            EXPECT_FALSE(test::looksEnglish(prompts.texts.at(i))) << prompts.texts.at(i).toStdString();
        }
    }

    // One step of the user, and what a user relies on afterwards.
    void step(const QString& what, const QString& control, const std::function<void()>& action)
    {
        SCOPED_TRACE(what.toStdString());
        const QList<qint64> before = counts();
        const qsizetype shownBefore = prompts.texts.size();
        // A record begun by "new" earlier is stored by whatever step stores
        // pending edits next; typing into the head with no document shown
        // starts one. One more, then, never fewer.
        const DataSources& s = window->sources();
        const bool pending[] = {s.customers().isAdding(), s.articles().isAdding(),
                                s.documents().isAdding() || !s.documents().hasCurrent(), false};
        action();
        settle();
        ++steps;
        EXPECT_EQ(integrity(), u("ok"));
        const QList<qint64> after = counts();
        const int allowed = mayChange(control);
        for (int table = 0; table < 4; ++table) {
            if (!(allowed & (1 << table)) && !(pending[table] && after[table] == before[table] + 1))
                EXPECT_EQ(after[table], before[table]) << "records of table " << table;
        }
        expectGermanSince(shownBefore);
        EXPECT_TRUE(window->isVisible()) << "the main window went away";
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a window stayed open";
    }

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
    // Line edits a user can type into, named (an editable combo box lends its name).
    QList<std::pair<QLineEdit*, QString>> typableEdits() const
    {
        QList<std::pair<QLineEdit*, QString>> result;
        for (QLineEdit* e : window->findChildren<QLineEdit*>()) {
            auto* combo = qobject_cast<QComboBox*>(e->parentWidget());
            const QString name = combo ? combo->objectName() : e->objectName();
            if (e->isVisible() && e->isEnabled() && !e->isReadOnly() && !name.isEmpty() && !name.startsWith(u("qt_")))
                result.push_back({e, name});
        }
        return result;
    }

    void pressButton(QAbstractButton* b)
    {
        QPointer<QAbstractButton> guarded(b);
        step(u("button ") + b->objectName(), b->objectName(), [guarded] {
            if (guarded && guarded->isVisible() && guarded->isEnabled())
                guarded->click();
        });
    }
    void triggerItem(QAction* a)
    {
        QPointer<QAction> guarded(a);
        step(u("menu ") + a->objectName(), a->objectName(), [guarded] {
            if (guarded && guarded->isEnabled())
                guarded->trigger();
        });
    }
    void pressEverything()
    {
        for (int tab = 0; tab < window->tabs()->count(); ++tab) {
            window->tabs()->setCurrentIndex(tab);
            settle();
            QSet<QString> pressed;
            for (int round = 0; round < 2; ++round) { // a press may show or enable further buttons
                for (QAbstractButton* b : pressableButtons()) {
                    if (!pressed.contains(b->objectName()) && b->isVisible() && b->isEnabled()) {
                        pressed << b->objectName();
                        pressButton(b);
                    }
                }
            }
        }
        for (QAction* a : enabledMenuItems())
            triggerItem(a);
    }
    void typeNonsense(QLineEdit* edit, const QString& name, const QString& text)
    {
        QPointer<QLineEdit> e(edit);
        step(u("typing \"") + text.left(12) + u("\" into ") + name, name, [e, text] {
            for (int key : {0, int(Qt::Key_Up), int(Qt::Key_Down), int(Qt::Key_Return), int(Qt::Key_Escape)}) {
                if (!e || !e->isVisible() || !e->isEnabled())
                    return;
                if (key == 0) {
                    e->setFocus();
                    e->selectAll();
                    QTest::keyClicks(e, text);
                } else {
                    QTest::keyClick(e, Qt::Key(key));
                }
            }
        });
    }
    // Runs a window of the menu once per text; fill gets it and must close it.
    void inMenuWindow(const char* item, const QString& text, const std::function<void(QWidget*)>& fill)
    {
        QAction* action = window->findChild<QAction*>(QString::fromLatin1(item));
        ASSERT_TRUE(action && action->isEnabled()) << item;
        onOpen = fill;
        step(QString::fromLatin1(item) + u(" with \"") + text.left(12) + u("\""), QString::fromLatin1(item),
             [action] { action->trigger(); });
        EXPECT_EQ(db.count(u("Einstellungen")), 1);
    }

    static QChar separator() { return GetParam() == Start::SmallWithPoint ? QLatin1Char('.') : QLatin1Char(','); }

    test::TempDatabase db{separator()};
    TestContext t{separator()};
    AnsweringPrompts prompts;
    AppContext ctx{prompts, t.settings, t.clock, t.shell, t.folders, t.locale, t.clipboard, t.state};
    Application app{ctx};
    QTimer closer;
    std::function<void(QWidget*)> onOpen;
    RechnungWindow* window = nullptr;
    quittora::testing::FakePrinters* printers = nullptr;
    int steps = 0;
};

TEST_P(Robustness, EveryButtonAndMenuItemWithQuestionsDeclinedThenAnsweredYes)
{
    pressEverything();
    EXPECT_TRUE(printers->jobs.empty()) << "printed although the print dialog was cancelled";
    // Now printing goes ahead, to the recording printer; in two states it fails.
    prompts.accept = true;
    prompts.typeIntoInputs = true;
    window->output().setPrintDialog([](ProgramState&) { return true; });
    printers->failPrinting = GetParam() == Start::Small || GetParam() == Start::NoDocuments;
    pressEverything();
    EXPECT_GT(steps, 20);
    if (GetParam() == Start::TemplateOnly || GetParam() == Start::LastDocumentDeleted)
        EXPECT_FALSE(printers->jobs.empty());
}

TEST_P(Robustness, NonsenseInEveryFieldThenTheButtonThatUsesIt)
{
    for (int tab = 0; tab < window->tabs()->count(); ++tab) {
        window->tabs()->setCurrentIndex(tab);
        settle();
        for (const auto& [edit, name] : typableEdits()) {
            for (const QString& text : kNonsense) {
                if (window->tabs()->currentIndex() != tab) {
                    window->tabs()->setCurrentIndex(tab);
                    settle();
                }
                typeNonsense(edit, name, text);
            }
        }
    }
    window->tabs()->setCurrentIndex(0);
    button("Command11")->click(); // the search box of the document list shows with the list
    settle();
    for (const QString& text : kNonsense)
        typeNonsense(window->findChild<QLineEdit*>(u("Text33")), u("Text33"), text);
    button("Command11")->click();

    // With every question answered Yes, prices only change on input that is a number.
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
    for (const auto& use : uses) {
        for (const QString& text : kNonsense) {
            window->tabs()->setCurrentIndex(use.tab);
            settle();
            const QStringList pricesBefore = prices();
            for (const QString& field : use.fields) {
                auto* e = window->findChild<QLineEdit*>(field);
                e->setFocus();
                e->selectAll();
                QTest::keyClicks(e, text);
            }
            QAbstractButton* b = button(use.button);
            if (!b->isVisible() || !b->isEnabled())
                continue;
            pressButton(b);
            if (!text.contains(QRegularExpression(u("[0-9]"))))
                EXPECT_EQ(prices(), pricesBefore) << "prices changed by \"" << text.toStdString() << "\"";
            for (const QString& field : use.fields)
                window->findChild<QLineEdit*>(field)->clear();
        }
    }
    EXPECT_GT(steps, 80);
}

// Clicks and double clicks on every caption and picture (some open a
// calendar, the postal codes or a colour); clicks, keys and double clicks on
// the first rows of every grid.
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
            for (bool twice : {false, true}) {
                step((twice ? u("double click on ") : u("click on ")) + label->objectName(), label->objectName(),
                     [l, twice] {
                         if (l && l->isVisible())
                             twice ? QTest::mouseDClick(l, Qt::LeftButton) : QTest::mouseClick(l, Qt::LeftButton);
                     });
            }
        }
        for (QTableView* grid : window->findChildren<QTableView*>()) {
            if (grid->objectName().isEmpty() || !grid->isVisible())
                continue;
            QPointer<QTableView> g(grid);
            for (int row = 0; row < qMin(grid->model()->rowCount(), 3); ++row) {
                auto act = [g, row](int key) {
                    if (!g || !g->isVisible() || row >= g->model()->rowCount())
                        return;
                    const QPoint cell = g->visualRect(g->model()->index(row, 0)).center();
                    if (key == 0)
                        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell);
                    else if (key == 1)
                        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell);
                    else
                        QTest::keyClick(g, Qt::Key(key));
                };
                for (int key : {0, int(Qt::Key_Down), int(Qt::Key_Up), int(Qt::Key_Return), int(Qt::Key_Delete),
                                int(Qt::Key_Escape), 1})
                    step(u("0x%1 on a row of ").arg(key, 0, 16) + grid->objectName(), grid->objectName(),
                         [act, key] { act(key); });
                tabs->setCurrentIndex(tab);
                settle();
            }
        }
    }
    EXPECT_GT(steps, 20);
}

// The overview, printer, info and settings windows of the menu get nonsense
// in every field and every button pressed, questions answered Yes; rates that
// are no rates keep the settings open with a message until put right.
TEST_P(Robustness, NonsenseAndEveryButtonInTheWindowsOfTheMenu)
{
    prompts.accept = true;
    prompts.typeIntoInputs = true;
    window->output().setPrintDialog([](ProgramState&) { return true; });
    for (const char* item : {"mnuUmsatz", "mnuDrucker", "mnuInfo"}) {
        for (const QString& text : {kNonsense.at(0), kNonsense.at(1), kNonsense.at(5), kNonsense.at(8)}) {
            int pressed = 0;
            inMenuWindow(item, text, [&](QWidget* dialog) {
                QPointer<QWidget> alive(dialog);
                for (QLineEdit* e : dialog->findChildren<QLineEdit*>()) {
                    if (alive && e->isVisible() && e->isEnabled() && !e->isReadOnly()) {
                        e->setFocus();
                        e->selectAll();
                        QTest::keyClicks(e, text);
                        QTest::keyClick(e, Qt::Key_Return);
                    }
                }
                for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
                    if (!alive)
                        break;
                    if (b->isVisible() && b->isEnabled()) {
                        ++pressed;
                        b->click();
                        QCoreApplication::processEvents();
                    }
                }
                if (alive && alive->isVisible())
                    alive->close();
            });
            EXPECT_GT(pressed, 0) << item;
        }
    }
    prompts.accept = false;
    prompts.typeIntoInputs = false;
    for (const QString& text : kNonsense) {
        int typedInto = 0;
        inMenuWindow("mnuStammdaten", text, [&](QWidget* dialog) {
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
                    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Return, Qt::Key_Tab}) // no Escape: it closes
                        QTest::keyClick(e, key);
                }
            }
            QAbstractButton* close = nullptr;
            for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
                if (b->text() == u("&Schließen"))
                    close = b;
            ASSERT_NE(close, nullptr);
            const qsizetype shownBefore = prompts.texts.size();
            close->click();
            if (dialog->isVisible()) {
                ASSERT_GT(prompts.texts.size(), shownBefore) << "the settings stayed open without a word";
                EXPECT_TRUE(prompts.texts.last().contains(u("MWSt")) || prompts.texts.last().contains(u("MwSt")))
                    << prompts.texts.last().toStdString();
                dialog->findChild<QLineEdit*>(u("Text2"))->setText(u("19"));
                dialog->findChild<QLineEdit*>(u("Text13"))->setText(u("7"));
                close->click();
            }
            EXPECT_FALSE(dialog->isVisible());
            if (dialog->isVisible())
                static_cast<QDialog*>(dialog)->done(QDialog::Rejected);
        });
        EXPECT_GT(typedInto, 5);
    }
}

// Another program holds the database while the user stores a new customer:
// the user is told, the typed customer stays and is stored once the file is
// free. "öffnen" given files that are no database refuses each and goes on
// with the open one.
TEST_P(Robustness, ADatabaseHeldByAnotherProgramAndFilesThatAreNoDatabase)
{
    if (GetParam() != Start::Small)
        GTEST_SKIP() << "one state is enough";
    window->tabs()->setCurrentIndex(1);
    button("Command7")->click();
    settle();
    auto* name = window->findChild<QLineEdit*>(u("Text18"));
    name->setFocus();
    QTest::keyClicks(name, u("Gesperrt-Kunde"));
    const qint64 before = db.count(u("Kunden"));
    QSqlQuery lock(db.connection());
    ASSERT_TRUE(lock.exec(u("BEGIN EXCLUSIVE")));
    const qsizetype shownBefore = prompts.texts.size();
    button("Command15")->click();
    settle();
    ASSERT_TRUE(QSqlQuery(db.connection()).exec(u("ROLLBACK")));
    ASSERT_GT(prompts.texts.size(), shownBefore) << "the failed store was not reported";
    expectGermanSince(shownBefore);
    EXPECT_EQ(db.count(u("Kunden")), before);
    EXPECT_EQ(name->text(), u("Gesperrt-Kunde")) << "what the user typed was thrown away";
    button("Command15")->click();
    settle();
    EXPECT_EQ(db.count(u("Kunden"), u("a2 = ?"), {u("Gesperrt-Kunde")}), 1);

    QAction* open = window->findChild<QAction*>(u("mnuOeffnen"));
    const QString text = db.filePath(u("notiz.qtb"));
    const QString empty = db.filePath(u("leer.qtb"));
    for (const QString& path : {text, empty}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (path == text)
            f.write("keine Datenbank");
    }
    ASSERT_TRUE(QDir(db.folder()).mkdir(u("Ordner.qtb")));
    const QString openPath = app.database().path();
    for (const QString& path : {text, empty, db.filePath(u("Ordner.qtb")), db.filePath(u("fehlt.qtb")),
                                db.filePath(u("notiz.txt")), u("   ")}) {
        prompts.openFiles = {path};
        const qsizetype shown = prompts.texts.size();
        step(u("open ") + path, u("mnuOeffnen"), [open] { open->trigger(); });
        EXPECT_GT(prompts.texts.size(), shown) << "refused without a word: " << path.toStdString();
        EXPECT_EQ(app.database().path(), openPath);
        EXPECT_EQ(window->sources().documents().recordCount(), db.count(u("Rechnungen")));
    }
    EXPECT_EQ(test::TempDatabase::readFile(text), QByteArray("keine Datenbank"));
    EXPECT_EQ(QFileInfo(empty).size(), 0);
}

// A few hundred steps in a random but repeatable order: presses, menu items
// and typing mixed, with questions answered either way.
TEST_P(Robustness, SeededRandomSteps)
{
    std::mt19937 random(20241206u + static_cast<unsigned>(GetParam()));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 400 && clock.elapsed() < 25000 && !HasFatalFailure(); ++i) {
        prompts.accept = random() % 3 == 0;
        prompts.typeIntoInputs = random() % 2 == 0;
        const unsigned pick = random();
        switch (random() % 4) {
        case 0:
            window->tabs()->setCurrentIndex(static_cast<int>(pick % 3));
            settle();
            break;
        case 1:
            if (const auto buttons = pressableButtons(); !buttons.isEmpty())
                pressButton(buttons.at(static_cast<int>(pick % buttons.size())));
            break;
        case 2:
            if (const auto items = enabledMenuItems(); !items.isEmpty())
                triggerItem(items.at(static_cast<int>(pick % items.size())));
            break;
        default:
            if (const auto edits = typableEdits(); !edits.isEmpty()) {
                const auto& [edit, name] = edits.at(static_cast<int>(pick % edits.size()));
                typeNonsense(edit, name, kNonsense.at(static_cast<int>(random() % kNonsense.size())));
            }
        }
    }
    EXPECT_GT(steps, 20);
}

std::string stateName(const ::testing::TestParamInfo<Start>& info)
{
    const char* names[] = {"NoDocuments", "TemplateOnly", "Small", "LastDocumentDeleted", "SmallWithPoint"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(States, Robustness,
                         ::testing::Values(Start::NoDocuments, Start::TemplateOnly, Start::Small,
                                           Start::LastDocumentDeleted, Start::SmallWithPoint),
                         stateName);

} // namespace
