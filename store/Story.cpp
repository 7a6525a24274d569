#include "store/Story.h"

#include "config/SourceCatalogue.h"
#include "store/StoryRecord.h"

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

std::string CStory::GetSourceName(bool bDisplay, CSourceCatalogue* pCatalogue) const {
    if (StartsWith(m_strSource, "Custom:")) return m_strSource;
    // A page URL, as the scanning engine sets it. Secure pages are page URLs
    // just the same.
    if (StartsWith(m_strSource, "http://") || StartsWith(m_strSource, "https://")) {
        if (pCatalogue) return pCatalogue->GetDescriptorFor(m_strSource, bDisplay ? 1 : 0);
        return "Custom: " + m_strSource;
    }
    if (bDisplay) return m_strSource;
    // "Source (Category)": the name ends one character (the blank) before '('.
    const std::size_t paren = m_strSource.find('(');
    if (paren == std::string::npos || paren == 0) return std::string();
    return m_strSource.substr(0, paren - 1);
}

void CStory::AssignFromRecord(const StoryFileRecord& rec) {
    m_nState = rec.nState;
    m_tFound = rec.tFound;
    m_strKeywords = rec.strKeywords;
    m_strHeadline = rec.strHeadline;
    m_strUrl = rec.strUrl;
    m_strDescription = rec.strDescription;
    m_strSource = rec.strSource;
}

void CStory::BuildRecord(StoryFileRecord& rec, CSourceCatalogue* pCatalogue) const {
    rec.nState = m_nState;
    rec.tFound = m_tFound;
    rec.strKeywords = m_strKeywords;
    rec.strHeadline = m_strHeadline;
    rec.strUrl = m_strUrl;
    rec.strDescription = m_strDescription;
    rec.strSource = GetSourceName(true, pCatalogue);
}
