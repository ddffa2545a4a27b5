// The whole main window under a clumsy or hostile user: every enabled button
// and menu item pressed in turn, nonsense typed into every field, every
// caption and grid row clicked, in several states of the database. After each
// step the file is sound, no record went missing or appeared where the step
// did not mean to add or delete one, and every message said something, in
// German.

#include "app/Application.h"
#include "support/GermanText.h"
#include "support/MainWindowFixture.h"
#include "support/WindowSweep.h"
#include "tools/UpdateCheck.h"

#include <QApplication>
#include <QSet>
#include <QSqlQuery>
#include <QTableView>


using namespace quittora;
using test::u;
using Act = test::UserAct;
using test::Buttons;
using test::Fields;
using test::MenuItems;

namespace {

const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());

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
    // Deleting a document takes its lines; a new one from an old one brings them.
    if (u("Command5 mnuStornieren mnuKopieren mnuAngebotZuRechnung").split(u' ').contains(control))
        return Rechnungen | Verkauf;
    for (const auto& [tables, names] : {std::pair{Kunden, "Command7 Command9 Command15"}, {Artikel, "Command6 Command14 Command16"},
                                        {Rechnungen, "Command4"},
                                        {Verkauf, "Command3 Command17 Command29 Text12 Text13 Text14 Text15 Text16 Combo5 DBGrid1"}})
        if (u(names).split(u' ').contains(control))
            return tables;
    return 0;
}

void typeInto(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
}

// SmallWithPoint: the small database under a locale whose decimal separator
// is the point (its amounts were written with the comma).
enum class Start { NoDocuments, TemplateOnly, Small, LastDocumentDeleted, SmallWithPoint };
const char* const kStartNames[] = {"NoDocuments", "TemplateOnly", "Small", "LastDocumentDeleted", "SmallWithPoint"};

class Robustness : public ::testing::TestWithParam<Start> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kNoUpdateServer);
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        if (GetParam() != Start::TemplateOnly)
            test::SampleDocuments sample(db);
        ASSERT_TRUE(GetParam() != Start::NoDocuments || (db.exec(u("DELETE FROM Verkauf")) && db.exec(u("DELETE FROM Rechnungen"))));
        t.settings.setValue(u("Datenpfad"), db.path());
        window = app.start();
        ASSERT_NE(window, nullptr);
        auto fake = std::make_unique<quittora::testing::FakePrinters>();
        fake->installed = {fake->defaultPrinter = u("Laser")};
        printers = fake.get();
        window->output().setPrinters(std::move(fake));
        // The print dialog is cancelled: nothing reaches even the recording printer.
        window->output().setPrintDialog([](ProgramState&) { return false; });
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        settle();
        if (GetParam() == Start::LastDocumentDeleted) {
            prompts.accept = true;
            step({u("delete"), u("Command5"), [this] { button("Command5")->click(); }});
            prompts.accept = false;
            ASSERT_EQ(db.count(u("Rechnungen")), 3);
        }
    }
    void TearDown() override { window ? window->hide() : void(); }

    QAbstractButton* button(const char* name) const { return test::control<QAbstractButton>(*window, name); }
    void settle() { EXPECT_TRUE(test::settleWindow(*window)) << "deferred work does not come to an end"; }
    void setTab(int tab)
    {
        window->tabs()->setCurrentIndex(tab);
        settle();
    }
    QList<qint64> counts() const
    {
        return {db.count(u("Kunden")), db.count(u("Artikel")), db.count(u("Rechnungen")), db.count(u("Verkauf"))};
    }
    void expectGermanSince(qsizetype shownBefore)
    {
        for (qsizetype i = shownBefore; i < prompts.texts.size(); ++i)
            EXPECT_TRUE(!prompts.texts.at(i).trimmed().isEmpty() && !test::looksEnglish(prompts.texts.at(i)))
                << "empty or English: " << prompts.texts.at(i).toStdString();
    }

    // One step of the user, and what a user relies on afterwards.
    void step(const Act& act)
    {
        SCOPED_TRACE((act.what + u(" ") + act.control).toStdString());
        const QList<qint64> before = counts();
        const qsizetype shownBefore = prompts.texts.size();
        // A record begun by "new" earlier is stored by whatever step stores
        // pending edits next; typing into the head with no document shown
        // starts one. One more, then, never fewer.
        const DataSources& s = window->sources();
        const bool pending[] = {s.customers().isAdding(), s.articles().isAdding(),
                                s.documents().isAdding() || !s.documents().hasCurrent(), false};
        act.run();
        settle();
        ++steps;
        QSqlQuery q(db.connection());
        EXPECT_TRUE(q.exec(u("PRAGMA integrity_check")) && q.next() && q.value(0).toString() == u("ok"));
        const QList<qint64> after = counts();
        for (int table = 0; table < 4; ++table) {
            if (!(mayChange(act.control) & (1 << table)) && !(pending[table] && after[table] == before[table] + 1)) {
                EXPECT_EQ(after[table], before[table]) << "records of table " << table;
            }
        }
        expectGermanSince(shownBefore);
        EXPECT_TRUE(window->isVisible() && !QApplication::activeModalWidget()) << "the main window went away or a window stayed open";
    }

    // What the user can do now; typing puts text into a field and presses
    // the arrows, Enter and Escape in it.
    QList<Act> acts(int kinds, const QString& text = QString()) const
    {
        return test::userActs(*window, kinds, u("typing \"") + text.left(12) + u("\" into"), [text](QLineEdit* e) {
            const QPointer<QLineEdit> p(e);
            for (int key : {0, int(Qt::Key_Up), int(Qt::Key_Down), int(Qt::Key_Return), int(Qt::Key_Escape)}) {
                if (!p || !p->isVisible() || !p->isEnabled())
                    return;
                key ? QTest::keyClick(p, Qt::Key(key)) : typeInto(p, text);
            }
        });
    }
    // Every button of every tab (a press may show or enable further ones),
    // then every menu item.
    void pressEverything()
    {
        for (int tab = 0; tab < window->tabs()->count(); ++tab) {
            setTab(tab);
            QSet<QString> pressed;
            for (int round = 0; round < 2; ++round)
                for (const Act& a : acts(Buttons))
                    if (!pressed.contains(a.control)) {
                        pressed << a.control;
                        step(a);
                    }
        }
        for (const Act& a : acts(MenuItems))
            step(a);
    }

    static QChar separator() { return GetParam() == Start::SmallWithPoint ? QLatin1Char('.') : QLatin1Char(','); }

    test::TempDatabase db{separator()};
    TestContext t{separator()};
    AnsweringPrompts prompts;
    AppContext ctx{prompts, t.settings, t.clock, t.shell, t.folders, t.locale, t.clipboard, t.state};
    Application app{ctx};
    test::ModalCloser closer;
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
    EXPECT_TRUE((GetParam() != Start::TemplateOnly && GetParam() != Start::LastDocumentDeleted) || !printers->jobs.empty());
}

