// CConfigStore: a small typed record store kept in one text file
// (Data/config.txt). All records live in memory, newest first; the whole file
// is written again after every change when auto-save is on, and values are
// handed out by identifier through an enumeration.
#pragma once

#include <cstdint>
#include <string>

#include "common/LinkedList.h"
#include "config/ConfigItem.h"

// Longest line, name or value word read back from a text data file, plus the
// terminating NUL: 599 characters at most.
constexpr int CONFIG_LINE_BUFFER = 600;

class CConfigStore {
public:
    CConfigStore();
    virtual ~CConfigStore();
    CConfigStore(const CConfigStore&) = delete;
    CConfigStore& operator=(const CConfigStore&) = delete;

    // Reads the file into the record list, replacing what was in memory. A
    // missing file is created with the defaults (SetDefaults, then Save).
    // Returns 1 when the file was read, 0 when the defaults were used.
    // Lines that are not records are left out and reported once; the file
    // as read is kept as "config.txt.damaged-SECONDS" before it is written
    // again (at once when auto-save is on).
    virtual int Load();
    // Adds the default records; nothing in the base class.
    virtual void SetDefaults();

    // path := appDir + "Data/config.txt".
    void SetFileName(const std::string& appDir);
    const std::string& GetFileName() const { return m_strFileName; }
    // From now on every AddItem and RemoveAll rewrites the file at once.
    void SetAutoSave();

    // Writes every record, head first, replacing the file (atomically, owner
    // read/write only). False when it could not be written (nor is a damaged
    // file whose copy could not be made); the records stay in memory and
    // the problem is reported.
    bool Save();

    // Adds a copy at the head unless a record with the same identifier, type
    // and first value exists. Ends any running enumeration. Saves when
    // auto-save is on. True when the record was added.
    bool AddItem(const CConfigItem& item);
    bool AddString(std::uint32_t id, const std::string& name, const std::string& value1,
                   const std::string& value2);
    bool AddPlainString(std::uint32_t id, const std::string& name, const std::string& value1,
                        const std::string& value2);
    bool AddInteger(std::uint32_t id, const std::string& name, std::int32_t value1, std::int32_t value2);

    // Removes every record with that identifier; true when one was removed.
    // Saves when auto-save is on, even when nothing was removed.
    bool RemoveAll(std::uint32_t id);

    // Enumeration read: calling it until it returns false delivers the first
    // value of every record with that identifier, newest first, the last one
    // together with the false result. value is changed only when a record was
    // found. Any AddItem ends the running enumeration.
    bool GetString(std::uint32_t id, std::string& value);
    bool GetInteger(std::uint32_t id, std::int32_t& value);
    // Ends the running enumeration.
    void ResetEnumeration();

    int GetCount() const { return m_listItems.GetCount(); }
    // Lines of the file last read that were no records.
    int GetUnreadableLines() const { return m_nUnreadableLines; }

protected:
    // One step of the enumeration: *ppFound receives the record found (or
    // null when none was); the result is true when more records follow.
    bool EnumerateNext(std::uint32_t id, const CConfigItem** ppFound);
    // Removes the records of item's identifier and adds item, saving once.
    bool ReplaceAll(const CConfigItem& item);
    // Frees every record (does not save).
    void FreeAll();
    // AddItem and RemoveAll without the auto-save, for changes made in one go.
    bool AddItemNoSave(const CConfigItem& item);
    bool RemoveAllNoSave(std::uint32_t id);
    bool IsAutoSave() const { return m_bAutoSave != 0; }

private:
    using ItemList = CLinkedList<CConfigItem*>;

    void EndEnumeration();
    // Copies the damaged file as read, once; false when that failed.
    bool KeepDamagedCopy();

    std::int32_t m_bAutoSave = 0;
    std::string m_strFileName;
    ItemList m_listItems;  // owned records, newest at the head
    bool m_bEnumerating = false;
    std::uint32_t m_nEnumId = 0;
    ItemList::Position m_posEnum = nullptr;  // record the next call starts at
    int m_nUnreadableLines = 0;
    std::string m_strDamagedText;  // the file as read while no copy of it is kept
};

// Formats one record as a line of the file, CR LF included.
std::string FormatConfigLine(const CConfigItem& item);
// Parses one line (without its line end); false when the line is not a
// record (unknown type letter, bad identifier, no name).
bool ParseConfigLine(const std::string& line, CConfigItem& item);
