// StoryFileRecord: one story as stored in a story file, with its byte layout
// (little-endian, 0xFF marker, state, time found and five length-prefixed
// texts) and a bounded reader that stops at the first damaged byte.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

struct StoryFileRecord {
    std::int32_t nState = 0;
    std::int32_t tFound = 0;
    std::string strKeywords;     // empty = absent
    std::string strHeadline;
    std::string strUrl;
    std::string strDescription;  // empty = absent
    std::string strSource;       // the source's display name
};

constexpr unsigned char STORY_RECORD_MARKER = 0xFF;
// Marker, state and time, plus the five 32-bit text lengths.
constexpr std::size_t STORY_RECORD_FIXED_SIZE = 29;
// Where the state sits inside a record, counted from the marker.
constexpr std::size_t STORY_RECORD_STATE_OFFSET = 1;

// Size of the record's encoding in bytes.
std::size_t StoryRecordSize(const StoryFileRecord& rec);

// Appends the record's bytes to out, field by field in file order.
void EncodeStoryRecord(const StoryFileRecord& rec, std::string& out);

// Writes a 32-bit value in little-endian order into four bytes.
void PutLittleEndian32(unsigned char* p, std::uint32_t v);
std::uint32_t GetLittleEndian32(const unsigned char* p);

// Whether the record at nOffset of the file behind fd carries exactly this
// headline. Reads with pread (one read for a record with short texts ahead
// of its headline), so the position of a stream on the same file stays
// where it is; a stream that wrote must have been flushed. False when no
// record marker is there or the file ends first.
bool StoryRecordHasHeadline(int fd, std::uint64_t nOffset, std::string_view headline);

enum class StoryReadResult {
    Ok,       // a whole record was read
    End,      // the file ended where a record would start
    Damaged,  // not a 0xFF marker, a cut-off record or a length past the end
};

// Reads records one after the other from an open story file. Every text
// length is checked against the bytes left in the file before anything is
// allocated, so a damaged file is read up to the damage and no further.
class CStoryRecordReader {
public:
    // Reads from pFile starting at byte offset nStart.
    CStoryRecordReader(std::FILE* pFile, std::uint64_t nStart);

    // Reads the record at the current position into rec (whose strings are
    // reused). After Ok the position is just past the record.
    StoryReadResult Read(StoryFileRecord& rec);

    // After Damaged: moves to the next offset past the damage where a
    // plausible record (state 0 to 6, a headline) reads whole, so that the
    // rest of the file is not lost with one bad byte. False, at the end of
    // the file, when there is none.
    bool SkipToNextRecord();

    // Offset of the next unread byte; after Damaged, where the damaged record begins.
    std::uint64_t Position() const { return m_nPos; }
    // False when the last record read held a negative text length, so that
    // writing it again would not give the same bytes.
    bool LastWasCanonical() const { return m_bCanonical; }
    std::uint64_t FileSize() const { return m_nSize; }

private:
    bool ReadBytes(void* p, std::size_t n);
    bool ReadInt32(std::int32_t& v);
    bool ReadText(std::string& s);

    std::FILE* m_pFile;
    std::uint64_t m_nPos;
    std::uint64_t m_nSize = 0;
    bool m_bCanonical = true;
};
