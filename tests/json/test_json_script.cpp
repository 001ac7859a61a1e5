#include "json/json.h"
#include "json/jsonscript.h"
#include "tree_text.h"

#include "platform/legacy/regional.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/scripted.h"

#include <gtest/gtest.h>

namespace {

// Scripts are written with apostrophes, which the reader takes as quotes.
std::string run(cJSONScript& s, const char* script)
{
    return s.Eval(QString::fromUtf8(script)).toStdString();
}

std::string run(const char* script)
{
    cJSONScript s;
    return run(s, script);
}

long errorOf(const char* script)
{
    cJSONScript s;
    return testutil::errorOf([&] { s.Eval(QString::fromUtf8(script)); });
}

// A script that puts `inner` under `levels` arrays inside the root array.
std::string nested(int levels, const std::string& inner)
{
    return "[" + std::string(std::size_t(levels), '[') + inner + std::string(std::size_t(levels), ']') + "]";
}

class JsonScript : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = legacy::Regional();
        legacy::setRegional(legacy::RegionalProfile::spanish());
    }
    void TearDown() override
    {
        legacy::setRegional(saved_);
        EXPECT_EQ(dialogs.remaining(), QStringList());
        EXPECT_EQ(dialogs.failures(), QStringList());
    }

    ui::ScriptedSession dialogs;

private:
    legacy::RegionalProfile saved_;
};

}  // namespace

TEST_F(JsonScript, TextsNullsAndContainers)
{
    struct Case {
        const char* script;
        const char* output;
    } cases[] = {
        {"['Hello ', null, '!']", "Hello null!"},
        {"[['a', ['b', 'c']]]", "abc"},
        {"[{'return': 'x'}]", "x"},
        {"[]", ""},
        {"{}", ""},
        {"[[true, false, null, 1.5, -0.25, 100]]", "truefalsenull1.5-0.25100"},  // "," of the profile becomes "."
        {"[{'fecha': 'dd/mm'}]", "<%FECHA(dd/mm)%>"},
        {"[{'suma': {'a': '1', 'b': '2'}}]", "<%SUMA(1,2)%>"},
        {"[{'Suma': {'a': 1.5, 'b': null, 'c': true}}]", "<%SUMA(1,5,,True)%>"},  // as they stand, not evaluated
        {"[{'lista': ['a', 'b']}]", "<%LISTA()%>"},
        {"[{'set': {'name': 'n', 'value': '1'}, 'get': {'name': 'n'}}]", "1"},  // members in the order written
        {"[{'RETURN': 'upper case command'}]", "upper case command"},
        {"[{'set': {'name': 'x',, 'value': 'v'}}, {'get': {'name': 'x'}}]", "v"},  // repeated comma
    };
    for (const Case& c : cases)
        EXPECT_EQ(run(c.script), c.output) << c.script;
}

TEST_F(JsonScript, VariablesLiveAsLongAsTheInstance)
{
    cJSONScript s;
    EXPECT_EQ(run(s, "[{'set': {'name': 'x', 'value': '5'}}, {'get': {'name': 'x', 'default': 'none'}}]"), "5");
    EXPECT_EQ(run(s, "[{'get': {'name': 'x'}}]"), "5");
    EXPECT_EQ(run(s, "[{'get': {'name': 'X', 'default': 'none'}}]"), "none");  // names keep letter case
    EXPECT_EQ(run(s, "[{'get': {'name': 'y'}}]"), "");
    EXPECT_EQ(run(s, "[{'set': {'name': 'x', 'value': ''}}, {'get': {'name': 'x', 'default': 'empty'}}]"), "empty");
    EXPECT_EQ(run("[{'get': {'name': 'x', 'default': 'fresh'}}]"), "fresh");
    // A value worked out from other commands is stored as its text.
    EXPECT_EQ(run(s, "[{'set': {'name': 'z', 'value': [{'get': {'name': 'x'}}, '-', {'t': 'u'}]}},"
                     " {'get': {'name': 'z'}}]"),
              "-<%T(u)%>");
}

TEST_F(JsonScript, SetWhoseValueSetsTheSameName)
{
    cJSONScript s;
    EXPECT_EQ(run(s, "[{'set': {'name': 'x', 'value': [{'set': {'name': 'x', 'value': 'inner'}}, 'outer']}},"
                     " {'get': {'name': 'x'}}]"),
              "outer");
}

