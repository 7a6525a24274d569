#include "store/StoryRecord.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

void PutLittleEndian32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
    p[2] = static_cast<unsigned char>((v >> 16) & 0xFF);
    p[3] = static_cast<unsigned char>((v >> 24) & 0xFF);
}

std::uint32_t GetLittleEndian32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::size_t StoryRecordSize(const StoryFileRecord& rec) {
    return STORY_RECORD_FIXED_SIZE + rec.strKeywords.size() + rec.strHeadline.size() + rec.strUrl.size() +
           rec.strDescription.size() + rec.strSource.size();
}

namespace {

void PutInt32(std::string& out, std::uint32_t v) {
    unsigned char b[4];
    PutLittleEndian32(b, v);
    out.append(reinterpret_cast<const char*>(b), 4);
}

void PutText(std::string& out, const std::string& s) {
    PutInt32(out, static_cast<std::uint32_t>(s.size()));
    out.append(s);
}

// Reads up to n bytes at offset; the count read, short only at the end of
// the file, or -1 on an error.
long ReadAt(int fd, std::uint64_t offset, char* p, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, p + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long>(done);
}

// A text length as stored: zero or less stands for an absent text.
std::uint64_t TextLength(const char* p) {
    const auto n = static_cast<std::int32_t>(GetLittleEndian32(reinterpret_cast<const unsigned char*>(p)));
    return n > 0 ? static_cast<std::uint64_t>(n) : 0;
}

}  // namespace

bool StoryRecordHasHeadline(int fd, std::uint64_t nOffset, std::string_view headline) {
    // Marker, state, time and the keywords' length; then the keywords, the
    // headline's length and the headline. Most records hold all of that in
    // their first few hundred bytes.
    constexpr std::size_t kHeadSize = 13;
    char buf[512];
    const long got = fd >= 0 ? ReadAt(fd, nOffset, buf, sizeof buf) : -1;
    if (got < static_cast<long>(kHeadSize) || static_cast<unsigned char>(buf[0]) != STORY_RECORD_MARKER) return false;
    const auto have = static_cast<std::uint64_t>(got);
    const std::uint64_t lengthAt = kHeadSize + TextLength(buf + 9);
    char len[4];
    if (lengthAt + 4 <= have) std::memcpy(len, buf + lengthAt, 4);
    else if (ReadAt(fd, nOffset + lengthAt, len, 4) != 4) return false;
    // A stored length other than the one looked for settles it unread.
    if (TextLength(len) != headline.size()) return false;
    const std::uint64_t textAt = lengthAt + 4;
    if (textAt + headline.size() <= have) return headline == std::string_view(buf + textAt, headline.size());
    std::string stored(headline.size(), '\0');
    return ReadAt(fd, nOffset + textAt, stored.data(), stored.size()) == static_cast<long>(stored.size()) &&
           stored == headline;
}

void EncodeStoryRecord(const StoryFileRecord& rec, std::string& out) {
    out.reserve(out.size() + StoryRecordSize(rec));
    out.push_back(static_cast<char>(STORY_RECORD_MARKER));
    PutInt32(out, static_cast<std::uint32_t>(rec.nState));
    PutInt32(out, static_cast<std::uint32_t>(rec.tFound));
    PutText(out, rec.strKeywords);
    PutText(out, rec.strHeadline);
    PutText(out, rec.strUrl);
    PutText(out, rec.strDescription);
    PutText(out, rec.strSource);
}

CStoryRecordReader::CStoryRecordReader(std::FILE* pFile, std::uint64_t nStart) : m_pFile(pFile), m_nPos(nStart) {
    struct stat st {};
    if (pFile && ::fstat(::fileno(pFile), &st) == 0 && st.st_size > 0) m_nSize = static_cast<std::uint64_t>(st.st_size);
    if (pFile && ::fseeko(pFile, static_cast<off_t>(nStart), SEEK_SET) != 0) m_nSize = 0;
}

bool CStoryRecordReader::SkipToNextRecord() {
    // The rest of the file is searched in memory for a marker byte from
    // which a whole, plausible record reads.
    const std::uint64_t from = m_nPos + 1;
    if (!m_pFile || from >= m_nSize) {
        m_nPos = m_nSize;
        return false;
    }
    std::string rest(static_cast<std::size_t>(m_nSize - from), '\0');
    if (::fseeko(m_pFile, static_cast<off_t>(from), SEEK_SET) != 0 ||
        std::fread(rest.data(), 1, rest.size(), m_pFile) != rest.size()) {
        m_nPos = m_nSize;
        return false;
    }
    StoryFileRecord rec;
    for (std::size_t i = rest.find(static_cast<char>(STORY_RECORD_MARKER)); i != std::string::npos;
         i = rest.find(static_cast<char>(STORY_RECORD_MARKER), i + 1)) {
        const std::uint64_t candidate = from + i;
        if (m_nSize - candidate < STORY_RECORD_FIXED_SIZE) break;
        m_nPos = candidate;
        if (::fseeko(m_pFile, static_cast<off_t>(candidate), SEEK_SET) != 0) break;
        if (Read(rec) == StoryReadResult::Ok && rec.nState >= 0 && rec.nState <= 6 && !rec.strHeadline.empty()) {
            m_nPos = candidate;
            ::fseeko(m_pFile, static_cast<off_t>(candidate), SEEK_SET);
            return true;
        }
    }
    m_nPos = m_nSize;
    return false;
}

bool CStoryRecordReader::ReadBytes(void* p, std::size_t n) {
    if (n == 0) return true;
    if (m_nSize < m_nPos || m_nSize - m_nPos < n) return false;
    if (std::fread(p, 1, n, m_pFile) != n) return false;
    m_nPos += n;
    return true;
}

bool CStoryRecordReader::ReadInt32(std::int32_t& v) {
    unsigned char b[4];
    if (!ReadBytes(b, 4)) return false;
    v = static_cast<std::int32_t>(GetLittleEndian32(b));
    return true;
}

bool CStoryRecordReader::ReadText(std::string& s) {
    std::int32_t n = 0;
    if (!ReadInt32(n)) return false;
    if (n <= 0) {
        // Zero or less stands for an absent text; a negative length is not
        // what this program writes, so the record would not be copied verbatim.
        if (n < 0) m_bCanonical = false;
        s.clear();
        return true;
    }
    const std::uint64_t len = static_cast<std::uint64_t>(n);
    if (m_nSize < m_nPos || m_nSize - m_nPos < len) return false;  // runs past the end
    s.resize(static_cast<std::size_t>(len));
    return ReadBytes(s.data(), s.size());
}

StoryReadResult CStoryRecordReader::Read(StoryFileRecord& rec) {
    m_bCanonical = true;
    if (!m_pFile || m_nPos >= m_nSize) return StoryReadResult::End;
    const std::uint64_t start = m_nPos;
    unsigned char marker = 0;
    if (!ReadBytes(&marker, 1)) return StoryReadResult::End;
    if (marker == STORY_RECORD_MARKER && ReadInt32(rec.nState) && ReadInt32(rec.tFound) &&
        ReadText(rec.strKeywords) && ReadText(rec.strHeadline) && ReadText(rec.strUrl) &&
        ReadText(rec.strDescription) && ReadText(rec.strSource)) {
        return StoryReadResult::Ok;
    }
    m_nPos = start;
    return StoryReadResult::Damaged;
}
