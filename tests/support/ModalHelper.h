#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace quittora {

// Runs action on the next modal dialog or popup menu as soon as it is open
// (call it before the code that opens it with exec()). Gives up after about
// two seconds, so a dialog that never comes does not hang the test; the
// returned flag then stays false.
inline std::shared_ptr<bool> whenModalOpens(std::function<void(QWidget*)> action)
{
    auto done = std::make_shared<bool>(false);
    auto tries = std::make_shared<int>(0);
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, done, tries, action] {
        QWidget* w = QApplication::activePopupWidget();
        if (!w)
            w = QApplication::activeModalWidget();
        if (w) {
            timer->stop();
            timer->deleteLater();
            *done = true;
            action(w);
        } else if (++*tries > 200) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return done;
}

} // namespace quittora
