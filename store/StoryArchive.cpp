#include "store/StoryArchive.h"

#include <filesystem>
#include <vector>

#include "common/FileUtil.h"
#include "common/MessageTarget.h"
#include "common/Messages.h"
#include "common/RecursiveLock.h"
#include "common/SafeFiles.h"
#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"

namespace {

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CStoryArchive::~CStoryArchive() {
    CStoryFile* p = nullptr;
    while (m_files.RemoveHead(p) == LIST_OK) delete p;
}

void CStoryArchive::SetClock(CStoryFile::Clock clock) {
    m_clock = std::move(clock);
    for (auto pos = m_files.HeadPosition(); pos; pos = m_files.NextPosition(pos)) m_files.ItemAt(pos)->SetClock(m_clock);
}

CStoryFile* CStoryArchive::NewFile() {
    auto* p = new CStoryFile(m_strDataFolder, m_pCatalogue);
    if (m_clock) p->SetClock(m_clock);
    return p;
}

CStoryFile* CStoryArchive::AddFile(const std::string& key) {
    CStoryFile* p = NewFile();
    if (m_files.AddTail(p) != LIST_OK) {
        delete p;
        return nullptr;
    }
    // The new file's own name is not listed until it has one.
    p->SetKey(key, [this](const std::string& path) { return m_fileNames.count(BaseName(path)) != 0; });
    IndexFile(p);
    return p;
}

void CStoryArchive::IndexFile(CStoryFile* p) {
    m_fileByKey.try_emplace(p->GetKey(), p);
    m_fileNames.insert(BaseName(p->GetDataPath()));
}

bool CStoryArchive::PlaceMovedStory(const CStory& story, const std::string& key) {
    CStoryFile* p = FindFile(key);
    if (!p) p = AddFile(key);
    if (!p) return false;
    p->Open("r+b");
    const bool bThere = p->Find(story.GetHeadline()) == 1 || p->Append(story, false) == 1;
    p->Close();
    return bThere;
}

std::string CStoryArchive::KeyForUrl(const std::string& url) const {
    return m_pCatalogue ? m_pCatalogue->GetDescriptorFor(url, 0) : "Custom: " + url;
}

CStoryFile* CStoryArchive::GetFileAt(int index) const {
    auto pos = m_files.HeadPosition();
    for (int i = 0; pos && i < index; ++i) pos = m_files.NextPosition(pos);
    return pos && index >= 0 ? m_files.ItemAt(pos) : nullptr;
}

CStoryFile* CStoryArchive::FindFile(const std::string& key) const {
    const auto it = m_fileByKey.find(key);
    return it == m_fileByKey.end() ? nullptr : it->second;
}

int CStoryArchive::LoadAll(CSourceCatalogue& catalogue, CNewsSettings& settings) {
    m_pCatalogue = &catalogue;
    m_pSettings = &settings;

    // Keys of the configured sources: enabled catalogue sources in catalogue
    // order, then the enabled custom URLs. A key met twice (a custom URL that
    // is also a catalogue page) gets one file, so its stories are not listed twice.
    std::vector<std::string> keys;
    {
        CRecursiveLockGuard guard(catalogue);
        for (CNewsSource* pSource = catalogue.FirstSource(true); pSource; pSource = catalogue.NextSource(true))
            keys.push_back(pSource->GetName());
    }
    for (const std::string& url : EnabledCustomUrls(settings)) keys.push_back(KeyForUrl(url));

    for (const std::string& key : keys)
        if (!FindFile(key)) AddFile(key);

    // Story files of sources no longer configured keep their stories listed
    // until they expire.
    std::error_code ec;
    std::vector<std::string> names;
    for (std::filesystem::directory_iterator it(m_strDataFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".dat") != 0) continue;
        if (it->is_symlink(ec)) ReportSymbolicLink(it->path().string());  // never followed
        else if (it->is_regular_file(ec)) names.push_back(name);
    }
    for (const std::string& name : names) {
        if (m_fileNames.count(name)) continue;
        CStoryFile* p = NewFile();
        if (p->LoadFromFile(name) && m_files.AddTail(p) == LIST_OK) {
            IndexFile(p);
            continue;
        }
        delete p;
    }

    std::vector<CStoryFile*> files;
    for (auto pos = m_files.HeadPosition(); pos; pos = m_files.NextPosition(pos)) files.push_back(m_files.ItemAt(pos));
    for (CStoryFile* p : files)
        p->MoveOutOtherSources([this](const CStory& story, const std::string& key) { return PlaceMovedStory(story, key); });
    return m_files.GetCount();
}

void CStoryArchive::CloseCurrent() {
    if (m_pCurrent) m_pCurrent->Close();
    m_pCurrent = nullptr;
}

