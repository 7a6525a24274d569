#include "store/StoryFile.h"

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>
#include <vector>

#include "common/Diagnostics.h"
#include "common/FileUtil.h"
#include "common/SafeFiles.h"
#include "store/StoryFileName.h"
#include "store/StoryRecord.h"

namespace {

void ReportFailure(DiagnosticKind kind, const char* what, const std::string& path, int err) {
    // A symbolic link at the file's name is said to be one, in the words
    // every other place that meets it uses, so that it is told once.
    if (err == ELOOP) ReportSymbolicLink(path);
    else ReportDiagnostic(kind, path, std::string(what) + ": " + (err ? std::strerror(err) : "failed"));
}

// Copies the first nBytes of the file behind fd to out; pread leaves the
// file position of a stream reading the same file alone.
bool CopyPrefix(int fd, std::uint64_t nBytes, std::FILE* out) {
    std::vector<char> buf(64 * 1024);
    std::uint64_t done = 0;
    while (done < nBytes) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), nBytes - done));
        const ssize_t n = ::pread(fd, buf.data(), want, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (std::fwrite(buf.data(), 1, static_cast<std::size_t>(n), out) != static_cast<std::size_t>(n)) return false;
        done += static_cast<std::uint64_t>(n);
    }
    return true;
}

// Copies of damaged files kept per file name; the oldest go first.
constexpr std::size_t kDamagedCopiesKept = 5;

}  // namespace

std::string CStoryFile::KeepDamagedCopy() const {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = fs::path(m_strDataFolder) / "damaged";
    if (!MakePrivateFolder(folder.string())) {
        if (errno == ELOOP) ReportSymbolicLink(folder.string());
        return std::string();
    }
    MakePrivate(folder.string());
    const std::string stem = fs::path(m_strDataPath).stem().string();
    std::string name = stem + "." + std::to_string(Now()) + ".dat";
    for (int n = 1; !CopyToNewFile(m_strDataPath, (folder / name).string()); ++n) {
        if (errno != EEXIST || n > 1000) return std::string();
        name = stem + "." + std::to_string(Now()) + "-" + std::to_string(n) + ".dat";
    }

    std::vector<fs::path> copies;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string other = it->path().filename().string();
        if (other.size() > stem.size() + 1 && other.compare(0, stem.size() + 1, stem + ".") == 0 &&
            it->symlink_status(ec).type() == fs::file_type::regular)
            copies.push_back(it->path());
    }
    if (copies.size() > kDamagedCopiesKept) {
        std::sort(copies.begin(), copies.end(), [](const fs::path& a, const fs::path& b) {
            std::error_code e;
            return fs::last_write_time(a, e) < fs::last_write_time(b, e);
        });
        for (std::size_t i = 0; i + kDamagedCopiesKept < copies.size(); ++i) fs::remove(copies[i], ec);
    }
    return "damaged/" + name;
}

CStoryFile::CStoryFile(std::string dataFolder, CSourceCatalogue* pCatalogue)
    : m_strDataFolder(std::move(dataFolder)), m_pCatalogue(pCatalogue), m_pIndex(std::make_unique<CStoryIndex>()) {
    m_pCursor = m_pIndex->Head();
}

CStoryFile::~CStoryFile() { Close(); }

std::int64_t CStoryFile::Now() const {
    return m_clock ? m_clock() : static_cast<std::int64_t>(std::time(nullptr));
}

void CStoryFile::UsePath(const std::string& dataPath) { m_strDataPath = dataPath; }

std::string CStoryFile::SourceKeyOf(const StoryFileRecord& rec) const {
    CStory story;
    story.SetSource(rec.strSource);
    return story.GetSourceName(false, m_pCatalogue);
}