TEST_F(JsonScript, IfComparesTexts)
{
    struct Case {
        const char* v1;
        const char* v2;
        const char* type;
        const char* result;
    } cases[] = {
        {"abc", "ABC", "eq", "T"}, {"abc", "ABC", "EQ", "T"}, {"abc", "abd", "eq", "F"},
        {"abc", "ABC", "gt", "T"},  // by character code
        {"10", "9", "lt", "T"},     // never numeric
        {"9", "10", "gt", "T"},     {"a", "a", "gte", "T"},   {"a", "a", "lte", "T"},
        {"a", "b", "gte", "F"},     {"b", "a", "lte", "F"},   {"a", "a", "ne", "F"},
        {"a", "a", "", "F"},
    };
    for (const Case& c : cases) {
        std::string script = std::string("[{'if': {'value1': '") + c.v1 + "', 'value2': '" + c.v2 + "', 'type': '" +
                             c.type + "', 'true': 'T', 'false': 'F'}}]";
        EXPECT_EQ(run(script.c_str()), c.result) << script;
    }
    EXPECT_EQ(run("[{'if': {'value1': 'a', 'value2': 'a', 'true': 'T', 'false': 'F'}}]"), "F");  // no type
    EXPECT_EQ(run("[{'if': {'value1': 'a', 'value2': 'a', 'type': 'eq'}}]"), "");                 // no branch
    EXPECT_EQ(run("[{'if': {'value1': [{'get': {'name': 'v', 'default': 'x'}}], 'value2': 'X', 'type': 'eq',"
                  " 'true': {'return': 'yes'}}}]"),
              "yes");
}

TEST_F(JsonScript, SwitchPicksTheFirstMatchingCase)
{
    const char* items = "'items': [{'case': 'a', 'return': 'first'}, {'case': 'b', 'return': 'second'},"
                        " {'case': 'B', 'return': 'third'}]";
    EXPECT_EQ(run((std::string("[{'switch': {'default': 'other', 'case': 'B', ") + items + "}}]").c_str()), "second");
    EXPECT_EQ(run((std::string("[{'switch': {'default': 'other', 'case': 'z', ") + items + "}}]").c_str()), "other");
    EXPECT_EQ(run("[{'switch': {'case': 'z', 'items': []}}]"), "");
    EXPECT_EQ(run("[{'switch': {'case': '1', 'items': [{'case': null, 'return': 'n'}, {'case': 1, 'return': 'one'}]}}]"),
              "one");
    // A decimal case matches under the decimal-comma profile; a number item
    // matches its regional text and its text with a point, a text item only
    // itself.
    EXPECT_EQ(run("[{'switch': {'default': 'no', 'case': 1.5, 'items': [{'case': 1.5, 'return': 'yes'}]}}]"), "yes");
    const std::string iva = "'items': [{'case': 21, 'return': 'general'}, {'case': 10.5, 'return': 'reducido'}]}}]";
    struct { const char* caso; const char* tecleado; const char* sale; } casos[] = {
        {"{'input': {'prompt': 'Tipo de IVA'}}", "10,5", "reducido"}, {"{'input': {'prompt': 'Tipo de IVA'}}", "21", "general"},
        {"'10,5'", nullptr, "reducido"}, {"'10.5'", nullptr, "reducido"}, {"10.5", nullptr, "reducido"},
        {"'10,50'", nullptr, "otro"},
    };
    for (const auto& c : casos) {
        if (c.tecleado)
            dialogs.expectInputBox("Tipo de IVA", c.tecleado);
        EXPECT_EQ(run(("[{'switch': {'default': 'otro', 'case': " + std::string(c.caso) + ", " + iva).c_str()), c.sale)
            << c.caso;
    }
    EXPECT_EQ(run("[{'switch': {'default': 'no', 'case': 10.5, 'items': [{'case': '10,5', 'return': 'yes'}]}}]"), "no");
    // The default is worked out first, even when a case matches.
    dialogs.expectMsgBox("default ran");
    EXPECT_EQ(run("[{'switch': {'default': {'alert': {'message': 'default ran'}}, 'case': 'a',"
                  " 'items': [{'case': 'A', 'return': 'matched'}]}}]"),
              "matched");
}

TEST_F(JsonScript, AlertAndInputGoThroughTheDialogs)
{
    dialogs.expectMsgBox("Hola mundo").title("Saludo").style(ui::vbInformation);
    dialogs.expectInputBox("Nombre?", "Juan").title("Pregunta");
    dialogs.expectInputBox("Otra", "");  // cancelled
    cJSONScript s;
    EXPECT_EQ(run(s, "[{'alert': {'message': ['Hola ', 'mundo'], 'title': 'Saludo'}},"
                     " {'set': {'name': 'who', 'value': {'input': {'prompt': 'Nombre?', 'title': 'Pregunta',"
                     " 'default': 'nadie'}}}},"
                     " 'Hola ', {'get': {'name': 'who'}}, '.',"
                     " {'input': {'prompt': 'Otra'}}]"),
              "Hola Juan.");
    ASSERT_EQ(dialogs.shown().size(), 3);
    EXPECT_EQ(dialogs.shown()[0].prompt, QStringLiteral("Hola mundo"));
}

