#include "config/ConfigStore.h"

#include <cctype>
#include <charconv>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

#include "common/DamagedCopy.h"
#include "common/Diagnostics.h"
#include "common/FileUtil.h"
#include "config/TextLineReader.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A string value or name as it goes into its line: characters that would end
// the line (or the C string it is read into) are written as spaces, so that
// no value can ever add a record of its own.
void AppendWord(std::string& out, const std::string& word) {
    for (char c : word) out.push_back(c == '\r' || c == '\n' || c == '\0' ? ' ' : c);
}

void AppendFloat(std::string& out, double value, std::chars_format fmt) {
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, value, fmt, 6);
    if (res.ec == std::errc()) out.append(buf, res.ptr);
    else out.push_back('0');
}

void AppendFloat(std::string& out, float value) {
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    if (res.ec == std::errc()) out.append(buf, res.ptr);
    else out.push_back('0');
}

// "%d": leading digits with an optional sign; anything else reads as 0.
std::int32_t ParseInt(const std::string& word) {
    if (word.empty()) return 0;
    char* end = nullptr;
    long long v = std::strtoll(word.c_str(), &end, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

template <typename T>
T ParseFloat(const std::string& word) {
    const char* p = word.c_str();
    const char* e = p + word.size();
    if (p != e && *p == '+') ++p;
    T v{};
    auto res = std::from_chars(p, e, v);
    if (res.ec != std::errc()) return T{};
    return v;
}

bool ParseHexId(const std::string& word, std::uint32_t& id) {
    if (word.empty() || word.size() > 8) return false;
    std::uint32_t v = 0;
    auto res = std::from_chars(word.data(), word.data() + word.size(), v, 16);
    if (res.ec != std::errc() || res.ptr != word.data() + word.size()) return false;
    id = v;
    return true;
}

}  // namespace

std::string FormatConfigLine(const CConfigItem& item) {
    std::string line;
    char head[32];
    std::snprintf(head, sizeof head, "%c %08X ", static_cast<char>('A' + item.m_nType), item.m_nId);
    line += head;
    AppendWord(line, item.m_strName);
    line.push_back(' ');
    switch (item.m_nType) {
    case CONFIG_STRING:
    case CONFIG_PLAIN_STRING:
        AppendWord(line, item.m_strValue1);
        line.push_back(' ');
        AppendWord(line, item.m_strValue2);
        break;
    case CONFIG_INTEGER: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%" PRId32 " %" PRId32, item.m_nValue1, item.m_nValue2);
        line += buf;
        break;
    }
    case CONFIG_FLOAT:
        AppendFloat(line, item.m_fValue1);
        line.push_back(' ');
        AppendFloat(line, item.m_fValue2);
        break;
    case CONFIG_DOUBLE:
        AppendFloat(line, item.m_dValue1, std::chars_format::general);
        line.push_back(' ');
        AppendFloat(line, item.m_dValue2, std::chars_format::general);
        break;
    default:
        break;
    }
    line += "\r\n";
    return line;
}

bool ParseConfigLine(const std::string& line, CConfigItem& item) {
    if (line.empty() || line[0] < 'B' || line[0] > 'F') return false;
    const std::int32_t type = line[0] - 'A';

    // Identifier, name and two value words, each ending at whitespace.
    std::string words[4];
    int count = 0;
    size_t i = 1;
    while (count < 4) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        words[count++].assign(line, start, i - start);
    }
    std::uint32_t id = 0;
    if (count < 2 || !ParseHexId(words[0], id)) return false;

    item = CConfigItem(id, words[1], type);
    switch (type) {
    case CONFIG_STRING:
    case CONFIG_PLAIN_STRING:
        item.m_strValue1 = words[2];
        item.m_strValue2 = words[3];
        break;
    case CONFIG_INTEGER:
        item.m_nValue1 = ParseInt(words[2]);
        item.m_nValue2 = ParseInt(words[3]);
        break;
    case CONFIG_FLOAT:
        item.m_fValue1 = ParseFloat<float>(words[2]);
        item.m_fValue2 = ParseFloat<float>(words[3]);
        break;
    case CONFIG_DOUBLE:
        item.m_dValue1 = ParseFloat<double>(words[2]);
        item.m_dValue2 = ParseFloat<double>(words[3]);
        break;
    }
    return true;
}