bool CStoryFile::ReadFirstStory(const std::string& path, StoryFileRecord& rec) {
    std::FILE* f = OpenFileStream(path, "rb");
    if (!f) return false;
    CStoryRecordReader reader(f, 0);
    StoryReadResult r = reader.Read(rec);
    // A file damaged at its start is still a story file when a whole record
    // follows; its first readable record names its source.
    if (r == StoryReadResult::Damaged && reader.SkipToNextRecord()) r = reader.Read(rec);
    std::fclose(f);
    return r == StoryReadResult::Ok;
}

bool CStoryFile::IsOfSource(const StoryFileRecord& rec, const std::string& key) const {
    // A catalogue source's display name is "Name (Category)"; for a name
    // that holds a parenthesis itself the key read back from it differs.
    const std::string& shown = rec.strSource;
    return shown == key || shown.rfind(key + " (", 0) == 0 || SourceKeyOf(rec) == key;
}

bool CStoryFile::BelongsElsewhere(const StoryFileRecord& rec, std::string& key) const {
    if (IsOfSource(rec, m_strKey)) return false;
    key = SourceKeyOf(rec);
    return !key.empty() && StoryFileStem(key) == StoryFileStem(m_strKey);
}

void CStoryFile::SetKey(const std::string& key, const PathTaken& isTaken) {
    m_strKey = key;
    const std::string own = JoinPath(m_strDataFolder, StoryFileStem(key) + ".dat");
    const std::string second = JoinPath(m_strDataFolder, SecondStoryFileStem(key) + ".dat");
    // The source of a file's first story owns the file. An empty file goes
    // to the first source that asks, unless this source's stories already
    // live in its second file.
    // A symbolic link at the name is not this source's file: it is left
    // alone, and the stories go to the second file.
    StoryFileRecord first;
    bool bSecond = false;
    const bool bOwnIsLink = IsSymbolicLink(own);
    if (bOwnIsLink) ReportSymbolicLink(own);
    if (!bOwnIsLink && ReadFirstStory(own, first))
        bSecond = !IsOfSource(first, key) && !SourceKeyOf(first).empty();
    else
        bSecond = bOwnIsLink || (isTaken && isTaken(own)) || (ReadFirstStory(second, first) && IsOfSource(first, key));
    UsePath(bSecond ? second : own);
    const int fd = ::open(m_strDataPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, PRIVATE_FILE_MODE);
    if (fd >= 0) ::close(fd);
    else if (errno != EEXIST) ReportFailure(DiagnosticKind::SaveFailed, "the file was not created", m_strDataPath, errno);
    else if (IsSymbolicLink(m_strDataPath)) ReportSymbolicLink(m_strDataPath);
    Rewrite(true);
}

int CStoryFile::LoadFromFile(const std::string& fileName) {
    Close();
    const std::string path = JoinPath(m_strDataFolder, fileName);
    if (IsSymbolicLink(path)) {
        ReportSymbolicLink(path);
        return 0;
    }
    StoryFileRecord first;
    if (!ReadFirstStory(path, first)) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec) return 0;  // gone, or not to be read: left alone
        if (size == 0) {
            ::unlink(path.c_str());  // an empty story file, left by a crash
        } else {
            ReportDiagnostic(DiagnosticKind::ForeignFile, path, "not a story file; left alone");
        }
        return 0;
    }
    // The file may have another name than the key of its first story leads
    // to (its second name, or a source name holding a parenthesis): the
    // stories stay where they are rather than in an empty file under the
    // derived name.
    m_strKey = SourceKeyOf(first);
    UsePath(path);
    Rewrite(true);
    return 1;
}

