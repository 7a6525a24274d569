// CStoryArchive: the collection of all stories, one CStoryFile per source
// key, with a cursor-style interface (open, find by headline, read, change
// state, walk by state, add, close) and the periodic expiry. One mutex guards
// it: every user holds the lock around a whole Open ... Close sequence
// (CStoryArchiveGuard does that), and the archive lock is always taken before
// the settings' lock, never after.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "common/LinkedList.h"
#include "store/Story.h"
#include "store/StoryFile.h"

class CMessageTarget;
class CNewsSettings;
class CSourceCatalogue;

class CStoryArchive {
public:
    CStoryArchive() = default;
    // dataFolder holds the story files (the application directory's Data folder).
    explicit CStoryArchive(std::string dataFolder) : m_strDataFolder(std::move(dataFolder)) {}
    virtual ~CStoryArchive();
    CStoryArchive(const CStoryArchive&) = delete;
    CStoryArchive& operator=(const CStoryArchive&) = delete;

    void SetDataFolder(const std::string& dataFolder) { m_strDataFolder = dataFolder; }
    const std::string& GetDataFolder() const { return m_strDataFolder; }
    // Seconds since 1970 for expiry; the system clock unless replaced (tests).
    void SetClock(CStoryFile::Clock clock);

    // Start-up, before any other thread uses the archive: a file for every
    // enabled catalogue source, one for every enabled custom URL, then every
    // other story file found in the data folder. Last, the stories of a
    // source found in a file whose name it shares with another source (a
    // file the two shared before second names existed) move to its own file
    // (CStoryFile::MoveOutOtherSources). The catalogue and settings are kept
    // for Add and SourceRemoved. Returns the number of files.
    int LoadAll(CSourceCatalogue& catalogue, CNewsSettings& settings);

    // The archive's lock, held around every Open ... Close sequence.
    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }
    std::mutex& GetLock() { return m_mutex; }

    // Sequence operations (the caller holds the lock).
    // Starts a walk at the first file with the open mode ("r+b", or "rb" for
    // read-only use). 0 on success; non-zero when the archive has no file.
    int Open(const char* mode);
    void Close();
    // Looks for a live story with that headline in every file, in order; 1
    // when found, with its file current and its cursor on it; 0 with no file
    // current otherwise.
    int FindByHeadline(const std::string& headline);
    // Looks only in the file of that source key: the result is that file's
    // Find, and the file stays current either way; 0 with no file current
    // when no file has the key.
    int FindByHeadline(const std::string& headline, const std::string& sourceKey);
    // The current story as a new object the caller owns; null without one.
    std::unique_ptr<CStory> GetCurrentStory();
    // -1 without a current story.
    int GetCurrentState();
    // The source key of the current file; "" without one.
    std::string GetCurrentKey() const;
    // 1 when the state was changed and saved.
    int SetCurrentState(int nState);
    // Moves to the next story in that state, file after file: 1, or 0 at the
    // end, when the archive is opened again on its first file.
    int FindNextWithState(int nState);
    // Moves to the next visible story (states 1 to 4): 1, or 0 at the end,
    // when nothing stays open.
    int FindNextVisible();
    // Appends the story to the file of its source key, creating that file
    // (at the end of the list) when there is none. 1 when saved, 0 when the
    // story could not be written.
    int Add(const CStory& story, bool bSupersede);

    // Takes the lock itself: Rewrite (bForce) on every file; afterwards, with
    // the lock released, posts WM_STORIES_CHANGED to the story list window
    // when there is one (pStoryList null: none).
    void Maintain(bool bForce, CMessageTarget* pStoryList);
    // Takes the lock itself: the custom URL url was deleted or disabled. Its
    // file loses pending, hidden and superseded stories and, when no enabled
    // custom URL still leads to the same key and nothing is left, the file is
    // deleted and dropped from the archive.
    void SourceRemoved(const std::string& url);

    // Inspection (under the lock).
    int GetFileCount() const { return m_files.GetCount(); }
    // The index-th file in list order, or null.
    CStoryFile* GetFileAt(int index) const;
    // The first file with that key, or null (a look-up, not a walk).
    CStoryFile* FindFile(const std::string& key) const;

private:
    CStoryFile* NewFile();
    // Puts a file that joined the list into the look-ups by key and name.
    void IndexFile(CStoryFile* p);
    // A new file for the key at the end of the list, never on a data path
    // another file of the list uses; null when it could not be listed.
    CStoryFile* AddFile(const std::string& key);
    // Gives a story moved out of another source's file to the file of its
    // key, unless that file knows its headline already. True when it is there.
    bool PlaceMovedStory(const CStory& story, const std::string& key);
    void CloseCurrent();
    std::string KeyForUrl(const std::string& url) const;

    std::string m_strDataFolder;
    CSourceCatalogue* m_pCatalogue = nullptr;
    CNewsSettings* m_pSettings = nullptr;
    CStoryFile::Clock m_clock;

    CLinkedList<CStoryFile*> m_files;   // owned, in the order they were added
    // The first listed file of every key, and the names of the listed data
    // files: two sources whose keys give one file name get a file each.
    std::unordered_map<std::string, CStoryFile*> m_fileByKey;
    std::unordered_set<std::string> m_fileNames;
    std::mutex m_mutex;
    CStoryFile* m_pCurrent = nullptr;  // the file whose cursor is meaningful
    std::string m_strMode = "r+b";     // mode of the last Open
};

// Holds an archive's lock for a scope.
class CStoryArchiveGuard {
public:
    explicit CStoryArchiveGuard(CStoryArchive& archive) : m_archive(archive) { m_archive.Lock(); }
    ~CStoryArchiveGuard() { m_archive.Unlock(); }
    CStoryArchiveGuard(const CStoryArchiveGuard&) = delete;
    CStoryArchiveGuard& operator=(const CStoryArchiveGuard&) = delete;

private:
    CStoryArchive& m_archive;
};