int CStoryArchive::Open(const char* mode) {
    CloseCurrent();
    m_strMode = mode ? mode : "r+b";
    CStoryFile* p = nullptr;
    if (m_files.First(p) != LIST_OK) return 1;
    m_pCurrent = p;
    p->Open(m_strMode.c_str());
    return 0;
}

void CStoryArchive::Close() { CloseCurrent(); }

int CStoryArchive::FindByHeadline(const std::string& headline) {
    CloseCurrent();
    CStoryFile* p = nullptr;
    for (int rc = m_files.First(p); rc == LIST_OK; rc = m_files.Next(p)) {
        m_pCurrent = p;
        p->Open(m_strMode.c_str());
        if (p->Find(headline)) return 1;
        CloseCurrent();
    }
    return 0;
}

int CStoryArchive::FindByHeadline(const std::string& headline, const std::string& sourceKey) {
    CloseCurrent();
    CStoryFile* p = FindFile(sourceKey);
    if (!p) return 0;
    m_pCurrent = p;
    p->Open(m_strMode.c_str());
    return p->Find(headline);
}

std::unique_ptr<CStory> CStoryArchive::GetCurrentStory() { return m_pCurrent ? m_pCurrent->ReadCurrent() : nullptr; }

int CStoryArchive::GetCurrentState() { return m_pCurrent ? m_pCurrent->GetCurrentState() : -1; }

std::string CStoryArchive::GetCurrentKey() const { return m_pCurrent ? m_pCurrent->GetKey() : std::string(); }

int CStoryArchive::SetCurrentState(int nState) { return m_pCurrent ? m_pCurrent->SetCurrentState(nState) : 0; }

int CStoryArchive::FindNextWithState(int nState) {
    while (m_pCurrent) {
        if (m_pCurrent->NextWithState(nState)) return 1;
        CloseCurrent();
        CStoryFile* p = nullptr;
        if (m_files.Next(p) != LIST_OK) break;
        m_pCurrent = p;
        p->Open(m_strMode.c_str());
    }
    // Every file walked: start over on the first one.
    Open(m_strMode.c_str());
    return 0;
}

int CStoryArchive::FindNextVisible() {
    while (m_pCurrent) {
        if (m_pCurrent->NextVisible()) return 1;
        CloseCurrent();
        CStoryFile* p = nullptr;
        if (m_files.Next(p) != LIST_OK) break;
        m_pCurrent = p;
        p->Open(m_strMode.c_str());
    }
    return 0;
}

int CStoryArchive::Add(const CStory& story, bool bSupersede) {
    const std::string key = story.GetSourceName(false, m_pCatalogue);
    CloseCurrent();
    CStoryFile* p = FindFile(key);
    if (!p && !(p = AddFile(key))) return 0;
    m_pCurrent = p;
    p->Open(m_strMode.c_str());
    return p->Append(story, bSupersede);
}

void CStoryArchive::Maintain(bool bForce, CMessageTarget* pStoryList) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        for (auto pos = m_files.HeadPosition(); pos; pos = m_files.NextPosition(pos))
            m_files.ItemAt(pos)->Rewrite(bForce);
    }
    if (pStoryList) pStoryList->Post(WM_STORIES_CHANGED, 0, 0);
}

void CStoryArchive::SourceRemoved(const std::string& url) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const std::string key = KeyForUrl(url);
    auto pos = m_files.HeadPosition();
    while (pos && m_files.ItemAt(pos)->GetKey() != key) pos = m_files.NextPosition(pos);
    if (!pos) return;
    CStoryFile* p = m_files.ItemAt(pos);
    p->PurgeHidden();

    // The URLs are copied under the settings' lock and looked up in the
    // catalogue after it is released, so that no thread ever holds the
    // settings' lock while it waits for the catalogue's.
    if (m_pSettings) {
        for (const std::string& other : EnabledCustomUrls(*m_pSettings))
            if (KeyForUrl(other) == key) return;
    }
    if (p->DeleteIfEmpty(false) != 1) return;
    m_files.RestoreCursor(pos);
    CStoryFile* pRemoved = nullptr;
    m_files.RemoveCurrent(pRemoved);
    if (m_pCurrent == pRemoved) m_pCurrent = nullptr;
    m_fileNames.erase(BaseName(pRemoved->GetDataPath()));
    m_fileByKey.erase(key);
    // Another listed file of that key (one adopted at start-up) takes its place.
    for (auto other = m_files.HeadPosition(); other; other = m_files.NextPosition(other))
        m_fileByKey.try_emplace(m_files.ItemAt(other)->GetKey(), m_files.ItemAt(other));
    delete pRemoved;
}