int CStoryFile::MoveOutOtherSources(const StoryPlacer& place) {
    if (m_strKey.empty()) return 0;
    Close();
    std::vector<std::pair<CStory, std::string>> strays;
    if (std::FILE* in = OpenFileStream(m_strDataPath, "rb")) {
        StoryFileRecord rec;
        CStoryRecordReader reader(in, 0);
        std::string key;
        for (StoryReadResult r; (r = reader.Read(rec)) != StoryReadResult::End;) {
            if (r == StoryReadResult::Damaged) {
                if (!reader.SkipToNextRecord()) break;
                continue;
            }
            if (!BelongsElsewhere(rec, key)) continue;
            strays.emplace_back(CStory(), key);
            strays.back().first.AssignFromRecord(rec);
        }
        std::fclose(in);
    }
    if (strays.empty()) return 0;

    const std::string count = std::to_string(strays.size()) + " stories of other sources";
    const std::string copyName = KeepDamagedCopy();
    if (copyName.empty()) {
        ReportDiagnostic(DiagnosticKind::DamagedFile, m_strDataPath,
                         count + " found; the file is left as it is, as no copy of it could be kept");
        return 0;
    }
    for (const auto& [story, key] : strays) {
        if (place(story, key)) continue;
        // The stories placed so far are found there next time and not placed twice.
        ReportDiagnostic(DiagnosticKind::DamagedFile, m_strDataPath,
                         count + " found; a story of " + key + " could not be moved, so the file is left as it is");
        return 0;
    }
    if (!RebuildFile(KeepRule::OwnSource, false)) return 0;
    ReportDiagnostic(DiagnosticKind::DamagedFile, m_strDataPath,
                     count + " moved to their own files; the original is kept as " + copyName);
    return static_cast<int>(strays.size());
}

void CStoryFile::Open(const char* mode) {
    Close();
    m_strMode = mode ? mode : "r+b";
    m_pCursor = m_pIndex->Head();
}

void CStoryFile::Close() {
    if (m_pStream) {
        std::fclose(m_pStream);
        m_pStream = nullptr;
    }
}

std::FILE* CStoryFile::Stream() {
    if (!m_pStream && !m_strDataPath.empty()) m_pStream = OpenFileStream(m_strDataPath, m_strMode.c_str());
    return m_pStream;
}

int CStoryFile::Find(const std::string& headline) {
    // The stream is opened only when a node might hold the headline. A
    // record that cannot be read counts as another story, so that a story is
    // rather recorded twice than taken for one it is not.
    m_pCursor = m_pIndex->Find(headline, [this, &headline](const StoryIndexNode& node) {
        std::FILE* f = Stream();
        return f && StoryRecordHasHeadline(::fileno(f), node.nOffset, headline);
    });
    return m_pCursor ? 1 : 0;
}

int CStoryFile::NextWithState(int nState) {
    StoryIndexNode* p = m_pCursor ? m_pCursor->pNext : nullptr;
    while (p && p->nState != nState) p = p->pNext;
    m_pCursor = p;
    return p ? 1 : 0;
}

int CStoryFile::NextVisible() {
    StoryIndexNode* p = m_pCursor ? m_pCursor->pNext : nullptr;
    while (p && !IsVisibleState(p->nState)) p = p->pNext;
    m_pCursor = p;
    return p ? 1 : 0;
}

std::unique_ptr<CStory> CStoryFile::ReadCurrent() {
    if (!HasCursorStory()) return nullptr;
    std::FILE* f = Stream();
    if (!f) return nullptr;
    StoryFileRecord rec;
    CStoryRecordReader reader(f, m_pCursor->nOffset);
    if (reader.Read(rec) != StoryReadResult::Ok) return nullptr;
    auto story = std::make_unique<CStory>();
    story->AssignFromRecord(rec);
    return story;
}

int CStoryFile::GetCurrentState() const { return HasCursorStory() ? m_pCursor->nState : -1; }

bool CStoryFile::WriteState(std::uint32_t nOffset, std::int32_t nState) {
    std::FILE* f = Stream();
    if (!f) return false;
    // Only a record start may be changed: make sure the marker is there.
    if (::fseeko(f, static_cast<off_t>(nOffset), SEEK_SET) != 0) return false;
    if (std::fgetc(f) != STORY_RECORD_MARKER) return false;
    unsigned char b[4];
    PutLittleEndian32(b, static_cast<std::uint32_t>(nState));
    if (::fseeko(f, static_cast<off_t>(nOffset + STORY_RECORD_STATE_OFFSET), SEEK_SET) != 0) return false;
    const bool ok = std::fwrite(b, 1, 4, f) == 4 && std::fflush(f) == 0;
    if (!ok) std::clearerr(f);
    return ok;
}

