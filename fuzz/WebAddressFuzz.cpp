// The home page a site record gives, as the site list opens it: whatever the
// text, what NormalizeWebAddress lets through is an http or https address
// without blanks or control characters (so never a file, a script, an
// option or a shell word), and it lets it through unchanged a second time.
#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "platform/Interaction.h"

#include <QString>
#include <QUrl>
#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string address(FuzzBytes(data, size));
    const std::string complete = NormalizeWebAddress(address);
    if (complete.empty())
        return 0;
    const QString text = FromGbk(complete);
    FUZZ_CHECK(text.startsWith(QLatin1StringView("http://"), Qt::CaseInsensitive) ||
               text.startsWith(QLatin1StringView("https://"), Qt::CaseInsensitive));
    FUZZ_CHECK(std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control;
    }));
    const QString scheme = QUrl(text).scheme().toLower();
    FUZZ_CHECK(scheme.isEmpty() || scheme == u"http" || scheme == u"https");
    FUZZ_CHECK(NormalizeWebAddress(complete) == complete);
    return 0;
}