CConfigStore::CConfigStore() = default;

CConfigStore::~CConfigStore() {
    FreeAll();
}

void CConfigStore::FreeAll() {
    CConfigItem* item = nullptr;
    while (m_listItems.RemoveHead(item) == LIST_OK) delete item;
    EndEnumeration();
}

void CConfigStore::SetFileName(const std::string& appDir) {
    m_strFileName = JoinPath(JoinPath(appDir, "Data"), "config.txt");
}

void CConfigStore::SetAutoSave() {
    m_bAutoSave = 1;
}

void CConfigStore::SetDefaults() {}

int CConfigStore::Load() {
    std::string text;
    if (!ReadWholeFile(m_strFileName, text)) {
        // The defaults are added with auto-save held back and written once.
        const std::int32_t autoSave = m_bAutoSave;
        m_bAutoSave = 0;
        SetDefaults();
        m_bAutoSave = autoSave;
        if (FileExists(m_strFileName)) {
            // Present but unreadable: keep the user's file rather than
            // replacing it with the defaults.
            ReportDiagnostic(DiagnosticKind::ReadFailed, m_strFileName, "using the default settings");
        } else {
            Save();
        }
        return 0;
    }

    FreeAll();
    CTextLineReader reader(text);
    std::string line;
    CConfigItem parsed;
    m_nUnreadableLines = 0;
    while (reader.ReadLine(line)) {
        if (!ParseConfigLine(line, parsed)) {
            if (line.find_first_not_of(" \t\r\n\v\f") != std::string::npos) ++m_nUnreadableLines;
            continue;
        }
        CConfigItem* item = new (std::nothrow) CConfigItem(parsed);
        if (!item) continue;
        if (m_listItems.AddHead(item) != LIST_OK) delete item;
    }
    m_strDamagedText.clear();
    if (m_nUnreadableLines > 0) {
        // Saving would drop the lines: the file as read is kept first, at
        // once by a run that saves every change.
        m_strDamagedText = text;
        const std::string lines = std::to_string(m_nUnreadableLines) +
                                  (m_nUnreadableLines == 1 ? " line" : " lines") + " could not be read and are left out";
        const std::string copy = m_bAutoSave ? KeepDamagedCopyBeside(m_strFileName, text) : std::string();
        if (!copy.empty()) m_strDamagedText.clear();
        ReportDiagnostic(DiagnosticKind::DamagedFile, m_strFileName,
                         copy.empty() ? lines + "; the file is copied before it is written again"
                                      : lines + "; the file as it was is kept as " + copy);
    }
    return 1;
}

bool CConfigStore::KeepDamagedCopy() {
    if (m_strDamagedText.empty()) return true;
    if (KeepDamagedCopyBeside(m_strFileName, m_strDamagedText).empty()) return false;
    m_strDamagedText.clear();
    return true;
}

bool CConfigStore::Save() {
    if (!KeepDamagedCopy()) {
        ReportDiagnostic(DiagnosticKind::SaveFailed, m_strFileName,
                         "not written: its unreadable lines could not be copied first");
        return false;
    }
    std::string data;
    for (auto p = m_listItems.HeadPosition(); p; p = ItemList::NextPosition(p))
        data += FormatConfigLine(*ItemList::ItemAt(p));

    // The file holds the proxy password: owner read/write only, also when an
    // older file was created more open.
    struct stat st {};
    if (::stat(m_strFileName.c_str(), &st) == 0 && (st.st_mode & 077) != 0)
        ::chmod(m_strFileName.c_str(), 0600);
    std::error_code ec;
    std::filesystem::path parent = std::filesystem::path(m_strFileName).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    return WriteFileAtomically(m_strFileName, data, 0600);
}

