// CStoryFile: the stories of one source key: its story file in the data
// folder and a compact in-memory headline index over it (one pooled node per
// story; the texts stay on disk and are read on demand). Not thread-safe: the
// story archive's lock guards it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "store/Story.h"
#include "store/StoryIndex.h"

class CSourceCatalogue;
struct StoryFileRecord;

// A story older than this (seconds since it was found) leaves at the next
// rewrite unless it is bookmarked.
constexpr std::int64_t STORY_LIFETIME_SECONDS = 172800;

class CStoryFile {
public:
    // Seconds since 1970; replaceable so that expiry can be tested exactly.
    using Clock = std::function<std::int64_t()>;

    // dataFolder is the folder holding the story files (the application
    // directory's Data folder). The catalogue translates page URLs of stories
    // into source names; it may be null.
    explicit CStoryFile(std::string dataFolder, CSourceCatalogue* pCatalogue = nullptr);
    ~CStoryFile();
    CStoryFile(const CStoryFile&) = delete;
    CStoryFile& operator=(const CStoryFile&) = delete;

    // Whether another file of the archive already uses a data path.
    using PathTaken = std::function<bool(const std::string& path)>;
    // Receives a story of another source found in this file, with that
    // source's key; true once the story is in that source's own file.
    using StoryPlacer = std::function<bool(const CStory& story, const std::string& key)>;

    // Takes the source key and settles its data file: the file named by
    // StoryFileStem, unless that file's first story belongs to another source
    // or (when it holds none) isTaken says another file of the archive uses
    // it, or the key's second file (SecondStoryFileStem) already holds its
    // stories, or a symbolic link stands at its name (reported, left alone);
    // then the second file. Creates the data file (mode 0600) when it does
    // not exist and compacts it (Rewrite with force). Story files are never
    // opened through a symbolic link.
    void SetKey(const std::string& key, const PathTaken& isTaken = {});
    // Adopts a story file found in the data folder under the key of its first
    // story. An empty file is deleted. 1 when adopted, 0 otherwise.
    int LoadFromFile(const std::string& fileName);

    // Moves out the stories of other sources whose file name is the same as
    // this source's (before second names existed such sources shared one
    // file, which belongs to the source of its first story). The original is
    // copied to Data/damaged/ first; each story is handed to place, and only
    // when all are placed does the file drop them. Nothing changes when the
    // copy or a placement fails. The number of stories moved.
    int MoveOutOtherSources(const StoryPlacer& place);

    // Starts a walk: remembers the open mode ("r+b", or "rb" for read-only
    // use) and puts the cursor on the head. The stream itself is opened the
    // first time a record is read or written.
    void Open(const char* mode);
    void Close();

    // Puts the cursor on the live story with that headline: 1, or 0 with no cursor.
    int Find(const std::string& headline);
    // Moves the cursor on, in file order, to the next story in that state:
    // 1, or 0 with no cursor when the list ends.
    int NextWithState(int nState);
    // The same for the next story in a visible state (1 to 4).
    int NextVisible();
    // A new story read from the cursor's record; null without a cursor or
    // when the record cannot be read.
    std::unique_ptr<CStory> ReadCurrent();
    // The cursor story's state; -1 without a cursor.
    int GetCurrentState() const;
    // Changes the cursor story's state in the index and in its record (only the
    // state field is written). 1 on success; 0 without a cursor or when the
    // write fails (then the index keeps the old state too).
    int SetCurrentState(int nState);

    // Writes the story at the end of the file and indexes it. With bSupersede
    // a live record of the same headline is marked superseded. A headline
    // already indexed reuses its node. 1 on success, 0 when nothing could be
    // written (the file and index stay as they were).
    int Append(const CStory& story, bool bSupersede);

    // Expiry and compaction: drops superseded records and records older than
    // 48 hours that are not bookmarked. Without bForce nothing happens unless
    // some record needs dropping. The new file is written beside the old one
    // (CreateTemporaryFile) and renamed over it; the file is made private. 1 when the file is in order, 0 on failure (the
    // old file stays and stays indexed).
    int Rewrite(bool bForce);
    // Drops every pending, hidden and superseded record, the same way.
    int PurgeHidden();
    // 1 when the file holds no record (and was deleted), else 0; with bForce
    // the file is deleted in any case.
    int DeleteIfEmpty(bool bForce);

    const std::string& GetKey() const { return m_strKey; }
    const std::string& GetDataPath() const { return m_strDataPath; }
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    void SetCatalogue(CSourceCatalogue* pCatalogue) { m_pCatalogue = pCatalogue; }

    int StoryCount() const { return m_pIndex->Count(); }
    int PoolBlockCount() const { return m_pIndex->Pool().BlockCount(); }
    bool IsStreamOpen() const { return m_pStream != nullptr; }

private:
    // OwnSource: as Expiry, and the stories MoveOutOtherSources moves leave.
    enum class KeepRule { Expiry, VisibleOnly, OwnSource };
    int RebuildFile(KeepRule rule, bool bCheckFirst);
    // Copies the file as it stands to Data/damaged/ before a repair; the
    // copy's name, or "" when it could not be made.
    std::string KeepDamagedCopy() const;
    bool IndexFileAsIs();
    // The source key a record's stored display name leads to.
    std::string SourceKeyOf(const StoryFileRecord& rec) const;
    // Whether the file at path holds a readable story; rec gets the first one.
    static bool ReadFirstStory(const std::string& path, StoryFileRecord& rec);
    // Whether the record is a story of the source with that key.
    bool IsOfSource(const StoryFileRecord& rec, const std::string& key) const;
    // True for a record of another source that shares this file's name; key
    // gets that source's key.
    bool BelongsElsewhere(const StoryFileRecord& rec, std::string& key) const;
    void UsePath(const std::string& dataPath);
    std::FILE* Stream();
    bool HasCursorStory() const { return m_pCursor && m_pCursor != m_pIndex->Head(); }
    bool WriteState(std::uint32_t nOffset, std::int32_t nState);
    std::int64_t Now() const;

    std::string m_strDataFolder;
    CSourceCatalogue* m_pCatalogue;
    std::string m_strKey;
    std::string m_strDataPath;  // <data folder>/<stem>.dat
    std::unique_ptr<CStoryIndex> m_pIndex;
    StoryIndexNode* m_pCursor = nullptr;
    std::FILE* m_pStream = nullptr;
    std::string m_strMode = "r+b";
    // Superseded records still in the file. The index no longer points at
    // them (their node serves the newer record), so they are counted here to
    // let a rewrite without force know that there is something to drop.
    int m_nSupersededRecords = 0;
    Clock m_clock;
};
