#include "json/json.h"
#include "tree_text.h"

#include "platform/legacy/regional.h"
#include "platform/legacy/vberror.h"

#include <gtest/gtest.h>

using legacy::Variant;

namespace {

struct ParseCase {
    const char* json;
    const char* tree;    // treeText of the root, "none" for no root
    const char* errors;  // LastErrors, "|" standing for each CR LF
};

QString bars(QString s)
{
    return s.replace(QStringLiteral("\r\n"), QStringLiteral("|"));
}

void expectCases(std::initializer_list<ParseCase> cases)
{
    for (const ParseCase& c : cases) {
        const QString json = QString::fromUtf8(c.json);
        EXPECT_EQ(parsedText(json).toStdString(), c.tree) << c.json;
        EXPECT_EQ(bars(JSON::LastErrors()).toStdString(), c.errors) << c.json;
    }
}

int depthOf(const Variant& v)
{
    auto* c = v.IsObject() ? dynamic_cast<const legacy::Collection*>(v.toObject().get()) : nullptr;
    if (!c)
        return 0;
    return 1 + (c->Count() ? depthOf(c->Item(1)) : 0);
}

}  // namespace

TEST(JsonParser, RootMustBeObjectOrArray)
{
    expectCases({
        {"", "none", "Invalid JSON"},
        {"   ", "none", "Invalid JSON"},
        {"5", "none", "Invalid JSON"},
        {"'x'", "none", "Invalid JSON"},
        {" /* c */ {}", "{}", ""},
        {"[]", "[]", ""},
        {"[1] trailing text is not looked at", "[1]", ""},
    });
}

TEST(JsonParser, LenientObjects)
{
    expectCases({
        {"{a:1, 'b' : 'x', 'c d': true}", R"({a:1,b:"x",cd:true})", ""},
        {"{\"a\":1 \"b\":2}", "{a:1,b:2}", ""},  // no comma needed
        {"{,a:1}", "{a:1}", ""},
        {"{a:1,,b:2}", "{a:1,b:2}", ""},  // a comma may be repeated
        {"[1,,2]", "[1,2]", ""},
        {"[, ,1]", "[1]", ""},
        {"{'a:b': 1}", "{a:b:1}", ""},     // ":" inside quotes belongs to the key
        {"{\"x\ty\": 1}", "{xy:1}", ""},   // blanks dropped even inside quotes
        {"{ key\n : null }", "{key:null}", ""},
        {"{\"it's\": 1, 'say \"hi\"': 2}", R"({it's:1,say"hi":2})", ""},  // the other quote is a character
        {"{a:{b:[1,{c:'d'}]}}", R"({a:{b:[1,{c:"d"}]}})", ""},
    });
}

TEST(JsonParser, PositionedMessages)
{
    expectCases({
        {"{\"a\" 1}", "{a:1}", "Invalid Key at position 6 : a|"},
        {"{'a'}", "{}", "Invalid Key at position 5 : a|No coinciden los tipos: a|"},
        {"{'a': nul}", "{a:empty,nul}:empty}",
         "Invalid null value at position 7 : nul}|Missing '}': {'a': nul}|"},
        {"{'a':1", "{a:empty}", "Missing '}': {'a':1|"},
        {"{'key': 'value', 'other': 12345678",
         R"({key:"value",other:empty})", "Missing '}': ', 'other': 12345678|"},
        {"['abc", R"(["abc"])", "Missing ']': ['abc|"},
        {"[1,x]", "[1]", "No coinciden los tipos: x]|"},
        {"[1,]", "[1]", "No coinciden los tipos: ]|"},
        {"[1.2.3, 4]", "[]", "No coinciden los tipos: , 4]|"},
        {"{a:1, a:2, b:3}", "{a:1}", "Esta clave ya está asociada a un elemento de esta colección: a|"},
        {"[{'a': tru}]", "[{a:false,tru}]:empty}]",
         "Invalid Boolean at position 8 : tru}]|Missing '}': [{'a': tru}]|Missing ']': [{'a': tru}]|"},
    });
}

TEST(JsonParser, BadLiteralInArrayIsReportedOnceAndSkipped)
{
    expectCases({
        {"[tru, 2]", "[false,2]", "Invalid Boolean at position 2 : tru, 2]|"},
        {"[nul]", "[empty]", "Invalid null value at position 2 : nul]|"},
        {"[nada 'x', null]", "[empty,null]", "Invalid null value at position 2 : nada 'x', null]|"},
        {"[fals", "[false]", "Invalid Boolean at position 2 : fals|Missing ']': [fals|"},
        {"[true,false,null]", "[true,false,null]", ""},
    });
}

