#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

class QLineEdit;

namespace quittora {

struct AppContext;
class RechnungWindow;
class Recordset;

// The article work of the main window: the search box `Text22` (articles on
// " Auswahl" and " Artikel", customers on " Kunden"), new / save / delete
// article (never the last one), the range selection and special search and
// the quick price change of the frame `Frame2`.
class ArticlesController : public QObject {
    Q_OBJECT
public:
    ArticlesController(RechnungWindow& window, AppContext& ctx);

    void searchTyped(const QString& text);
    void newArticle();
    void save();
    void remove();
    void select();
    void changePrices();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename T>
    T* find(const char* name) const;
    Recordset& rs() const;
    int page() const;
    void updateCount();
    bool searchKey(int key);
    // Sets an article source and reads it; on failure the list stays as it was.
    bool setSource(const QString& source, const QVariantList& params, bool read);

    RechnungWindow& m_window;
    AppContext& m_ctx;
    QLineEdit* m_search;
};

} // namespace quittora
