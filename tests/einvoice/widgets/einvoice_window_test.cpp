// The e-invoice's data where the user enters it, and the menu command that
// saves it: fields of a fixed form are told and put back when wrong, stored
// in their normal form when sound.

#include "support/MainWindowFixture.h"
#include "support/ToolsDialogs.h"
#include "tools/widgets/SettingsDialog.h"

#include <QFileInfo>

using namespace quittora;
using namespace quittora::test;

namespace {

// Types into a field and leaves it with Enter; the message said, if any.
QString enter(FakePrompts& prompts, QLineEdit* e, const QString& text)
{
    const int before = prompts.count();
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
    return prompts.count() > before ? prompts.last().text : QString();
}

class EInvoiceWindowTest : public MainWindowTest {
protected:
    void beforeOpen() override
    {
        ASSERT_TRUE(db.exec(u("UPDATE Kunden SET Leitweg = '04011000-1234512345-06', a40 = 'einkauf@mueller.de' "
                              "WHERE ID = ?"), {sample.mueller}));
    }
};

} // namespace

TEST_F(EInvoiceWindowTest, CustomerAndHeadFieldsAreCheckedAsTheyAreLeft)
{
    ASSERT_TRUE(customers().moveToId(sample.mueller));
    const struct {
        const char* field;
        const char* typed;
        const char* message; // part of it; nullptr: none
        const char* shown;
    } rows[] = {
        {"txtUStIdNr", "de 811 907 980", nullptr, "DE811907980"},
        {"txtUStIdNr", "DE12", "keine gültige USt-IdNr.", "DE811907980"},
        {"txtLand", "at", nullptr, "AT"},
        {"txtLand", "XY", "kein Ländercode", "AT"},
        {"txtLeistungsdatum", "4.12.2026", nullptr, "04.12.2026"},
        {"txtLeistungsdatum", "31.02.2026", "kein Leistungsdatum", "04.12.2026"},
        {"txtLeistungsdatum", "", nullptr, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.field) + " " + r.typed);
        const QString said = enter(t.prompts, edit(r.field), u(r.typed));
        EXPECT_EQ(said.isEmpty(), r.message == nullptr) << said.toStdString();
        if (r.message) {
            EXPECT_TRUE(said.contains(u(r.message))) << said.toStdString();
        }
        EXPECT_EQ(edit(r.field)->text(), u(r.shown));
    }
    ASSERT_TRUE(customers().update());
    EXPECT_EQ(db.field(u("Kunden"), sample.mueller, u("UStIdNr")).toString() + u("|")
                  + db.field(u("Kunden"), sample.mueller, u("Land")).toString(),
              u("DE811907980|AT"));

    // Taking the customer over fills the reference from the Leitweg-ID.
    t.prompts.answerMessage(Prompts::Yes);
    click("Command2");
    settle();
    EXPECT_EQ(edit("txtReferenz")->text(), u("04011000-1234512345-06"));
    EXPECT_EQ(stored(docs().currentId(), "Referenz b10"), u("04011000-1234512345-06|einkauf@mueller.de"));
}

// Both e-invoice files of the menu: XRechnung as XML, ZUGFeRD as PDF with
// the XRechnung inside (the customer has a Leitweg-ID). What the files hold
// and that they pass the official rules: the xrechnung and zugferd commands'
// tests, which write them through the same calls.
TEST_F(EInvoiceWindowTest, TheMenuListsWhatIsMissingThenSavesBothEInvoiceFiles)
{
    const char* const menus[] = {"mnuXRechnung", "mnuZugferd"};
    goTo(sample.doc1);
    for (const char* menu : menus) {
        t.prompts.clear();
        action(menu)->trigger();
        ASSERT_GE(t.prompts.count(), 1) << menu;
        EXPECT_TRUE(lastText().contains(u("IBAN fehlt – Einstellungen → E-Rechnung"))) << lastText().toStdString();
        EXPECT_TRUE(t.prompts.shown(FakePrompts::Kind::SaveFile).isEmpty()) << "no file chosen before the data is complete";
    }

    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET UStIdNr = 'DE811907980', Ansprechpartner = 'Max Mustermann', "
                          "IBAN = 'DE89370400440532013000', Tel = '089 123456', Einst1 = 'info@firma.de'")));
    ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET Referenz = 'Bestellung 4711', b10 = 'einkauf@mueller.de', "
                          "a5 = '80331 München' WHERE ID = ?"),
                        {sample.doc1}));
    reread();
    goTo(sample.doc1);
    const QString xml = dir.filePath(u("Rechnung 1001.xml")), pdf = dir.filePath(u("Rechnung 1001.pdf"));
    for (const QString& path : {xml, pdf}) {
        t.prompts.clear();
        t.prompts.answerSaveFile(path);
        action(path == xml ? menus[0] : menus[1])->trigger();
        const auto dialogs = t.prompts.shown(FakePrompts::Kind::SaveFile);
        ASSERT_EQ(dialogs.size(), 1) << lastText().toStdString();
        EXPECT_TRUE(dialogs.first().defaultText.endsWith(u("/") + QFileInfo(path).fileName()));
        EXPECT_TRUE(lastText().contains(u("wurde gespeichert"))) << lastText().toStdString();
        ASSERT_TRUE(QFileInfo::exists(path));
    }
}

class EInvoiceSettingsTest : public DialogTest {};

TEST_F(EInvoiceSettingsTest, AWrongIdentifierIsToldAndPutBackASoundOneStoredNormalised)
{
    TempDatabase tdb;
    ASSERT_TRUE(tdb.isValid());
    auto dialog = std::make_unique<SettingsDialog>(t.ctx, tdb.db());
    ASSERT_TRUE(showAndWait(*dialog));
    const struct {
        const char* field;
        const char* typed;
        const char* message;
        const char* shown;
    } rows[] = {
        {"txtIBAN", "de89 3704 0044 0532 0130 00", nullptr, "DE89370400440532013000"},
        {"txtIBAN", "DE89 3704 0044 0532 0130 01", "Prüfziffern stimmen nicht", "DE89370400440532013000"},
        {"txtBIC", "cobadeffxxx", nullptr, "COBADEFFXXX"},
        {"txtBIC", "COBA12", "keine gültige BIC", "COBADEFFXXX"},
        {"txtUStIdNr", "ATU1234567", "keine gültige USt-IdNr.", ""},
        {"txtLand", "ch", nullptr, "CH"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.field) + " " + r.typed);
        const QString said = enter(t.prompts, child<QLineEdit>(*dialog, r.field), u(r.typed));
        EXPECT_EQ(said.isEmpty(), r.message == nullptr) << said.toStdString();
        if (r.message) {
            EXPECT_TRUE(said.contains(u(r.message))) << said.toStdString();
        }
        EXPECT_EQ(child<QLineEdit>(*dialog, r.field)->text(), u(r.shown));
    }
    EXPECT_TRUE(dialog->close());
    EXPECT_EQ(tdb.setting(u("IBAN")).toString() + u("|") + tdb.setting(u("BIC")).toString() + u("|")
                  + tdb.setting(u("Land")).toString() + u("|") + tdb.setting(u("UStIdNr")).toString(),
              u("DE89370400440532013000|COBADEFFXXX|CH|"));
}
