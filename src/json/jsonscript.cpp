#include "json/jsonscript.h"

#include "json/cstringbuilder.h"
#include "json/json.h"
#include "platform/legacy/collection.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/dialogs.h"

#include <optional>

using legacy::Collection;
using legacy::Dictionary;
using legacy::Variant;
using legacy::VbError;

namespace {

[[noreturn]] void objectRequired()
{
    throw VbError(424, VbError::defaultDescription(424));
}

const Dictionary* asDictionary(const Variant& v)
{
    const legacy::ObjectRef* o = v.get<legacy::ObjectRef>();
    return o ? dynamic_cast<const Dictionary*>(o->get()) : nullptr;
}

const Collection* asCollection(const Variant& v)
{
    const legacy::ObjectRef* o = v.get<legacy::ObjectRef>();
    return o ? dynamic_cast<const Collection*>(o->get()) : nullptr;
}

// The member `name` of an argument object; a missing member reads as Empty.
// Looking a name up in a list fails as the runtime's Collection does (5),
// in anything but a container as a missing object does (424).
Variant member(const Variant& holder, const QString& name)
{
    if (const Dictionary* d = asDictionary(holder)) {
        const Variant* v = d->find(name);
        return v ? *v : Variant();
    }
    if (asCollection(holder))
        throw VbError(5, VbError::defaultDescription(5));
    objectRequired();
}

// A value taken as it stands, not evaluated: its plain text. A Null gives
// nullopt (it equals nothing); a container cannot be taken as text.
std::optional<QString> plainText(const Variant& v)
{
    if (v.IsNull())
        return std::nullopt;
    if (v.IsObject())
        throw VbError(13, VbError::defaultDescription(13));
    return v.toString();
}

// A number as the script writes it: the regional decimal comma becomes a
// point.
QString numberText(const Variant& v)
{
    return v.toString().replace(u',', u'.');
}

// A script's output is text for a message or a value, never megabytes: a
// script whose texts keep doubling (a variable set to itself twice, again
// and again) stops with "out of memory" long before it takes the machine's.
constexpr int kTextoMaximo = 16 * 1024 * 1024;

void Agrega(cStringBuilder& out, const QString& texto)
{
    if (qsizetype(out.Length()) + texto.size() > kTextoMaximo)
        throw VbError(7, QStringLiteral("Memoria insuficiente"));
    out.Append(texto);
}

}  // namespace

QString cJSONScript::Eval(const QString& sJSON)
{
    legacy::ObjectRef root = JSON::ParseText(sJSON);
    QString errors = JSON::LastErrors();
    if (!errors.isEmpty() || !root) {
        ui::MsgBox(errors, ui::vbExclamation | ui::vbOKOnly, QStringLiteral("Parser Error"));
        return QString();
    }
    if (auto* dict = dynamic_cast<const Dictionary*>(root.get())) {
        // An object root has no elements numbered from 1: any member at all
        // is an element that is not an object.
        if (dict->Count() > 0)
            objectRequired();
        return QString();
    }
    const auto& list = static_cast<const Collection&>(*root);
    cStringBuilder out;
    for (int i = 1; i <= list.Count(); ++i) {
        const Variant& element = list.Item(i);
        if (element.IsNull())
            Agrega(out, QStringLiteral("null"));
        else if (element.IsString() || element.VarType() == legacy::vbDate)
            Agrega(out, element.toString());
        else if (element.IsObject())
            Agrega(out, ExecCommand(element));
        else
            objectRequired();
    }
    return out.toString();
}

QString cJSONScript::ExecCommand(const Variant& node)
{
    if (depth_ >= MaxLevel)
        return QStringLiteral("ERROR: Nesting level exceeded.");
    // The depth comes back down however this call ends, errors included, so
    // that a failed script does not bring later ones nearer the limit.
    struct Level {
        int& depth;
        explicit Level(int& d) : depth(d) { ++depth; }
        ~Level() { --depth; }
    } level(depth_);

    // Numbers: the regional decimal comma becomes a point.
    if (legacy::IsNumberType(node.VarType()))
        return numberText(node);
    switch (node.VarType()) {
    case legacy::vbNull:
        return QStringLiteral("null");
    case legacy::vbString:
    case legacy::vbDate:
        return node.toString();
    case legacy::vbBoolean:
        return node.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case legacy::vbEmpty:
        return QString();
    case legacy::vbObject:
        break;
    default:
        return QString();
    }
    if (const Collection* list = asCollection(node)) {
        cStringBuilder out;
        for (int i = 1; i <= list->Count(); ++i)
            Agrega(out, ExecCommand(list->Item(i)));
        return out.toString();
    }
    if (const Dictionary* commands = asDictionary(node))
        return runCommands(*commands);
    return QString();
}

