// CAnnounceLedger: the stories recorded as new that no front end has
// announced yet, kept in Data/unannounced.txt so that a run ended (or
// killed) between recording a story and announcing it leaves the
// announcement to the next run. A story goes in before the archive stores
// it as new (appended as one line) and leaves once a front end has
// announced it (the file replaced atomically). The story files themselves
// are not changed.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/StoryTypes.h"

class CAnnounceLedger {
public:
    static constexpr const char* FILE_NAME = "unannounced.txt";
    // The work file of a removal (see PrepareRemoval).
    static constexpr const char* NEXT_FILE_NAME = "unannounced.txt.next";

    // Reads the ledger of dataFolder (none: empty) and returns its stories,
    // oldest first. A file that is not wholly ours (a line that cannot be
    // read, no heading) is kept as unannounced.txt.damaged-SECONDS first and
    // reported once; what can be read of it is used, so a damaged ledger
    // never announces a story twice.
    std::vector<StoryKey> Load(const std::string& dataFolder);
    // Keeps only these of the loaded stories (those still new), writing the
    // file when that changes it.
    void Keep(const std::vector<StoryKey>& keys);

    // Any thread: a story about to be stored as new. False when the file
    // could not be written (the story is then announced in this run only).
    bool Add(const StoryKey& key);

    // Two steps for the stories a front end announces: PrepareRemoval writes
    // the ledger without them to the work file; CommitRemoval, once they are
    // announced, renames it over the ledger (or writes the ledger anew when
    // a story was added meanwhile). Between the two, only a rename is left,
    // so a kill hardly ever falls between an announcement and its record.
    // bAnnounced false: they stay listed.
    void PrepareRemoval(const std::vector<StoryKey>& keys);
    void CommitRemoval(bool bAnnounced);

    // The stories listed now (tests).
    std::vector<StoryKey> Keys() const;

private:
    std::string Text(const std::vector<StoryKey>& keys) const;
    bool WriteLocked();

    mutable std::mutex m_mutex;
    std::string m_strFile;  // "" until Load
    std::vector<StoryKey> m_keys;
    std::unordered_set<std::string> m_listed;  // m_keys' lines, for look-ups
    std::vector<StoryKey> m_removing;
    std::uint64_t m_nGeneration = 0;   // changes with every Add
    std::uint64_t m_nPrepared = 0;     // the generation the work file was written for
    bool m_bPrepared = false;
    bool m_bRewrite = false;  // the file read was damaged
};

// The ledger's text form of a key, one line without its line end, and back;
// false when the line is not one (tests, fuzzing).
std::string FormatLedgerLine(const StoryKey& key);
bool ParseLedgerLine(const std::string& line, StoryKey& key);