TEST(JsonParser, BlanksAndComments)
{
    expectCases({
        {"[1, /* note */ 2, 3]", "[1,2,3]", ""},
        {"[(1), (2)]", "[1,2]", ""},
        {"[1, // note\n 2]", "[1,2]", ""},         // a line comment ends at its line
        {"[1, // a / b\r\n 2]", "[1,2]", ""},      // a lone slash does not end it
        {"[/* a* b */ 1]", "[1]", ""},             // the first */ closes
        {"[/** b **/ 1]", "[1]", ""},
        {"[ / 1 * ]", "[1]", ""},                  // lone / and * are passed over
        {"[1 ** b */ 2]", "[1,2]", ""},            // "*" after a pending "*" begins a block comment
        {"[1 */ b\n 2]", "[1,2]", ""},            // "/" after a pending "*" begins a line comment
        {"[1 /* never closed", "[1]", "Missing ']': [1 /* never closed|"},
        {"[1 // to the end", "[1]", "Missing ']': [1 // to the end|"},
    });
}

TEST(JsonParser, StringsAndEscapes)
{
    expectCases({
        {"['a\\u0041\\n']", "[\"aA\n\"]", ""},
        {"['it\\'s']", R"(["it's"])", ""},
        {"['\\q']", R"(["q"])", ""},
        {"[\"\\\"\\\\\\/\\b\\f\\r\\t\"]", "[\"\"\\/\b\f\r\t\"]", ""},
        {"[\"\\ud83d\\ude00 \\u00e9\"]", "[\"😀 é\"]", ""},
        {"[\"😀 directo\"]", "[\"😀 directo\"]", ""},
        {"['\\u4g12x']", "[\"\x04x\"]", ""},  // hex up to the first non-hex, four passed over
        {"['it\"s', \"it's\"]", R"(["it"s","it's"])", ""},
        {"['a\\nb', 'c']", "[\"a\nb\",\"c\"]", ""},
        {"[\"a\\", "[\"a\"]", "Missing ']': [\"a\\|"},
        {"['\\u41", "[\"A\"]", "Missing ']': ['\\u41|"},
    });
    // A lone surrogate is kept as it stands.
    legacy::ObjectRef root = JSON::ParseText(QStringLiteral("['\\ud800x']"));
    auto* list = dynamic_cast<legacy::Collection*>(root.get());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Item(1).toString(), QString(QChar(0xD800)) + u'x');
}

TEST(JsonParser, Numbers)
{
    struct Case {
        const char* text;
        const char* value;  // "" for a conversion error
        const char* error;
    } cases[] = {
        {"0", "0", ""},
        {"-0.5", "-0.5", ""},
        {"+7", "7", ""},
        {".5", "0.5", ""},
        {"5.", "5", ""},
        {"007", "7", ""},
        {"1e3", "1000", ""},
        {"1E-3", "0.001", ""},
        {"2.5e+2", "250", ""},
        {"-65.613616999999977", "-65.613616999999977", ""},
        {"1234567890123456789012345678", "1234567890123456789012345678", ""},
        {"0.0000000000000000000000000001", "0.0000000000000000000000000001", ""},
        {"-79228162514264337593543950335", "-79228162514264337593543950335", ""},
        {"0.12345678901234567890123456789", "0.1234567890123456789012345679", ""},
        {"1e-40", "0", ""},
        {"1e-999999999", "0", ""},
        {"79228162514264337593543950336", "", "Desbordamiento: ]|"},
        {"1e29", "", "Desbordamiento: ]|"},
        {"1e999999999", "", "Desbordamiento: ]|"},
        {"-", "", "No coinciden los tipos: ]|"},
        {"--1", "", "No coinciden los tipos: ]|"},
        {"1e", "", "No coinciden los tipos: ]|"},
        {"e5", "", "No coinciden los tipos: ]|"},
        {"1-2", "", "No coinciden los tipos: ]|"},
    };
    for (const Case& c : cases) {
        const QString json = u'[' + QString::fromLatin1(c.text) + u']';
        const QString expected = *c.value ? u'[' + QString::fromLatin1(c.value) + u']' : QStringLiteral("[]");
        EXPECT_EQ(parsedText(json), expected) << c.text;
        EXPECT_EQ(bars(JSON::LastErrors()), QString::fromUtf8(c.error)) << c.text;
    }
    // The scale written is kept, as the runtime's Decimal keeps it.
    int pos = 1;
    Variant v = JSON::ReadNumber(QStringLiteral("1.50]"), pos);
    ASSERT_NE(v.get<legacy::Decimal>(), nullptr);
    EXPECT_EQ(v.get<legacy::Decimal>()->scale(), 2);
    EXPECT_EQ(v.VarType(), legacy::vbDecimal);
}

TEST(JsonParser, NumbersIgnoreTheRegionalComma)
{
    legacy::RegionalProfile saved = legacy::Regional();
    legacy::RegionalProfile comma = saved;
    comma.decimalSeparator = u',';
    comma.thousandsSeparator = u'.';
    legacy::setRegional(comma);
    EXPECT_EQ(parsedText(QStringLiteral("[1.5, 2,5]")), QStringLiteral("[1.5,2,5]"));
    legacy::setRegional(saved);
}

