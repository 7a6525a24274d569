// CNewsSource and CNewsCategory: one news site of the catalogue and its
// category pages (at most one page per category number 1 to 13 is written).
// A source has no lock of its own: use it under the catalogue's lock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/LinkedList.h"

class CNewsCategory {
public:
    CNewsCategory() = default;
    CNewsCategory(std::string url, std::int32_t selected, std::int32_t id, std::string name)
        : m_strUrl(std::move(url)), m_nId(id), m_nSelected(selected), m_strName(std::move(name)) {}

    std::string m_strUrl;    // the page, unique within its source
    std::int32_t m_nId = 0;  // 1 to 13; 0 marks a category dropped by a merge
    std::int32_t m_nSelected = 0;
    std::string m_strName;   // display name, e.g. "Top Stories"
};

class CNewsSource {
public:
    CNewsSource(std::string name, std::int32_t enabled) : m_strName(std::move(name)), m_nEnabled(enabled) {}
    ~CNewsSource();
    CNewsSource(const CNewsSource&) = delete;
    CNewsSource& operator=(const CNewsSource&) = delete;

    const std::string& GetName() const { return m_strName; }
    std::int32_t GetEnabled() const { return m_nEnabled; }
    void SetEnabled(std::int32_t enabled) { m_nEnabled = enabled; }

    // False when a category with that URL exists (or the URL or name is empty).
    bool AddCategory(const std::string& url, std::int32_t selected, std::int32_t id, const std::string& name);
    // The category with that id (the newest when several share it), or null.
    CNewsCategory* GetCategory(std::int32_t id);
    CNewsCategory* FindCategoryByUrl(const std::string& url);
    // The first category of that name in file order, or null.
    CNewsCategory* FindCategoryByName(const std::string& name);
    // Number of selected categories. Neither search moves the walk's cursor.
    int CountSelected() const;
    // False when no category has that id.
    bool SetSelected(std::int32_t id, std::int32_t value);
    // Selected flag of the category with that id, 0 when none.
    std::int32_t IsSelected(std::int32_t id);
    // Walk in file order over the source's one cursor; with bSelectedOnly
    // unselected categories are skipped. Null at the end.
    CNewsCategory* FirstCategory(bool bSelectedOnly);
    CNewsCategory* NextCategory(bool bSelectedOnly);
    int GetCategoryCount() const { return m_listCategories.GetCount(); }
    void ClearCategories();
    // Every category, newest first, without moving the walk's cursor.
    void ForEachCategory(const std::function<void(const CNewsCategory&)>& visit) const;
    // Set to true whenever a category is added or removed (the catalogue's
    // page index then builds itself again); null: nothing is told.
    void SetChangeFlag(bool* pChanged) { m_pChanged = pChanged; }

private:
    void Changed() {
        if (m_pChanged) *m_pChanged = true;
    }

    CLinkedList<CNewsCategory*> m_listCategories;  // owned, newest at the head
    std::string m_strName;
    std::int32_t m_nEnabled = 0;
    bool* m_pChanged = nullptr;
};
