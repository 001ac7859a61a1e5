#pragma once
// A text buffer that grows in fixed chunks. Appending copies into spare room
// that was allocated ahead, so a long run of appends costs one reallocation
// per chunk. Counts are kept in bytes (two per UTF-16 character) as the rest
// of the subsystem expects; every public count and position is in characters.
#include <QString>
#include <QStringView>

#include <cstdint>

class cStringBuilder {
public:
    cStringBuilder() = default;

    int Length() const { return used_ / 2; }
    int Capacity() const { return capacity_ / 2; }
    int ChunkSize() const { return chunk_ / 2; }
    // Error 6 when the size in bytes overflows, error 5 when below 1; the old
    // size is kept either way.
    void setChunkSize(int iChunkSize);

    // The content; "" when empty.
    QString toString() const;
    // Replaces the whole content; "" releases the storage.
    void setTheString(QStringView sThis);
    // Empties and releases the storage; the chunk size stays.
    void Clear();

    void Append(QStringView sThis);
    void Append(QChar c);
    void AppendByVal(const QString& sThis) { Append(QStringView(sThis)); }
    // Append, then a carriage return and line feed.
    void AppendNL(QStringView sThis);
    // Inserts before character iIndex (0-based; Length() appends). Error 9
    // when iIndex is outside 0..Length().
    void Insert(int iIndex, QStringView sThis);
    void InsertByVal(int iIndex, const QString& sThis) { Insert(iIndex, QStringView(sThis)); }
    // Removes lLen characters from iIndex (0-based). Error 9 when the range
    // is not inside the content. The capacity stays.
    void Remove(int iIndex, int lLen);
    // 1-based position of the first match at or after lStartIndex (from the
    // start when below 1) lying wholly inside the content, or 0. compare: 0
    // binary, 1 without regard to letter case.
    int Find(QStringView sToFind, int lStartIndex = 1, int compare = 0) const;
    // Gives back spare capacity in whole chunks, keeping at most one chunk
    // (and more than nothing) free.
    void HeapMinimize();

    // The content, without copying; valid until the next change.
    QStringView view() const { return QStringView(buffer_.constData(), used_ / 2); }

private:
    // Makes room for `needed` bytes, growing by whole chunks.
    void reserveBytes(std::int64_t needed);

    QString buffer_;                 // capacity_ / 2 characters
    std::int32_t chunk_ = 16384;     // bytes
    std::int32_t used_ = 0;          // bytes
    std::int32_t capacity_ = 0;      // bytes
};
