#include "config/SourceCatalogue.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "common/Diagnostics.h"
#include "common/FileUtil.h"
#include "config/ConfigStore.h"
#include "config/TextLineReader.h"

namespace {

using SourceList = CLinkedList<CNewsSource*>;

// A category line: its selection flag (0 or 1), category id (1 to 13),
// name and URL, one word each (words after them are ignored, as they always
// were). Any other line names a source, whose name may begin with digits
// ("24 Hours News").
struct CategoryLine {
    int selected = 0;
    int id = 0;
    std::string name;
    std::string url;
};

bool ParseCategoryLine(const std::string& line, CategoryLine& out) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t start = line.find_first_not_of(" \t", i);
        if (start == std::string::npos) break;
        std::size_t end = line.find_first_of(" \t", start);
        if (end == std::string::npos) end = line.size();
        words.push_back(line.substr(start, end - start));
        i = end;
    }
    if (words.size() < 4 || (words[0] != "0" && words[0] != "1")) return false;
    const std::string& id = words[1];
    if (id.empty() || id.size() > 2 || id.find_first_not_of("0123456789") != std::string::npos) return false;
    out.id = std::stoi(id);
    if (out.id < 1 || out.id > MAX_CATEGORY_ID || id[0] == '0') return false;
    if (words[2].size() >= CONFIG_LINE_BUFFER || words[3].size() >= CONFIG_LINE_BUFFER) return false;
    if (words[3].find("://") == std::string::npos) return false;
    out.selected = words[0][0] - '0';
    out.name = words[2];
    out.url = words[3];
    return true;
}

bool IsCategoryLine(const std::string& line) {
    CategoryLine parsed;
    return ParseCategoryLine(line, parsed);
}

// Category names keep one space in the file, written as '_'. Further spaces
// (and any other blank) are written as '_' too, so that the URL after the
// name survives; reading turns only the first '_' back into a space.
std::string EncodeCategoryName(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\0') c = '_';
    return out;
}

std::string DecodeCategoryName(std::string name) {
    size_t pos = name.find('_');
    if (pos != std::string::npos) name[pos] = ' ';
    return name;
}

// A URL is one word of its line: blanks and control characters are written
// percent-encoded, which leaves the address it names unchanged.
std::string EncodeUrl(const std::string& url) {
    std::string out;
    for (unsigned char c : url) {
        if (c <= 0x20 || c == 0x7F) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// A source name is the rest of its line: only line ends are replaced.
std::string EncodeSourceName(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return out;
}

}  // namespace

CSourceCatalogue::~CSourceCatalogue() {
    RemoveAllSources();
}

void CSourceCatalogue::SetFileName(const std::string& appDir) {
    CRecursiveLockGuard guard(*this);
    m_strAppDir = appDir;
    m_strFileName = JoinPath(JoinPath(appDir, "Data"), "sources.txt");
}

std::string CSourceCatalogue::GetUpdateFileName() const {
    return JoinPath(JoinPath(m_strAppDir, "Data"), "sourceupdate.txt");
}

void CSourceCatalogue::RemoveAllSources() {
    CRecursiveLockGuard guard(*this);
    CNewsSource* source = nullptr;
    while (m_listSources.RemoveHead(source) == LIST_OK) delete source;
    m_bIndexStale = true;
}

int CSourceCatalogue::Load(int bUpdateFile) {
    CRecursiveLockGuard guard(*this);
    return LoadFile(bUpdateFile ? GetUpdateFileName() : m_strFileName);
}

int CSourceCatalogue::LoadFile(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) return 0;

    CTextLineReader reader(text);
    std::string line;
    bool more = reader.ReadLine(line);
    while (more) {
        if (IsCategoryLine(line)) {
            // A category line before any source line belongs to no source.
            more = reader.ReadLine(line);
            continue;
        }
        const std::int32_t enabled = (!line.empty() && line[0] == '0') ? 0 : 1;
        // Null when the source exists already: its lines here are ignored.
        CNewsSource* source = AddSource(line.size() > 2 ? line.substr(2) : std::string(), enabled);
        while ((more = reader.ReadLine(line)) && IsCategoryLine(line)) {
            CategoryLine category;
            if (!source || !ParseCategoryLine(line, category)) continue;
            source->AddCategory(category.url, category.selected, category.id, DecodeCategoryName(category.name));
        }
    }
    return 1;
}

