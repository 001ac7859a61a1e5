// Runs arbitrary text as a script. Dialogs answer at once; the runtime errors
// a script may raise on purpose (object required, type mismatch, ...) are
// expected, anything else is a finding.
#include "json/jsonscript.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/dialogs.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

class QuietDialogs : public ui::Dialogs {
public:
    int msgBox(const QString&, int, const QString&) override { return ui::vbOK; }
    QString inputBox(const QString& prompt, const QString&, const QString& defaultText) override
    {
        return prompt.size() % 2 ? defaultText : prompt;
    }
    QString openFile(const ui::OpenFileRequest&) override { return {}; }
    void showModal(QWidget*) override {}
    void doEvents() override {}
    void wait(int) override {}
    void sendTab(QWidget*) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QuietDialogs quiet;
    static bool installed = (ui::setDialogs(&quiet), true);
    (void)installed;
    const QString script = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    cJSONScript interpreter;
    try {
        interpreter.Eval(script);
        // A second run on the same instance sees the variables of the first.
        interpreter.Eval(script);
    } catch (const legacy::VbError&) {
    }
    return 0;
}
