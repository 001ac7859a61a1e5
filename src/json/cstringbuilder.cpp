#include "json/cstringbuilder.h"

#include "platform/legacy/vberror.h"

#include <cstring>
#include <limits>

using legacy::VbError;

namespace {

constexpr std::int64_t MaxBytes = std::numeric_limits<std::int32_t>::max();

// Byte count of a text; error 6 when it does not fit the 32-bit counters.
std::int64_t bytesOf(QStringView s)
{
    std::int64_t bytes = std::int64_t(s.size()) * 2;
    if (bytes > MaxBytes)
        throw VbError(6);
    return bytes;
}

}  // namespace

void cStringBuilder::setChunkSize(int iChunkSize)
{
    std::int64_t bytes = std::int64_t(iChunkSize) * 2;
    if (bytes > MaxBytes || bytes < std::numeric_limits<std::int32_t>::min())
        throw VbError(6);
    // A chunk of nothing would never reach the room an append needs.
    if (iChunkSize < 1)
        throw VbError(5);
    chunk_ = std::int32_t(bytes);
}

QString cStringBuilder::toString() const
{
    if (used_ < 1)
        return QString();
    return QString(buffer_.constData(), used_ / 2);
}

void cStringBuilder::reserveBytes(std::int64_t needed)
{
    if (needed > MaxBytes)
        throw VbError(6);
    if (capacity_ >= needed)
        return;
    std::int64_t chunks = (needed - capacity_ + chunk_ - 1) / chunk_;
    std::int64_t newCapacity = capacity_ + chunks * chunk_;
    if (newCapacity > MaxBytes)
        throw VbError(6);
    // New room is filled with blanks; it is never shown.
    buffer_.resize(qsizetype(newCapacity / 2), QChar(u' '));
    capacity_ = std::int32_t(newCapacity);
}

void cStringBuilder::setTheString(QStringView sThis)
{
    if (sThis.isEmpty()) {
        Clear();
        return;
    }
    std::int64_t bytes = bytesOf(sThis);
    if (capacity_ < bytes) {
        QString copy = sThis.toString();  // sThis may point into our own buffer
        reserveBytes(bytes);
        std::memmove(buffer_.data(), copy.constData(), std::size_t(bytes));
    } else {
        std::memmove(buffer_.data(), sThis.data(), std::size_t(bytes));
    }
    used_ = std::int32_t(bytes);
}

void cStringBuilder::Clear()
{
    buffer_ = QString();
    used_ = 0;
    capacity_ = 0;
}

void cStringBuilder::Append(QStringView sThis)
{
    if (sThis.isEmpty())
        return;
    std::int64_t bytes = bytesOf(sThis);
    std::int64_t needed = std::int64_t(used_) + bytes;
    if (needed > capacity_) {
        QString copy = sThis.toString();  // growing may move our own buffer
        reserveBytes(needed);
        std::memcpy(reinterpret_cast<char*>(buffer_.data()) + used_, copy.constData(), std::size_t(bytes));
    } else {
        std::memmove(reinterpret_cast<char*>(buffer_.data()) + used_, sThis.data(), std::size_t(bytes));
    }
    used_ = std::int32_t(needed);
}

void cStringBuilder::Append(QChar c)
{
    if (std::int64_t(used_) + 2 > capacity_)
        reserveBytes(std::int64_t(used_) + 2);
    buffer_.data()[used_ / 2] = c;
    used_ += 2;
}

void cStringBuilder::AppendNL(QStringView sThis)
{
    Append(sThis);
    Append(QStringView(u"\r\n"));
}

void cStringBuilder::Insert(int iIndex, QStringView sThis)
{
    std::int64_t at = std::int64_t(iIndex) * 2;
    if (at > MaxBytes)
        throw VbError(6);
    if (iIndex < 0 || at > used_)
        throw VbError(9);
    if (sThis.isEmpty())
        return;
    std::int64_t bytes = bytesOf(sThis);
    std::int64_t needed = std::int64_t(used_) + bytes;
    QString copy = sThis.toString();  // the text may lie in the part we move
    reserveBytes(needed);
    char* base = reinterpret_cast<char*>(buffer_.data());
    std::memmove(base + at + bytes, base + at, std::size_t(used_ - at));
    std::memcpy(base + at, copy.constData(), std::size_t(bytes));
    used_ = std::int32_t(needed);
}

void cStringBuilder::Remove(int iIndex, int lLen)
{
    std::int64_t at = std::int64_t(iIndex) * 2;
    std::int64_t end = (std::int64_t(iIndex) + lLen) * 2;
    if (at > MaxBytes || end > MaxBytes)
        throw VbError(6);
    if (iIndex < 0 || lLen < 0 || at > used_ || end > used_)
        throw VbError(9);
    char* base = reinterpret_cast<char*>(buffer_.data());
    std::memmove(base + at, base + end, std::size_t(used_ - end));
    used_ -= std::int32_t(end - at);
}

int cStringBuilder::Find(QStringView sToFind, int lStartIndex, int compare) const
{
    qsizetype from = lStartIndex >= 1 ? lStartIndex - 1 : 0;
    QStringView content = view();
    if (from > content.size())
        return 0;
    if (sToFind.isEmpty())
        return from < content.size() ? int(from + 1) : 0;
    // Only the content counts: whatever lies in the spare room beyond it is
    // left-over text and must never be found.
    qsizetype at = content.indexOf(sToFind, from, compare == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return at < 0 ? 0 : int(at + 1);
}

void cStringBuilder::HeapMinimize()
{
    if (capacity_ - used_ <= chunk_)
        return;
    std::int32_t capacity = capacity_;
    while (capacity - used_ > chunk_)
        capacity -= chunk_;
    buffer_.truncate(capacity / 2);
    buffer_.squeeze();
    capacity_ = capacity;
}