std::string CSourceCatalogue::FormatText() {
    CRecursiveLockGuard guard(*this);
    std::string out;
    char buf[64];
    for (auto p = m_listSources.TailPosition(); p; p = SourceList::PrevPosition(p)) {
        CNewsSource* source = SourceList::ItemAt(p);
        std::snprintf(buf, sizeof buf, "%d ", source->GetEnabled() ? 1 : 0);
        out += buf;
        out += EncodeSourceName(source->GetName());
        out += "\r\n";
        for (std::int32_t id = 1; id <= MAX_CATEGORY_ID; ++id) {
            const CNewsCategory* category = source->GetCategory(id);
            if (!category) continue;
            std::snprintf(buf, sizeof buf, "%d %d ", category->m_nSelected ? 1 : 0, static_cast<int>(id));
            out += buf;
            out += EncodeCategoryName(category->m_strName);
            out += ' ';
            out += EncodeUrl(category->m_strUrl);
            out += "\r\n";
        }
    }
    return out;
}

bool CSourceCatalogue::Save() {
    CRecursiveLockGuard guard(*this);
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(m_strFileName).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    return WriteFileAtomically(m_strFileName, FormatText(), 0600);
}

CNewsSource* CSourceCatalogue::AddSource(const std::string& name, std::int32_t enabled) {
    CRecursiveLockGuard guard(*this);
    if (name.empty() || FindSource(name)) return nullptr;
    CNewsSource* source = new (std::nothrow) CNewsSource(name, enabled);
    if (!source) return nullptr;
    if (m_listSources.AddHead(source) != LIST_OK) {
        delete source;
        return nullptr;
    }
    source->SetChangeFlag(&m_bIndexStale);
    m_bIndexStale = true;
    return source;
}

bool CSourceCatalogue::SourceExists(const std::string& name) {
    return FindSource(name) != nullptr;
}

CNewsSource* CSourceCatalogue::FindSource(const std::string& name) {
    CRecursiveLockGuard guard(*this);
    for (auto p = m_listSources.HeadPosition(); p; p = SourceList::NextPosition(p))
        if (SourceList::ItemAt(p)->GetName() == name) return SourceList::ItemAt(p);
    return nullptr;
}

CNewsSource* CSourceCatalogue::Step(bool bEnabledOnly, bool bFirst) {
    CRecursiveLockGuard guard(*this);
    CNewsSource* source = nullptr;
    if (bFirst) {
        if (m_listSources.Last(source) != LIST_OK) return nullptr;
    } else if (m_listSources.Prev(source) != LIST_OK) {
        return nullptr;
    }
    while (bEnabledOnly && !source->GetEnabled())
        if (m_listSources.Prev(source) != LIST_OK) return nullptr;
    return source;
}

CNewsSource* CSourceCatalogue::FirstSource(bool bEnabledOnly) {
    return Step(bEnabledOnly, true);
}

CNewsSource* CSourceCatalogue::NextSource(bool bEnabledOnly) {
    return Step(bEnabledOnly, false);
}

int CSourceCatalogue::GetCount() {
    CRecursiveLockGuard guard(*this);
    return m_listSources.GetCount();
}

int CSourceCatalogue::CountSelected() {
    CRecursiveLockGuard guard(*this);
    int count = 0;
    for (auto p = m_listSources.HeadPosition(); p; p = SourceList::NextPosition(p)) {
        CNewsSource* source = SourceList::ItemAt(p);
        if (!source->GetEnabled()) continue;
        count += source->CountSelected();
    }
    return count;
}

std::string CSourceCatalogue::GetUrlFor(const std::string& descriptor) {
    if (descriptor.compare(0, 7, "Custom:") == 0) {
        // The URL follows the ':' and the one character behind it.
        const size_t start = descriptor.find(':') + 2;
        return start < descriptor.size() ? descriptor.substr(start) : std::string();
    }
    // "Source (Category)": the last '(' opens the category, so that a source
    // name may itself hold parentheses.
    const size_t open = descriptor.rfind('(');
    if (open == std::string::npos) return std::string();
    size_t nameEnd = open;
    if (nameEnd > 0 && descriptor[nameEnd - 1] == ' ') --nameEnd;
    const size_t close = descriptor.find(')', open + 1);
    const std::string sourceName = descriptor.substr(0, nameEnd);
    const std::string categoryName =
        descriptor.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);

    CRecursiveLockGuard guard(*this);
    CNewsSource* source = FindSource(sourceName);
    if (!source) return std::string();
    // The first category of that name in file order, selected or not.
    CNewsCategory* found = source->FindCategoryByName(categoryName);
    return found ? found->m_strUrl : std::string();
}

