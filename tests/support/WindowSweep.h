#pragma once

// What a user can press, choose or type in the main window, for the tests
// that try every control in turn (the robustness runs, the locked invoice),
// and the closer that dismisses whatever such a step opens. gui_tests only.

#include "safety/widgets/BackupWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace quittora::test {

// One step of the user: what (for the trace), the control's name and the deed.
struct UserAct {
    QString what, control;
    std::function<void()> run;
};
enum UserActKinds { Buttons = 1, MenuItems = 2, Fields = 4 };

// Every named button that shows and is enabled, every menu item but
// "Beenden", and every field open to typing (an editable combo box lends its
// name), where typing does `type` to it. A control gone or disabled by an
// earlier step is left alone.
inline QList<UserAct> userActs(const QMainWindow& window, int kinds, const QString& typing = {},
                               const std::function<void(QLineEdit*)>& type = {})
{
    QList<UserAct> result;
    if (kinds & Buttons)
        for (QAbstractButton* b : window.findChildren<QAbstractButton*>())
            if (!b->objectName().isEmpty() && b->isVisible() && b->isEnabled())
                result.push_back({QStringLiteral("button"), b->objectName(), [p = QPointer(b)] {
                                      if (p && p->isVisible() && p->isEnabled())
                                          p->click();
                                  }});
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->menu())
                walk(a->menu());
            else if (!a->isSeparator() && a->isEnabled() && !a->objectName().isEmpty()
                     && a->objectName() != QLatin1String("mnuBeenden"))
                result.push_back({QStringLiteral("menu"), a->objectName(), [p = QPointer(a)] {
                                      if (p && p->isEnabled())
                                          p->trigger();
                                  }});
        }
    };
    if (kinds & MenuItems)
        for (QAction* a : window.menuBar()->actions())
            if (a->menu() && a->isEnabled())
                walk(a->menu());
    if (kinds & Fields)
        for (QLineEdit* e : window.findChildren<QLineEdit*>()) {
            auto* combo = qobject_cast<QComboBox*>(e->parentWidget());
            const QString name = combo ? combo->objectName() : e->objectName();
            if (e->isVisible() && e->isEnabled() && !e->isReadOnly() && !name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
                result.push_back({typing, name, [p = QPointer(e), type] {
                                      if (p && p->isVisible() && p->isEnabled())
                                          type(p);
                                  }});
        }
    return result;
}

// Closes whatever modal window or popup opens as Escape would; the backup
// window goes back to the program (closing it would end it).
class ModalCloser {
public:
    ModalCloser()
    {
        m_timer.setInterval(15);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [] {
            QWidget* w = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
            if (auto* backup = qobject_cast<BackupWindow*>(w))
                backup->backToMain();
            else if (auto* dialog = qobject_cast<QDialog*>(w))
                dialog->reject();
            else if (w)
                w->close();
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

} // namespace quittora::test