int CStoryFile::SetCurrentState(int nState) {
    if (!HasCursorStory()) return 0;
    if (!WriteState(m_pCursor->nOffset, nState)) {
        ReportFailure(DiagnosticKind::SaveFailed, "a story state was not saved", m_strDataPath, errno);
        return 0;
    }
    m_pCursor->nState = static_cast<std::int8_t>(nState);
    return 1;
}

int CStoryFile::Append(const CStory& story, bool bSupersede) {
    std::FILE* f = Stream();
    if (!f) {
        ReportFailure(DiagnosticKind::ReadFailed, "the file could not be opened", m_strDataPath, errno);
        return 0;
    }
    StoryIndexNode* pExisting = m_pIndex->FindAny(story.GetHeadline(), [f, &story](const StoryIndexNode& node) {
        return StoryRecordHasHeadline(::fileno(f), node.nOffset, story.GetHeadline());
    });
    StoryIndexNode* pSpare = nullptr;
    if (!pExisting) {
        pSpare = m_pIndex->AllocateSpare();
        if (!pSpare) {
            ReportFailure(DiagnosticKind::OutOfMemory, "the file could not be indexed", m_strDataPath, ENOMEM);
            return 0;
        }
    }

    StoryFileRecord rec;
    story.BuildRecord(rec, m_pCatalogue);
    std::string bytes;
    EncodeStoryRecord(rec, bytes);

    // The new record goes in first; only once it is safely written is the
    // old one marked superseded, so a failure never loses the story.
    const bool seekOk = ::fseeko(f, 0, SEEK_END) == 0;
    const off_t end = seekOk ? ::ftello(f) : -1;
    const bool fits = end >= 0 && static_cast<std::uint64_t>(end) + bytes.size() <=
                                      std::numeric_limits<std::uint32_t>::max();
    bool ok = fits && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
    if (!ok) {
        const int err = fits ? errno : EFBIG;
        std::clearerr(f);
        if (end >= 0 && ::ftruncate(::fileno(f), end) != 0) {
            // Nothing more can be done; the next rewrite stops at the cut-off record.
        }
        m_pIndex->ReleaseSpare(pSpare);
        ReportFailure(DiagnosticKind::SaveFailed, "a story was not saved", m_strDataPath, err);
        return 0;
    }

    if (bSupersede && pExisting && pExisting->nState != STORY_SUPERSEDED) {
        if (WriteState(pExisting->nOffset, STORY_SUPERSEDED)) ++m_nSupersededRecords;
        else ReportFailure(DiagnosticKind::SaveFailed, "a replaced story was not marked", m_strDataPath, errno);
    }
    if (story.GetState() == STORY_SUPERSEDED) ++m_nSupersededRecords;
    if (pExisting) {
        pExisting->nState = static_cast<std::int8_t>(story.GetState());
        pExisting->tFound = story.GetTimeFound();
        pExisting->nOffset = static_cast<std::uint32_t>(end);
        m_pCursor = pExisting;
    } else {
        m_pCursor = m_pIndex->Insert(story.GetHeadline(), static_cast<std::int8_t>(story.GetState()), story.GetTimeFound(),
                                     static_cast<std::uint32_t>(end), {}, pSpare);
    }
    return 1;
}

int CStoryFile::Rewrite(bool bForce) { return RebuildFile(KeepRule::Expiry, !bForce); }

int CStoryFile::PurgeHidden() { return RebuildFile(KeepRule::VisibleOnly, false); }