QString cJSONScript::runCommands(const Dictionary& commands)
{
    cStringBuilder out;
    for (int i = 0; i < commands.Count(); ++i) {
        const Variant& argument = commands.itemAt(i);
        if (!argument.IsObject() && !argument.IsString())
            objectRequired();
        Agrega(out, runCommand(commands.keyAt(i), argument));
    }
    return out.toString();
}

QString cJSONScript::runCommand(const QString& key, const Variant& argument)
{
    const QString command = key.toLower();
    if (command == u"alert") {
        QString message = ExecCommand(member(argument, QStringLiteral("message")));
        QString title = ExecCommand(member(argument, QStringLiteral("title")));
        ui::MsgBox(message, ui::vbInformation | ui::vbOKOnly, title);
        return QString();
    }
    if (command == u"input") {
        QString prompt = ExecCommand(member(argument, QStringLiteral("prompt")));
        QString title = ExecCommand(member(argument, QStringLiteral("title")));
        QString defaultText = ExecCommand(member(argument, QStringLiteral("default")));
        return ui::InputBox(prompt, title, defaultText);
    }
    if (command == u"switch") {
        QString defaultOutput = ExecCommand(member(argument, QStringLiteral("default")));
        QString wanted = ExecCommand(member(argument, QStringLiteral("case"))).toLower();
        Variant items = member(argument, QStringLiteral("items"));
        const Collection* list = asCollection(items);
        if (!list)
            objectRequired();
        for (int i = 1; i <= list->Count(); ++i) {
            const Variant& item = list->Item(i);
            // A number case matches its regional text (what a user types,
            // "10,5" under the decimal comma) and its text with a point (how
            // an evaluated number case is written, so 1.5 matches 1.5); a
            // text case matches only itself.
            const Variant caseNode = member(item, QStringLiteral("case"));
            bool matches = false;
            if (legacy::IsNumberType(caseNode.VarType())) {
                matches = caseNode.toString().toLower() == wanted || numberText(caseNode).toLower() == wanted;
            } else {
                const std::optional<QString> itemCase = plainText(caseNode);
                matches = itemCase && itemCase->toLower() == wanted;
            }
            if (matches)
                return ExecCommand(member(item, QStringLiteral("return")));
        }
        return defaultOutput;
    }
    if (command == u"set") {
        QString name = plainText(member(argument, QStringLiteral("name"))).value_or(QString());
        // Stored after the value is worked out, so a value that itself sets
        // the same name is simply replaced.
        QString value = ExecCommand(member(argument, QStringLiteral("value")));
        variables_.setItem(name, Variant(std::move(value)));
        return QString();
    }
    if (command == u"get") {
        QString name = plainText(member(argument, QStringLiteral("name"))).value_or(QString());
        const Variant* stored = variables_.find(name);
        QString output = ExecCommand(stored ? *stored : Variant());
        if (output.isEmpty())
            output = ExecCommand(member(argument, QStringLiteral("default")));
        return output;
    }
    if (command == u"if") {
        QString value1 = ExecCommand(member(argument, QStringLiteral("value1")));
        QString value2 = ExecCommand(member(argument, QStringLiteral("value2")));
        QString type = plainText(member(argument, QStringLiteral("type"))).value_or(QString()).toLower();
        bool holds = false;
        if (type == u"eq")
            holds = value1.toLower() == value2.toLower();
        else if (type == u"gt")
            holds = value1 > value2;
        else if (type == u"lt")
            holds = value1 < value2;
        else if (type == u"gte")
            holds = value1 >= value2;
        else if (type == u"lte")
            holds = value1 <= value2;
        return ExecCommand(member(argument, holds ? QStringLiteral("true") : QStringLiteral("false")));
    }
    if (command == u"return") {
        if (!argument.IsString())
            throw VbError(13, VbError::defaultDescription(13));
        return argument.toString();
    }
    // Not ours: a placeholder for the caller, with the arguments as they stand.
    QString arguments;
    if (argument.IsString()) {
        arguments = argument.toString();
    } else if (const Dictionary* d = asDictionary(argument)) {
        for (int i = 0; i < d->Count(); ++i) {
            if (i > 0)
                arguments += u',';
            arguments += plainText(d->itemAt(i)).value_or(QString());
        }
    }
    return QStringLiteral("<%") + key.toUpper() + u'(' + arguments + QStringLiteral(")%>");
}
