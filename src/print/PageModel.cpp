#include "print/PageModel.h"

namespace quittora {

namespace {

template <typename T>
std::vector<const T*> itemsOf(const std::vector<PageItem>& items)
{
    std::vector<const T*> result;
    for (const PageItem& item : items) {
        if (const auto* p = std::get_if<T>(&item))
            result.push_back(p);
    }
    return result;
}

} // namespace

std::vector<const TextItem*> Page::texts() const { return itemsOf<TextItem>(items); }
std::vector<const LineItem*> Page::lines() const { return itemsOf<LineItem>(items); }
std::vector<const ImageItem*> Page::images() const { return itemsOf<ImageItem>(items); }

const TextItem* Page::findText(const QString& text) const
{
    for (const PageItem& item : items) {
        if (const auto* t = std::get_if<TextItem>(&item); t && t->text == text)
            return t;
    }
    return nullptr;
}

Page& PageModel::addPage()
{
    m_pages.emplace_back();
    return m_pages.back();
}

Page& PageModel::lastPage()
{
    return m_pages.empty() ? addPage() : m_pages.back();
}

} // namespace quittora