int CStoryFile::RebuildFile(KeepRule rule, bool bCheckFirst) {
    Close();
    const std::int64_t now = Now();
    auto keepState = [rule, now](std::int32_t nState, std::int32_t tFound) {
        if (rule == KeepRule::VisibleOnly)
            return nState != STORY_PENDING && nState != STORY_HIDDEN && nState != STORY_SUPERSEDED;
        return (now - tFound < STORY_LIFETIME_SECONDS || nState == STORY_BOOKMARKED) && nState != STORY_SUPERSEDED;
    };

    if (bCheckFirst) {
        bool bNeeded = rule == KeepRule::Expiry && m_nSupersededRecords > 0;
        for (StoryIndexNode* p = m_pIndex->First(); p && !bNeeded; p = p->pNext)
            bNeeded = !keepState(p->nState, p->tFound);
        if (!bNeeded) return 1;
    }

    std::FILE* in = OpenFileStream(m_strDataPath, "rb");
    if (!in) {
        if (errno == ELOOP) ReportSymbolicLink(m_strDataPath);
        return 0;
    }
    // Stories are the user's own: a file an earlier version left readable
    // to others becomes private.
    MakePrivate(m_strDataPath);

    auto pNew = std::make_unique<CStoryIndex>();
    std::FILE* out = nullptr;  // opened at the first difference from the old file
    bool ok = pNew->IsValid();
    std::uint64_t outPos = 0;
    StoryFileRecord rec;
    std::string bytes;
    CStoryRecordReader reader(in, 0);

    // A kept record whose headline is indexed already (a story appended
    // again without superseding) takes over its node, as in Append. The
    // records kept so far are in the work file once it is open, else they
    // are the old file's first bytes.
    auto sameKept = [&](const StoryIndexNode& node) {
        if (out && std::fflush(out) != 0) return false;
        return StoryRecordHasHeadline(::fileno(out ? out : in), node.nOffset, rec.strHeadline);
    };

    int err = 0;
    std::string workPath;  // made exclusively under a random name beside the file
    auto diverge = [&](std::uint64_t nPrefix) {
        const int fd = CreateTemporaryFile(m_strDataPath, workPath);
        out = fd >= 0 ? ::fdopen(fd, "w+b") : nullptr;  // read back on a shared key
        if (!out && fd >= 0) {
            err = errno;
            ::close(fd);
            ::unlink(workPath.c_str());
            return false;
        }
        if (!out || !CopyPrefix(::fileno(in), nPrefix, out)) {
            err = errno;
            return false;
        }
        return true;
    };

    // Damage: the records after it are kept (reading resumes at the next
    // whole record), the original is copied aside first, and the loss is
    // reported with counts.
    std::uint64_t damageAt = 0, skippedBytes = 0;
    int nDamaged = 0, nKeptAfterDamage = 0, nRead = 0;
    std::string copyName;
    while (ok) {
        const StoryReadResult r = reader.Read(rec);
        if (r == StoryReadResult::End) break;
        if (r == StoryReadResult::Damaged) {
            if (nDamaged++ == 0) {
                damageAt = reader.Position();
                copyName = KeepDamagedCopy();
                if (copyName.empty()) {
                    ok = false;  // never repair a file whose original could not be kept
                    break;
                }
            }
            if (!out && !diverge(outPos)) {
                ok = false;
                break;
            }
            const std::uint64_t start = reader.Position();
            const bool bMore = reader.SkipToNextRecord();
            skippedBytes += reader.Position() - start;
            if (!bMore) break;
            continue;
        }
        ++nRead;
        if (nDamaged > 0) ++nKeptAfterDamage;
        std::string otherKey;
        const bool bKeep =
            keepState(rec.nState, rec.tFound) && !(rule == KeepRule::OwnSource && BelongsElsewhere(rec, otherKey));
        // Until a record is dropped or must be written differently, the new
        // file is byte for byte the old one, and outPos is also the position
        // of this record in the old file: nothing needs writing yet.
        if (!out && !(bKeep && reader.LastWasCanonical()) && !diverge(outPos)) {
            ok = false;
            break;
        }
        if (!bKeep) continue;
        const std::size_t size = StoryRecordSize(rec);
        if (outPos + size > std::numeric_limits<std::uint32_t>::max()) {
            ok = false;  // record offsets are 32-bit
            break;
        }
        if (out) {
            bytes.clear();
            EncodeStoryRecord(rec, bytes);
            if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
                ok = false;
                break;
            }
        }
        if (!pNew->Insert(rec.strHeadline, static_cast<std::int8_t>(rec.nState), rec.tFound,
                          static_cast<std::uint32_t>(outPos), sameKept)) {
            ok = false;
            break;
        }
        outPos += size;
    }
    if (nDamaged > 0) {
        ReportDiagnostic(DiagnosticKind::DamagedFile, m_strDataPath,
                         "damaged story data from byte " + std::to_string(damageAt) + ": " +
                             std::to_string(skippedBytes) + " bytes in " + std::to_string(nDamaged) +
                             " place(s) skipped; " + std::to_string(nRead) + " stories read (" +
                             std::to_string(nKeptAfterDamage) + " of them after the damage)" +
                             (copyName.empty() ? std::string("; the file is left as it is")
                                               : "; the original is kept as " + copyName));
    }

    if (out) {
        if (ok && (std::fflush(out) != 0 || ::fsync(::fileno(out)) != 0)) ok = false;
        if (!ok && !err) err = errno;
        if (std::fclose(out) != 0 && ok) {
            ok = false;
            err = errno;
        }
        if (ok && std::rename(workPath.c_str(), m_strDataPath.c_str()) != 0) {
            ok = false;
            err = errno;
        }
        if (!ok) ::unlink(workPath.c_str());
    }
    std::fclose(in);

    if (!ok) {
        // The old file is untouched: index it as it stands, so that its
        // stories stay known until a later rewrite succeeds.
        ReportFailure(DiagnosticKind::SaveFailed, "the file was not rewritten", m_strDataPath, err);
        IndexFileAsIs();
        return 0;
    }
    m_pIndex = std::move(pNew);
    m_pCursor = m_pIndex->Head();
    m_nSupersededRecords = 0;
    return 1;
}

