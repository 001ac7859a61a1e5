#pragma once
// String functions with the old runtime's names and rules. Positions are
// 1-based; a bad start or length raises error 5.
#include "platform/legacy/variant.h"

#include <QString>
#include <QStringList>

namespace legacy {

enum VbCompareMethod { vbBinaryCompare = 0, vbTextCompare = 1 };

QString Trim(const QString& s);   // blanks (U+0020) only
QString LTrim(const QString& s);
QString RTrim(const QString& s);
QString Left(const QString& s, long length);
QString Right(const QString& s, long length);
QString Mid(const QString& s, long start);
QString Mid(const QString& s, long start, long length);
// InStr([start,] haystack, needle [, compare]): 0 when not found; an empty
// needle gives start.
long InStr(const QString& haystack, const QString& needle, VbCompareMethod compare = vbBinaryCompare);
long InStr(long start, const QString& haystack, const QString& needle,
           VbCompareMethod compare = vbBinaryCompare);
// InStrRev(haystack, needle [, start = -1 (end)] [, compare]).
long InStrRev(const QString& haystack, const QString& needle, long start = -1,
              VbCompareMethod compare = vbBinaryCompare);
// Replace(expression, find, replacement [, start = 1] [, count = -1] [, compare]):
// as the runtime, the result begins at start.
QString Replace(const QString& expression, const QString& find, const QString& replacement,
                long start = 1, long count = -1, VbCompareMethod compare = vbBinaryCompare);
// -1, 0 or 1.
int StrComp(const QString& a, const QString& b, VbCompareMethod compare = vbBinaryCompare);
QString UCase(const QString& s);
QString LCase(const QString& s);
QString Space(long count);
QString String(long count, QChar c);
QString String(long count, const QString& firstCharOf);
// Windows-1252 character codes 0 to 255; error 5 outside.
QString Chr(int code);
// Code of the first character in Windows-1252 (error 5 on an empty text);
// characters outside the code page give 63 ("?").
int Asc(const QString& s);
long Len(const QString& s);
// Split(expression [, delimiter = " "] [, limit = -1] [, compare]); an empty
// expression gives an empty list.
QStringList Split(const QString& expression, const QString& delimiter = QStringLiteral(" "),
                  long limit = -1, VbCompareMethod compare = vbBinaryCompare);
QString Join(const QStringList& list, const QString& delimiter = QStringLiteral(" "));
QString StrReverse(const QString& s);
// "Like" with ? * # [charlist] [!charlist], binary compare.
bool Like(const QString& s, const QString& pattern);

}  // namespace legacy