bool CConfigStore::AddItemNoSave(const CConfigItem& item) {
    EndEnumeration();
    if (item.m_nType < CONFIG_STRING || item.m_nType > CONFIG_DOUBLE) return false;
    for (auto p = m_listItems.HeadPosition(); p; p = ItemList::NextPosition(p))
        if (ItemList::ItemAt(p)->SameFirstValue(item)) return false;
    CConfigItem* copy = new (std::nothrow) CConfigItem(item);
    if (!copy) return false;
    if (m_listItems.AddHead(copy) != LIST_OK) {
        delete copy;
        return false;
    }
    return true;
}

bool CConfigStore::AddItem(const CConfigItem& item) {
    if (!AddItemNoSave(item)) return false;
    if (m_bAutoSave) Save();
    return true;
}

bool CConfigStore::AddString(std::uint32_t id, const std::string& name, const std::string& value1,
                             const std::string& value2) {
    CConfigItem item(id, name, CONFIG_STRING);
    item.m_strValue1 = value1;
    item.m_strValue2 = value2;
    return AddItem(item);
}

bool CConfigStore::AddPlainString(std::uint32_t id, const std::string& name, const std::string& value1,
                                  const std::string& value2) {
    CConfigItem item(id, name, CONFIG_PLAIN_STRING);
    item.m_strValue1 = value1;
    item.m_strValue2 = value2;
    return AddItem(item);
}

bool CConfigStore::AddInteger(std::uint32_t id, const std::string& name, std::int32_t value1,
                              std::int32_t value2) {
    CConfigItem item(id, name, CONFIG_INTEGER);
    item.m_nValue1 = value1;
    item.m_nValue2 = value2;
    return AddItem(item);
}

bool CConfigStore::RemoveAllNoSave(std::uint32_t id) {
    bool removed = false;
    CConfigItem* item = nullptr;
    if (m_listItems.First(item) != LIST_OK) return false;
    for (;;) {
        if (item->m_nId == id) {
            // A running enumeration must not keep a removed record.
            if (m_bEnumerating && m_listItems.GetCursor() == m_posEnum) EndEnumeration();
            const bool wasTail = m_listItems.GetCursor() == m_listItems.TailPosition();
            m_listItems.RemoveCurrent(item);
            delete item;
            removed = true;
            if (wasTail || m_listItems.GetCurrent(item) != LIST_OK) break;
            continue;
        }
        if (m_listItems.Next(item) != LIST_OK) break;
    }
    m_listItems.ClearCursor();
    return removed;
}

bool CConfigStore::RemoveAll(std::uint32_t id) {
    const bool removed = RemoveAllNoSave(id);
    if (m_bAutoSave) Save();
    return removed;
}

bool CConfigStore::ReplaceAll(const CConfigItem& item) {
    RemoveAllNoSave(item.m_nId);
    const bool added = AddItemNoSave(item);
    if (m_bAutoSave) Save();
    return added;
}

void CConfigStore::EndEnumeration() {
    m_bEnumerating = false;
    m_posEnum = nullptr;
}

void CConfigStore::ResetEnumeration() {
    EndEnumeration();
}

bool CConfigStore::EnumerateNext(std::uint32_t id, const CConfigItem** ppFound) {
    *ppFound = nullptr;
    ItemList::Position p =
        (m_bEnumerating && m_nEnumId == id) ? m_posEnum : m_listItems.HeadPosition();
    while (p && ItemList::ItemAt(p)->m_nId != id) p = ItemList::NextPosition(p);
    if (!p) {
        EndEnumeration();
        return false;
    }
    *ppFound = ItemList::ItemAt(p);
    p = ItemList::NextPosition(p);
    while (p && ItemList::ItemAt(p)->m_nId != id) p = ItemList::NextPosition(p);
    if (!p) {
        EndEnumeration();
        return false;
    }
    m_bEnumerating = true;
    m_nEnumId = id;
    m_posEnum = p;
    return true;
}

bool CConfigStore::GetString(std::uint32_t id, std::string& value) {
    const CConfigItem* found = nullptr;
    const bool more = EnumerateNext(id, &found);
    if (found) value = found->m_strValue1;
    return more;
}

bool CConfigStore::GetInteger(std::uint32_t id, std::int32_t& value) {
    const CConfigItem* found = nullptr;
    const bool more = EnumerateNext(id, &found);
    if (found) value = found->m_nValue1;
    return more;
}
