#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace quittora {

// Types text into a widget key by key, umlauts and other non-ASCII characters
// included (QTest::keyClicks only knows ASCII). Each character arrives as a
// key press and release carrying it as text, as a keyboard delivers it.
inline void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        const int key = c.isLetter() ? QChar(c.toUpper()).unicode() : c.unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &release);
    }
}

} // namespace quittora
