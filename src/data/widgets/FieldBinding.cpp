#include "data/widgets/FieldBinding.h"

#include "data/Recordset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextEdit>

#include <algorithm>

namespace quittora {

namespace {

QString shownText(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

bool isYes(const QVariant& v)
{
    if (v.isNull())
        return false;
    bool isNumber = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&isNumber);
    return isNumber ? n != 0 : v.toBool();
}

} // namespace

FieldBinding::FieldBinding(Recordset& recordset, QObject* parent) : QObject(parent), m_rs(recordset)
{
    qRegisterMetaType<QWidget*>(); // for queued receivers of edited()
    connect(&m_rs, &Recordset::currentChanged, this, &FieldBinding::showCurrent);
}

FieldBinding::~FieldBinding()
{
    // The controls may outlive us; they must not call back into a dead binding.
    for (const Binding& b : m_bindings) {
        disconnect(b.widget, nullptr, this, nullptr);
        if (b.kind == Kind::ComboBox) {
            if (QLineEdit* line = static_cast<QComboBox*>(b.widget)->lineEdit())
                disconnect(line, nullptr, this, nullptr);
        }
    }
}

void FieldBinding::add(QWidget* widget, Kind kind, const QString& field)
{
    Q_ASSERT(widget);
    unbind(widget);
    m_bindings.push_back({widget, kind, field});
    connect(widget, &QObject::destroyed, this, [this](QObject* gone) {
        m_bindings.erase(std::remove_if(m_bindings.begin(), m_bindings.end(),
                                        [gone](const Binding& b) { return static_cast<QObject*>(b.widget) == gone; }),
                         m_bindings.end());
    });
    show(m_bindings.back());
}

void FieldBinding::bind(QLineEdit* edit, const QString& field, Writes writes)
{
    add(edit, Kind::LineEdit, field);
    if (writes == Writes::AllChanges)
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { userChanged(edit); });
    else
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { userChanged(edit); });
}

void FieldBinding::bind(QPlainTextEdit* edit, const QString& field, Writes writes)
{
    add(edit, Kind::PlainTextEdit, field);
    connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, writes] {
        if (writes == Writes::AllChanges || edit->document()->isModified())
            userChanged(edit);
    });
}

void FieldBinding::bind(QTextEdit* edit, const QString& field, Writes writes)
{
    add(edit, Kind::TextEdit, field);
    connect(edit, &QTextEdit::textChanged, this, [this, edit, writes] {
        if (writes == Writes::AllChanges || edit->document()->isModified())
            userChanged(edit);
    });
}

void FieldBinding::bind(QComboBox* combo, const QString& field, Writes writes)
{
    add(combo, Kind::ComboBox, field);
    if (writes == Writes::AllChanges) {
        connect(combo, &QComboBox::currentTextChanged, this, [this, combo] { userChanged(combo); });
        return;
    }
    connect(combo, &QComboBox::activated, this, [this, combo] { userChanged(combo); });
    if (QLineEdit* line = combo->lineEdit())
        connect(line, &QLineEdit::textEdited, this, [this, combo] { userChanged(combo); });
}

void FieldBinding::bind(QCheckBox* box, const QString& field, Writes writes)
{
    add(box, Kind::CheckBox, field);
    if (writes == Writes::AllChanges)
        connect(box, &QCheckBox::toggled, this, [this, box] { userChanged(box); });
    else
        connect(box, &QCheckBox::clicked, this, [this, box] { userChanged(box); });
}

void FieldBinding::bind(QLabel* label, const QString& field)
{
    add(label, Kind::Label, field);
}

void FieldBinding::unbind(QWidget* widget)
{
    const auto it = std::find_if(m_bindings.begin(), m_bindings.end(),
                                 [widget](const Binding& b) { return b.widget == widget; });
    if (it == m_bindings.end())
        return;
    disconnect(widget, nullptr, this, nullptr);
    if (it->kind == Kind::ComboBox) {
        if (QLineEdit* line = static_cast<QComboBox*>(widget)->lineEdit())
            disconnect(line, nullptr, this, nullptr);
    }
    m_bindings.erase(it);
}

