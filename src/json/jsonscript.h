#pragma once
// Runs small scripts written in JSON and returns the text they produce.
//
// A script is an array; each element is a text (copied), null (gives
// "null") or a command object. A command object's members run in the order
// written; the key names the command (any letter case):
//   alert  {message, title}            shows a message box; gives ""
//   input  {prompt, title, default}    asks with an input box; gives the answer
//   switch {default, case, items}      the "return" of the first item whose
//                                      "case" equals "case" (letter case
//                                      ignored), else "default"
//   set    {name, value}               stores the value's text under name
//   get    {name, default}             the stored text, or "default" when ""
//   if     {value1, value2, type, true, false}   type eq (letter case
//                                      ignored), gt, lt, gte, lte (by
//                                      character code); runs "true" or "false"
//   return "text"                      the text as it stands
// Any other key gives a placeholder "<%KEY(arguments)%>" for the caller to
// expand. Arguments are themselves evaluated, so commands nest, down to 41
// levels; deeper nodes give "ERROR: Nesting level exceeded.".
//
// Variables live as long as the instance, across Eval calls.
#include "platform/legacy/dictionary.h"
#include "platform/legacy/variant.h"

#include <QString>

#include <memory>

class cJSONScript {
public:
    // Parses and runs the script. Text that does not parse shows the
    // reader's messages in a "Parser Error" box and gives "". A script whose
    // root or elements are not what the language allows raises the runtime's
    // errors (424 object required, 13 type mismatch, 5, 9).
    QString Eval(const QString& sJSON);
    // The output of one node of a parsed script.
    QString ExecCommand(const legacy::Variant& node);

    // The deepest level that still runs.
    static constexpr int MaxLevel = 41;

private:
    QString runCommands(const legacy::Dictionary& commands);
    QString runCommand(const QString& key, const legacy::Variant& argument);

    int depth_ = 0;
    legacy::Dictionary variables_;
};