// Nonsense typed into every field; clicks and double clicks on every caption
// and picture (some open a calendar, the postal codes or a colour); clicks,
// keys and double clicks on the first rows of every grid.
TEST_P(Robustness, NonsenseInEveryFieldAndEveryCaptionAndGridRowClicked)
{
    for (int tab = 0; tab < window->tabs()->count(); ++tab) {
        for (const QString& text : kNonsense) {
            setTab(tab);
            for (const Act& a : acts(Fields, text)) {
                if (window->tabs()->currentIndex() != tab)
                    setTab(tab);
                step(a);
            }
        }
        setTab(tab);
        for (QLabel* label : window->findChildren<QLabel*>())
            if (!label->objectName().isEmpty() && label->isVisible())
                for (bool twice : {false, true})
                    step({twice ? u("double click on") : u("click on"), label->objectName(), [l = QPointer(label), twice] {
                              if (l && l->isVisible())
                                  twice ? QTest::mouseDClick(l, Qt::LeftButton) : QTest::mouseClick(l, Qt::LeftButton);
                          }});
        for (QTableView* grid : window->findChildren<QTableView*>()) {
            for (int row = 0; !grid->objectName().isEmpty() && grid->isVisible() && row < qMin(grid->model()->rowCount(), 3); ++row) {
                for (int key : {0, int(Qt::Key_Down), int(Qt::Key_Up), int(Qt::Key_Return), int(Qt::Key_Delete),
                                int(Qt::Key_Escape), 1})
                    step({u("0x%1 on a row of").arg(key, 0, 16), grid->objectName(), [g = QPointer(grid), row, key] {
                              if (!g || !g->isVisible() || row >= g->model()->rowCount())
                                  return;
                              const QPoint cell = g->visualRect(g->model()->index(row, 0)).center();
                              if (key == 0)
                                  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell);
                              else if (key == 1)
                                  QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell);
                              else
                                  QTest::keyClick(g, Qt::Key(key));
                          }});
                setTab(tab);
            }
        }
    }
    setTab(0);
    button("Command11")->click(); // the search box of the document list shows with the list
    settle();
    for (const QString& text : kNonsense)
        for (const Act& a : acts(Fields, text))
            if (a.control == u("Text33"))
                step(a);
    EXPECT_GT(steps, 100);
}

// Another program holds the database while the user stores a new customer:
// the user is told, the typed customer stays and is stored once the file is
// free.
TEST_P(Robustness, ADatabaseHeldByAnotherProgramKeepsWhatTheUserTyped)
{
    if (GetParam() != Start::Small)
        GTEST_SKIP() << "one state is enough";
    setTab(1);
    button("Command7")->click();
    settle();
    auto* name = window->findChild<QLineEdit*>(u("Text18"));
    typeInto(name, u("Gesperrt-Kunde"));
    const qint64 before = db.count(u("Kunden"));
    QSqlQuery lock(db.connection());
    ASSERT_TRUE(lock.exec(u("BEGIN EXCLUSIVE")));
    const qsizetype shownBefore = prompts.texts.size();
    button("Command15")->click();
    settle();
    ASSERT_TRUE(QSqlQuery(db.connection()).exec(u("ROLLBACK")));
    ASSERT_GT(prompts.texts.size(), shownBefore) << "the failed store was not reported";
    expectGermanSince(shownBefore);
    EXPECT_TRUE(db.count(u("Kunden")) == before && name->text() == u("Gesperrt-Kunde")) << "what the user typed was thrown away";
    button("Command15")->click();
    settle();
    EXPECT_EQ(db.count(u("Kunden"), u("a2 = ?"), {u("Gesperrt-Kunde")}), 1);
}

INSTANTIATE_TEST_SUITE_P(States, Robustness,
                         ::testing::Values(Start::NoDocuments, Start::TemplateOnly, Start::Small, Start::LastDocumentDeleted,
                                           Start::SmallWithPoint),
                         [](const ::testing::TestParamInfo<Start>& info) { return std::string(kStartNames[int(info.param)]); });

} // namespace
