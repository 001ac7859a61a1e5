#pragma once
// The JSON reader. Lenient: keys may be bare or quoted with either quote,
// strings may use apostrophes, commas between members are optional, "/* */"
// and "//" comments and parentheses count as blanks. It never throws for bad
// input: it gathers readable messages, each naming where reading stood, and
// returns what it could read.
//
// The tree: object -> legacy::Dictionary (keys in the order read, compared
// with letter case), array -> legacy::Collection (1-based), string -> text,
// number -> Decimal, true/false -> Boolean, null -> Null; Empty for a bad
// null or a number cut off by the end of the text.
//
// A "//" comment runs to the end of its line, a "/*" comment to the first
// "*/"; a lone "/" or "*" is passed over. Inside a quoted key the other kind
// of quote is an ordinary character. A bad true, false or null inside an
// array is reported once and reading goes on at the next "," or "]".
//
// Numbers are read with "." as the decimal point whatever the regional
// profile, with an optional exponent; more than 28 significant digits are
// rounded as the Decimal type does; a value beyond its range is error 6.
#include "platform/legacy/collection.h"
#include "platform/legacy/dictionary.h"
#include "platform/legacy/variant.h"

#include <QString>

#include <memory>

namespace JSON {

// Containers nested deeper than this stop the reading with a message, so no
// input can exhaust the stack.
inline constexpr int MaxNesting = 512;
// Messages stop being gathered once this many characters are held, so that
// input full of faults cannot make the message text grow without bound.
inline constexpr int MaxErrorText = 65536;

// Reads the text whose root is an object or an array. Returns nullptr when
// the root is neither; check LastErrors() either way: the reading succeeded
// only when it is "" and a root came back.
legacy::ObjectRef ParseText(const QString& text);
// The messages of the last ParseText (and of the readers called since), each
// ending in CR LF except "Invalid JSON".
QString LastErrors();

// The single readers, for callers that read step by step. position is
// the 1-based index of the current character; each leaves it after what it
// read and appends its messages to those LastErrors() returns. ReadValue and
// ReadNumber raise the number conversion's error (13, or 6 on overflow) for
// a number that does not read.
std::shared_ptr<legacy::Dictionary> ReadObject(const QString& text, int& position);
std::shared_ptr<legacy::Collection> ReadArray(const QString& text, int& position);
legacy::Variant ReadValue(const QString& text, int& position);
QString ReadString(const QString& text, int& position);
legacy::Variant ReadNumber(const QString& text, int& position);
bool ReadBoolean(const QString& text, int& position);
legacy::Variant ReadNull(const QString& text, int& position);
QString ReadKey(const QString& text, int& position);
void SkipBlanks(const QString& text, int& position);

}  // namespace JSON