const FieldBinding::Binding* FieldBinding::find(const QObject* widget) const
{
    for (const Binding& b : m_bindings) {
        if (b.widget == widget)
            return &b;
    }
    return nullptr;
}

QString FieldBinding::fieldOf(const QWidget* widget) const
{
    const Binding* b = find(widget);
    return b ? b->field : QString();
}

void FieldBinding::showCurrent()
{
    // A copy: receivers of the controls' change signals may bind or unbind.
    const std::vector<Binding> bindings = m_bindings;
    for (const Binding& b : bindings) {
        if (find(b.widget))
            show(b);
    }
}

void FieldBinding::show(const Binding& b)
{
    const QScopedValueRollback<bool> guard(m_showing, true);
    const QVariant value = m_rs.value(b.field);
    const QString text = shownText(value);
    // Unchanged content is left alone, so the cursor of a box being edited
    // does not jump when the record is re-read.
    switch (b.kind) {
    case Kind::LineEdit: {
        auto* edit = static_cast<QLineEdit*>(b.widget);
        if (edit->text() != text) {
            edit->setText(text);
            // A text longer than its box shows its beginning (setText leaves
            // the cursor at the end, which scrolls the start out of sight),
            // unless the user is typing in it.
            if (!edit->hasFocus())
                edit->setCursorPosition(0);
        }
        break;
    }
    case Kind::PlainTextEdit: {
        auto* edit = static_cast<QPlainTextEdit*>(b.widget);
        if (edit->toPlainText() != text)
            edit->setPlainText(text);
        edit->document()->setModified(false);
        break;
    }
    case Kind::TextEdit: {
        auto* edit = static_cast<QTextEdit*>(b.widget);
        if (edit->toPlainText() != text)
            edit->setPlainText(text);
        edit->document()->setModified(false);
        break;
    }
    case Kind::ComboBox: {
        auto* combo = static_cast<QComboBox*>(b.widget);
        const int index = combo->findText(text, Qt::MatchExactly);
        if (combo->isEditable()) {
            if (index >= 0 && combo->currentIndex() != index)
                combo->setCurrentIndex(index);
            if (combo->currentText() != text)
                combo->setEditText(text);
        } else if (combo->currentIndex() != index) {
            combo->setCurrentIndex(index);
        }
        break;
    }
    case Kind::CheckBox:
        static_cast<QCheckBox*>(b.widget)->setChecked(isYes(value));
        break;
    case Kind::Label: {
        auto* label = static_cast<QLabel*>(b.widget);
        if (label->text() != text)
            label->setText(text);
        break;
    }
    }
}

QVariant FieldBinding::content(const Binding& b) const
{
    switch (b.kind) {
    case Kind::LineEdit:
        return static_cast<QLineEdit*>(b.widget)->text();
    case Kind::PlainTextEdit:
        return static_cast<QPlainTextEdit*>(b.widget)->toPlainText();
    case Kind::TextEdit:
        return static_cast<QTextEdit*>(b.widget)->toPlainText();
    case Kind::ComboBox:
        return static_cast<QComboBox*>(b.widget)->currentText();
    case Kind::CheckBox:
        return static_cast<QCheckBox*>(b.widget)->isChecked() ? -1 : 0;
    case Kind::Label:
        return static_cast<QLabel*>(b.widget)->text();
    }
    return {};
}

bool FieldBinding::store(const Binding& b)
{
    if (!m_rs.hasCurrent() && !m_rs.isAdding())
        return false;
    // Copies: a receiver of edited() may unbind and so free b.
    QWidget* const widget = b.widget;
    const QString field = b.field;
    m_rs.setValue(field, content(b));
    Q_EMIT edited(widget, field);
    return true;
}

void FieldBinding::userChanged(QWidget* widget)
{
    if (m_showing)
        return;
    if (const Binding* b = find(widget))
        store(*b);
}

bool FieldBinding::write(QWidget* widget)
{
    const Binding* b = find(widget);
    return b && store(*b);
}

bool FieldBinding::writeAll()
{
    bool ok = true;
    // store() may emit edited(), whose receivers could bind or unbind.
    const std::vector<Binding> bindings = m_bindings;
    for (const Binding& b : bindings)
        ok = store(b) && ok;
    return ok;
}

} // namespace quittora