const CSourceCatalogue::PageNames* CSourceCatalogue::FindPage(const std::string& url) {
    if (m_bIndexStale) {
        m_pageIndex.clear();
        for (auto p = m_listSources.TailPosition(); p; p = SourceList::PrevPosition(p)) {
            const CNewsSource* source = SourceList::ItemAt(p);
            source->ForEachCategory([&](const CNewsCategory& c) {
                m_pageIndex.try_emplace(c.m_strUrl, PageNames{source->GetName(), c.m_strName});
            });
        }
        m_bIndexStale = false;
    }
    const auto it = m_pageIndex.find(url);
    return it == m_pageIndex.end() ? nullptr : &it->second;
}

std::string CSourceCatalogue::GetDescriptorFor(const std::string& url, int bDisplayForm) {
    CRecursiveLockGuard guard(*this);
    const PageNames* page = FindPage(url);
    if (!page) return "Custom: " + url;
    if (bDisplayForm) return page->source + " (" + page->category + ")";
    return page->source;
}

bool CSourceCatalogue::MergeUpdate() {
    CRecursiveLockGuard guard(*this);

    // 1. Read the update into a catalogue of its own and delete the file.
    CSourceCatalogue update;
    const std::string updatePath = GetUpdateFileName();
    const int read = update.LoadFile(updatePath);
    ::unlink(updatePath.c_str());
    if (!read || update.m_listSources.IsEmpty()) {
        // Merging an empty update would drop every source the user has.
        ReportDiagnostic(DiagnosticKind::UpdateRejected, updatePath,
                         "it holds no source; the catalogue is left unchanged");
        return false;
    }

    // 2./3. Bring every source of the update into this catalogue.
    for (auto p = update.m_listSources.TailPosition(); p; p = SourceList::PrevPosition(p)) {
        CNewsSource* u = SourceList::ItemAt(p);
        CNewsSource* g = FindSource(u->GetName());
        bool bNew = false;
        if (!g) {
            g = AddSource(u->GetName(), 0);
            if (!g) continue;
            bNew = true;
        }
        for (std::int32_t id = 1; id <= MAX_CATEGORY_ID; ++id) {
            CNewsCategory* uc = u->GetCategory(id);
            CNewsCategory* gc = g->GetCategory(id);
            if (uc && gc) {
                gc->m_strUrl = uc->m_strUrl;
                gc->m_strName = uc->m_strName;
                m_bIndexStale = true;
            } else if (uc) {
                const std::int32_t selected = (id == 1 && bNew) ? 1 : 0;
                if (!g->AddCategory(uc->m_strUrl, selected, id, uc->m_strName)) {
                    // The page is already listed under another number (or
                    // was just dropped from one): it moves to this number
                    // and keeps its selection instead of being lost.
                    if (CNewsCategory* moved = g->FindCategoryByUrl(uc->m_strUrl)) {
                        moved->m_nId = id;
                        moved->m_strName = uc->m_strName;
                        m_bIndexStale = true;
                    }
                }
            } else if (gc) {
                gc->m_nId = 0;  // not written again
            }
        }
    }

    // 4. Sources the update no longer holds leave the catalogue.
    CNewsSource* source = nullptr;
    if (m_listSources.First(source) == LIST_OK) {
        for (;;) {
            if (!update.FindSource(source->GetName())) {
                const bool wasTail = m_listSources.GetCursor() == m_listSources.TailPosition();
                m_listSources.RemoveCurrent(source);
                delete source;
                m_bIndexStale = true;
                if (wasTail || m_listSources.GetCurrent(source) != LIST_OK) break;
                continue;
            }
            if (m_listSources.Next(source) != LIST_OK) break;
        }
    }
    m_listSources.ClearCursor();

    // 5. Write the result and read it back.
    const bool saved = Save();
    RemoveAllSources();
    LoadFile(m_strFileName);
    return saved;
}