TEST_F(JsonScript, ParserErrorsAreShownAndNothingRuns)
{
    dialogs.expectMsgBox("No coinciden los tipos: x]").title("Parser Error").style(ui::vbExclamation);
    dialogs.expectMsgBox("Invalid JSON").title("Parser Error");
    dialogs.expectMsgBox("Invalid Boolean at position 2").title("Parser Error");
    EXPECT_EQ(run("[{'alert': {'message': 'never'}}, 1,x]"), "");
    EXPECT_EQ(run("'just text'"), "");
    EXPECT_EQ(run("[tru]"), "");
}

TEST_F(JsonScript, RuntimeErrorsOfBadScripts)
{
    struct Case {
        const char* script;
        long error;
    } cases[] = {
        {"[true]", 424},
        {"[1]", 424},
        {"[{'a': true}]", 424},
        {"[{'a': 1}]", 424},
        {"[{'a': null}]", 424},
        {"{'a': 'b'}", 424},
        {"[{'return': ['x']}]", 13},
        {"[{'alert': 'text'}]", 424},
        {"[{'alert': ['a']}]", 5},
        {"[{'switch': {'case': 'a', 'items': 'x'}}]", 424},
        {"[{'switch': {'case': 'a', 'items': ['x']}}]", 424},
        {"[{'p': {'a': ['x']}}]", 13},
        {"[{'set': {'name': ['n'], 'value': 'v'}}]", 13},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf(c.script), c.error) << c.script;
}

TEST_F(JsonScript, ATextThatKeepsDoublingStopsWithOutOfMemory)
{
    // Each statement sets "a" to itself twice: 40 of them would ask for
    // terabytes.
    std::string script = "[{'set':{'name':'a','value':'xxxxxxxx'}}";
    for (int i = 0; i < 40; ++i)
        script += ",{'set':{'name':'a','value':[{'get':{'name':'a'}},{'get':{'name':'a'}}]}}";
    script += "]";
    EXPECT_EQ(errorOf(script.c_str()), 7);
}

TEST_F(JsonScript, NestingLimit)
{
    EXPECT_EQ(run(nested(40, "'x'").c_str()), "x");
    EXPECT_EQ(run(nested(41, "'x'").c_str()), "ERROR: Nesting level exceeded.");
    // Evaluation goes on after the message.
    EXPECT_EQ(run(("[" + nested(41, "'x'") + ", 'y']").c_str()), "ERROR: Nesting level exceeded.y");
    // A variable's value counts as one level below the get that reads it.
    cJSONScript s;
    run(s, "[{'set': {'name': 'v', 'value': 'deep'}}]");
    EXPECT_EQ(run(s, nested(39, "{'get': {'name': 'v'}}").c_str()), "deep");
    EXPECT_EQ(run(s, nested(40, "{'get': {'name': 'v', 'default': 'd'}}").c_str()),
              "ERROR: Nesting level exceeded.");
}

TEST_F(JsonScript, DepthComesBackAfterAnError)
{
    cJSONScript s;
    for (int i = 0; i < 5; ++i) {
        EXPECT_THROW(s.Eval(QString::fromStdString(nested(30, "{'a': true}"))), legacy::VbError);
    }
    EXPECT_EQ(run(s, nested(40, "'still runs'").c_str()), "still runs");
}

TEST_F(JsonScript, OutputRoundTripsThroughTheReader)
{
    // A script that writes JSON text: numbers and texts come back unchanged.
    cJSONScript s;
    const char* script =
        "[\"{\\\"n\\\": \", [12.50], \", \\\"tiny\\\": \", [1e-28], \", \\\"big\\\": \","
        " [-1234567890123456789012345678], \", \\\"s\\\": \\\"\", {'get': {'name': 'who', 'default': 'Jos\\u00e9'}},"
        " \"\\\", \\\"list\\\": [\", [1, ',', 2], \"]}\"]";
    const QString out = s.Eval(QString::fromUtf8(script));
    EXPECT_EQ(out.toStdString(),
              "{\"n\": 12.5, \"tiny\": 0.0000000000000000000000000001, \"big\": -1234567890123456789012345678,"
              " \"s\": \"José\", \"list\": [1,2]}");
    EXPECT_EQ(parsedText(out).toStdString(),
              "{n:12.5,tiny:0.0000000000000000000000000001,big:-1234567890123456789012345678,"
              "s:\"José\",list:[1,2]}");
    EXPECT_EQ(JSON::LastErrors(), QString());
}