TEST(JsonParser, NestingLimit)
{
    auto nested = [](int n) { return QString(n, u'[') + QString(n, u']'); };

    legacy::ObjectRef root = JSON::ParseText(nested(JSON::MaxNesting));
    EXPECT_EQ(JSON::LastErrors(), QString());
    EXPECT_EQ(depthOf(Variant(root)), JSON::MaxNesting);

    root = JSON::ParseText(nested(JSON::MaxNesting + 1));
    EXPECT_EQ(bars(JSON::LastErrors()),
              QStringLiteral("Espacio de pila insuficiente: []]]]]]]]]]]]]]]]]]]|"));
    EXPECT_EQ(depthOf(Variant(root)), JSON::MaxNesting);

    // Far deeper input stops at once, with one message and no stack to spare.
    root = JSON::ParseText(QString(1000000, u'['));
    EXPECT_EQ(JSON::LastErrors().count(QStringLiteral("\r\n")), 1);
    QString objects;
    for (int i = 0; i < 100000; ++i)
        objects += QStringLiteral("{a:");
    root = JSON::ParseText(objects);
    EXPECT_EQ(bars(JSON::LastErrors()), QStringLiteral("Espacio de pila insuficiente: a|"));
}

TEST(JsonParser, MessagesAreBounded)
{
    QString json = QStringLiteral("[");
    for (int i = 0; i < 100000; ++i)
        json += QStringLiteral("t,");
    json += u']';
    legacy::ObjectRef root = JSON::ParseText(json);
    auto* list = dynamic_cast<legacy::Collection*>(root.get());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 100000);
    EXPECT_TRUE(JSON::LastErrors().startsWith(QStringLiteral("Invalid Boolean at position 2 : t,t,")));
    EXPECT_LE(JSON::LastErrors().size(), JSON::MaxErrorText + json.size() + 100);
}

TEST(JsonParser, ErrorsClearedByTheNextParse)
{
    JSON::ParseText(QStringLiteral("[1,x]"));
    EXPECT_NE(JSON::LastErrors(), QString());
    JSON::ParseText(QStringLiteral("{\"ok\": [1, 2]}"));
    EXPECT_EQ(JSON::LastErrors(), QString());
}

TEST(JsonParser, SingleReadersMoveThePosition)
{
    JSON::ParseText(QStringLiteral("[]"));
    int pos = 1;
    EXPECT_EQ(JSON::ReadString(QStringLiteral("  'ab' x"), pos), QStringLiteral("ab"));
    EXPECT_EQ(pos, 7);
    pos = 2;
    EXPECT_TRUE(JSON::ReadBoolean(QStringLiteral("xtrue"), pos));
    EXPECT_EQ(pos, 6);
    pos = 1;
    EXPECT_EQ(JSON::ReadKey(QStringLiteral("a b:1"), pos), QStringLiteral("ab"));
    EXPECT_EQ(pos, 5);
    pos = 1;
    JSON::SkipBlanks(QStringLiteral("  /*x*/ (y"), pos);
    EXPECT_EQ(pos, 10);
    pos = 1;
    EXPECT_TRUE(JSON::ReadNull(QStringLiteral("null"), pos).IsNull());
    EXPECT_EQ(pos, 5);
    pos = 1;
    EXPECT_EQ(treeText(JSON::ReadNumber(QStringLiteral("12,"), pos)), QStringLiteral("12"));
    EXPECT_EQ(pos, 3);
    pos = 1;
    EXPECT_TRUE(JSON::ReadNumber(QStringLiteral("12"), pos).IsEmpty());  // cut off by the end
    EXPECT_EQ(pos, 3);
    pos = 1;
    EXPECT_EQ(testutil::errorOf([&] { JSON::ReadNumber(QStringLiteral("x"), pos); }), 13);
    EXPECT_EQ(JSON::LastErrors(), QString());

    pos = 1;
    EXPECT_FALSE(JSON::ReadBoolean(QStringLiteral("maybe"), pos));
    EXPECT_EQ(pos, 1);
    pos = 1;
    EXPECT_EQ(JSON::ReadObject(QStringLiteral("[1"), pos)->Count(), 0);
    pos = 1;
    EXPECT_EQ(JSON::ReadArray(QStringLiteral("{}"), pos)->Count(), 0);
    EXPECT_EQ(bars(JSON::LastErrors()), QStringLiteral("Invalid Boolean at position 1 : maybe|"
                                                       "Invalid Object at position 1 : [1|"
                                                       "Invalid Array at position 1 : {}|"));
    pos = 3;
    EXPECT_EQ(treeText(JSON::ReadValue(QStringLiteral("x:[1,{a:2}]"), pos)), QStringLiteral("[1,{a:2}]"));
    EXPECT_EQ(pos, 12);

    // A position past the end is the end: nothing read, the position kept.
    JSON::ParseText(QStringLiteral("[]"));
    pos = 10;
    EXPECT_FALSE(JSON::ReadBoolean(QStringLiteral("true"), pos));
    EXPECT_EQ(pos, 10);
    EXPECT_TRUE(JSON::ReadValue(QStringLiteral("true"), pos).IsEmpty());
    EXPECT_EQ(pos, 10);
    EXPECT_EQ(bars(JSON::LastErrors()), QStringLiteral("Invalid Boolean at position 10 : |"));
}
