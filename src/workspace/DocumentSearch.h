#pragma once

#include <QString>
#include <QVariantList>

namespace quittora {

class Recordset;

// The search box of the document list: as the user types, the list goes to
// its first document and then to the first one that matches
//   by number: the number (a7) starts with the text,
//   by name:   the name line (a2) or the addition line (a3) contains it.
// Without a match the list stays on its first document; the next change of
// the text searches again. The text only ever travels as a bound value.
class DocumentSearch {
public:
    enum class Mode { Number, Name };

    explicit DocumentSearch(Recordset& documents);

    Mode mode() const { return m_mode; }
    void setMode(Mode mode) { m_mode = mode; }

    static QString criterion(Mode mode);
    static QVariantList parameters(Mode mode, const QString& text);

    // The box's text changed. True when a document was found.
    bool textChanged(const QString& text);
    // Enter: the next document after the current one that matches. True
    // when found.
    bool findNext(const QString& text);
    // Arrow keys: the next / previous document, staying on the last / first.
    void moveDown();
    void moveUp();

private:
    Recordset& m_docs;
    Mode m_mode = Mode::Number;
};

} // namespace quittora