bool CStoryFile::IndexFileAsIs() {
    std::FILE* in = OpenFileStream(m_strDataPath, "rb");
    if (!in) return false;
    auto pNew = std::make_unique<CStoryIndex>();
    bool ok = pNew->IsValid();
    StoryFileRecord rec;
    CStoryRecordReader reader(in, 0);
    std::uint64_t start = 0;
    int nSuperseded = 0;
    for (StoryReadResult r; ok && (r = reader.Read(rec)) != StoryReadResult::End;) {
        if (r == StoryReadResult::Damaged) {
            if (!reader.SkipToNextRecord()) break;
            start = reader.Position();
            continue;
        }
        if (rec.nState == STORY_SUPERSEDED) ++nSuperseded;
        ok = pNew->Insert(rec.strHeadline, static_cast<std::int8_t>(rec.nState), rec.tFound,
                          static_cast<std::uint32_t>(start), [in, &rec](const StoryIndexNode& node) {
                              return StoryRecordHasHeadline(::fileno(in), node.nOffset, rec.strHeadline);
                          }) != nullptr;
        start = reader.Position();
    }
    std::fclose(in);
    if (!ok) return false;
    m_pIndex = std::move(pNew);
    m_pCursor = m_pIndex->Head();
    m_nSupersededRecords = nSuperseded;
    return true;
}

int CStoryFile::DeleteIfEmpty(bool bForce) {
    Close();
    // Only a file without a byte is empty: one that holds anything else,
    // a damaged story file or not ours, is kept.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(m_strDataPath, ec);
    if (ec || IsSymbolicLink(m_strDataPath)) return 0;
    if (bForce || size == 0) ::unlink(m_strDataPath.c_str());
    return size == 0 ? 1 : 0;
}
