// The main window on an issued invoice under the lock: whatever the user
// presses, types or chooses, the invoice and its lines stay as they are in
// the file (but the paid flag), and every refusal is said.

#include "data/Schema.h"
#include "support/MainWindowFixture.h"
#include "support/WindowSweep.h"
#include "workspace/widgets/DocumentController.h"

#include <QApplication>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace quittora;
using test::u;

namespace {

class LockedInvoice : public test::MainWindowTest {
protected:
    void beforeOpen() override { ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET Festschreiben = -1"))); }
    // The invoice 1003 and its lines as stored, the paid flag left out.
    QStringList invoiceRows() const
    {
        QStringList out;
        for (const char* sql : {"SELECT * FROM Rechnungen WHERE ID = ?", "SELECT * FROM Verkauf WHERE a1 = ? ORDER BY ID"}) {
            QSqlQuery q(db.connection());
            q.prepare(u(sql));
            q.addBindValue(QString::number(sample.doc4));
            EXPECT_TRUE(q.exec());
            while (q.next()) {
                QStringList values;
                for (int i = 0; i < q.record().count(); ++i)
                    if (!(out.isEmpty() && q.record().fieldName(i) == u("opt1")))
                        values << QString::fromLatin1(q.value(i).typeName()) + u(":") + q.value(i).toString();
                out << values.join(u("|"));
            }
        }
        return out;
    }

    // Every control a user can press, choose or type "1" and Enter into,
    // and the date's clicks.
    QList<test::UserAct> acts() const
    {
        const int all = test::Buttons | test::MenuItems | test::Fields;
        QList<test::UserAct> result = test::userActs(*window, all, u("typing"), [](QLineEdit* e) {
            const QPointer<QLineEdit> p(e);
            e->setFocus();
            e->selectAll();
            QTest::keyClicks(e, u("1"));
            if (p)
                QTest::keyClick(e, Qt::Key_Return);
        });
        result.push_back({u("mouse"), u("Text3 double click"), [this] { QTest::mouseDClick(find<QWidget>("Text3"), Qt::LeftButton); }});
        // Reached from no control of its own (its menu item stays disabled).
        result.push_back({u("call"), u("Rechnungen_delete"), [this] { window->documents().Rechnungen_delete(); }});
        return result;
    }

    // Back on the invoice, also after a search left it out of the list.
    void backTo(qint64 id)
    {
        if (!docs().moveToId(id))
            reread();
        goTo(id);
    }

    test::ModalCloser closer;
};

TEST_F(LockedInvoice, NothingInTheWindowChangesItButThePaidFlagAndEveryRefusalIsSaid)
{
    ASSERT_EQ(docs().currentId(), sample.doc4);
    const QString refusal = schema::lockedMessage(u("1003"));
    // The sweep below types into every field; the kind is closed to choosing.
    EXPECT_FALSE(find<QWidget>("Combo3")->isEnabled());

    const QStringList before = invoiceRows();
    ASSERT_EQ(before.size(), 2);
    // The controls that change a document refuse in words; the others do
    // what they do elsewhere (a new document, a copy, a cancellation).
    const QStringList mustRefuse = {u("Command2"), u("Command3"), u("Command5"), u("Command17"),
                                    u("Rechnungen_delete"), u("Text3 double click")};
    QStringList refused;
    QList<std::pair<int, test::UserAct>> all;
    for (int tab = 0; tab < window->tabs()->count(); ++tab) {
        setTab(tab);
        settle();
        for (const test::UserAct& act : acts())
            all.push_back({tab, act});
    }
    for (const auto& [tab, act] : all) {
        SCOPED_TRACE((act.what + u(" ") + act.control + u(" on tab ") + QString::number(tab)).toStdString());
        for (const bool yes : {false, true}) {
            setTab(tab);
            backTo(sample.doc4);
            const int shownBefore = t.prompts.count();
            if (yes)
                t.prompts.answerMessage(Prompts::Yes);
            act.run();
            settle();
            backTo(sample.doc1); // whatever is pending is stored or dropped now
            EXPECT_EQ(invoiceRows(), before);
            QStringList texts;
            for (int i = shownBefore; i < t.prompts.count(); ++i)
                texts << t.prompts.shown().at(i).text;
            // Deleting the documents before this one names the first locked of them.
            const qsizetype said = texts.count(refusal) + texts.count(schema::lockedMessage(u("1001")));
            if (said > 0)
                refused << act.control;
            EXPECT_LE(said, 1) << "said more than once";
            // A question offering "Ja" comes first: answered so once more.
            const bool asked = t.prompts.count() > shownBefore && (t.prompts.shown().at(shownBefore).buttons & Prompts::Yes);
            if (yes) {
                EXPECT_EQ(t.prompts.pendingAnswers(), 0);
            }
            if (!asked)
                break;
        }
        t.prompts.clear();
        ASSERT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    for (const QString& name : mustRefuse)
        EXPECT_TRUE(refused.contains(name)) << name.toStdString() << " did not say it refused";

    // The paid flag is the one thing that still changes.
    setTab(0);
    backTo(sample.doc4);
    const QString paid = stored(sample.doc4, "opt1");
    find<QAbstractButton>("Check1")->click();
    goTo(sample.doc1);
    EXPECT_NE(stored(sample.doc4, "opt1"), paid);
    EXPECT_EQ(invoiceRows(), before);
}

TEST_F(LockedInvoice, AWriteTheDatabaseRefusesIsSaidOnceAndDroppedSoTheUserMovesOn)
{
    const QString name = stored(sample.doc4, "a2");
    const int shownBefore = t.prompts.count();
    docs().setValue(u("a2"), u("Jemand anders")); // past every check of the window
    EXPECT_FALSE(docs().update());
    QCoreApplication::processEvents();
    EXPECT_FALSE(docs().isDirty());
    ASSERT_EQ(t.prompts.count(), shownBefore + 1);
    EXPECT_EQ(lastText(), schema::lockedMessage(u("1003"))); // not "your input is still there": it is dropped
    goTo(sample.doc1);
    EXPECT_EQ(t.prompts.count(), shownBefore + 1);
    EXPECT_EQ(stored(sample.doc4, "a2"), name);
}

TEST_F(LockedInvoice, AQuoteAndAnUnnumberedDraftStayEditable)
{
    const qint64 draft = db.addDocument({}, u("05.03.2024"), u("Rechnung"));
    reread();
    for (const qint64 id : {sample.doc3, draft}) {
        goTo(id);
        EXPECT_FALSE(edit("Text8")->isReadOnly());
        type("Text8", u("Neuer Name"));
        goTo(sample.doc4);
        EXPECT_EQ(stored(id, "a2"), u("Neuer Name"));
    }
}

} // namespace
