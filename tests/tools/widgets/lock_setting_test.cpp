// The lock after issue on the settings page "Rechnungsvorgaben": shows the
// stored setting and stores what is ticked when the dialog closes.

#include "support/TempDatabase.h"
#include "support/ToolsDialogs.h"
#include "tools/widgets/SettingsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>

using namespace quittora;

namespace {

class LockSetting : public test::DialogTest {};

TEST_F(LockSetting, TheCheckBoxShowsAndStoresFestschreiben)
{
    for (const int stored : {-1, 0}) {
        test::TempDatabase db;
        ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Einstellungen SET Festschreiben = ?"), {stored}));
        SettingsDialog dialog(t.ctx, db.db());
        ASSERT_TRUE(test::showAndWait(dialog));
        auto* box = test::child<QCheckBox>(dialog, "chkFestschreiben");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QString::fromUtf8("Rechnungen nach dem Ausstellen festschreiben (GoBD)"));
        EXPECT_EQ(box->isChecked(), stored != 0);
        test::tick(box);
        ASSERT_TRUE(dialog.close());
        EXPECT_EQ(db.setting(QStringLiteral("Festschreiben")).toInt(), stored != 0 ? 0 : -1);
    }
}

} // namespace
