#include "config/NewsSource.h"

#include <new>

CNewsSource::~CNewsSource() {
    ClearCategories();
}

bool CNewsSource::AddCategory(const std::string& url, std::int32_t selected, std::int32_t id,
                              const std::string& name) {
    // A category without a page or a name could not be written back.
    if (url.empty() || name.empty() || FindCategoryByUrl(url)) return false;
    CNewsCategory* category = new (std::nothrow) CNewsCategory(url, selected, id, name);
    if (!category) return false;
    if (m_listCategories.AddHead(category) != LIST_OK) {
        delete category;
        return false;
    }
    Changed();
    return true;
}

CNewsCategory* CNewsSource::GetCategory(std::int32_t id) {
    using List = CLinkedList<CNewsCategory*>;
    for (auto p = m_listCategories.HeadPosition(); p; p = List::NextPosition(p))
        if (List::ItemAt(p)->m_nId == id) return List::ItemAt(p);
    return nullptr;
}

CNewsCategory* CNewsSource::FindCategoryByUrl(const std::string& url) {
    using List = CLinkedList<CNewsCategory*>;
    for (auto p = m_listCategories.HeadPosition(); p; p = List::NextPosition(p))
        if (List::ItemAt(p)->m_strUrl == url) return List::ItemAt(p);
    return nullptr;
}

CNewsCategory* CNewsSource::FindCategoryByName(const std::string& name) {
    using List = CLinkedList<CNewsCategory*>;
    for (auto p = m_listCategories.TailPosition(); p; p = List::PrevPosition(p))
        if (List::ItemAt(p)->m_strName == name) return List::ItemAt(p);
    return nullptr;
}

int CNewsSource::CountSelected() const {
    using List = CLinkedList<CNewsCategory*>;
    int count = 0;
    for (auto p = m_listCategories.HeadPosition(); p; p = List::NextPosition(p))
        if (List::ItemAt(p)->m_nSelected) ++count;
    return count;
}

bool CNewsSource::SetSelected(std::int32_t id, std::int32_t value) {
    CNewsCategory* category = GetCategory(id);
    if (!category) return false;
    category->m_nSelected = value;
    return true;
}

std::int32_t CNewsSource::IsSelected(std::int32_t id) {
    CNewsCategory* category = GetCategory(id);
    return category ? category->m_nSelected : 0;
}

// File order is oldest first: the walk runs from the tail toward the head.
CNewsCategory* CNewsSource::FirstCategory(bool bSelectedOnly) {
    CNewsCategory* category = nullptr;
    if (m_listCategories.Last(category) != LIST_OK) return nullptr;
    while (bSelectedOnly && !category->m_nSelected)
        if (m_listCategories.Prev(category) != LIST_OK) return nullptr;
    return category;
}

CNewsCategory* CNewsSource::NextCategory(bool bSelectedOnly) {
    CNewsCategory* category = nullptr;
    do {
        if (m_listCategories.Prev(category) != LIST_OK) return nullptr;
    } while (bSelectedOnly && !category->m_nSelected);
    return category;
}

void CNewsSource::ClearCategories() {
    CNewsCategory* category = nullptr;
    while (m_listCategories.RemoveHead(category) == LIST_OK) delete category;
    Changed();
}

void CNewsSource::ForEachCategory(const std::function<void(const CNewsCategory&)>& visit) const {
    using List = CLinkedList<CNewsCategory*>;
    for (auto p = m_listCategories.HeadPosition(); p; p = List::NextPosition(p)) visit(*List::ItemAt(p));
}
